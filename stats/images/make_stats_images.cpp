// Build-time maker of the statistics images: the dark panel behind the chart pages' scale, chart
// and legend, drawn at scale 2 as "<bundle>/gui/static_bg@2x.png".
// Usage: make_stats_images <bundle folder>
#include "stats/ChartStyle.h"
#include "ui/images/ImageMaker.h"

namespace {

// A rounded panel, stretched from its centre (caps of 10 points on a 21-point square). Its fill
// is dark enough for the grey scale and legend texts and the yellow legend line to read on it.
void panel(plat::DrawContext& c) {
  imagemaker::rimmedBox(c, {0.5, 0.5, 20, 20}, 6, chartstyle::panelColor(),
                        plat::Color::rgb255(70, 84, 84));
}

}  // namespace

int main(int argc, char** argv) {
  return imagemaker::run(argc, argv, "make_stats_images", "gui", [](const imagemaker::Writer& out) {
    return out.write("static_bg", {21, 21}, panel);
  });
}
