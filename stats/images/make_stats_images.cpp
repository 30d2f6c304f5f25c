// Build-time maker of the statistics images: the dark panel behind the chart pages' scale, chart
// and legend, drawn at scale 2 as "<bundle>/gui/static_bg@2x.png".
// Usage: make_stats_images <bundle folder>
#include <cstdio>
#include <string>

#include "platform/base/Files.h"
#include "platform/draw/DrawContext.h"
#include "platform/draw/ImageContext.h"
#include "stats/ChartStyle.h"

namespace {

// A rounded panel, stretched from its centre (caps of 10 points on a 21-point square). Its fill
// is dark enough for the grey scale and legend texts and the yellow legend line to read on it.
void panel(plat::DrawContext& c) {
  const plat::Rect box{0.5, 0.5, 20, 20};
  c.setFillColor(chartstyle::panelColor());
  c.beginPath();
  c.addRoundedRect(box, 6);
  c.fillPath();
  c.setStrokeColor(plat::Color::rgb255(70, 84, 84));
  c.setLineWidth(1);
  c.beginPath();
  c.addRoundedRect(box, 6);
  c.strokePath();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_stats_images <bundle folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/gui";
  if (!plat::files::createDirectories(folder)) {
    std::fprintf(stderr, "make_stats_images: cannot make %s\n", folder.c_str());
    return 1;
  }
  plat::ImageContext image({21, 21}, false, 2);
  panel(image.context());
  const std::string path = folder + "/static_bg@2x.png";
  if (!image.takeImage()->writePNG(path)) {
    std::fprintf(stderr, "make_stats_images: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
