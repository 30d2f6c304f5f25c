#include "ui/images/ImageMaker.h"

#include <cstdio>
#include <utility>

#include "platform/base/Files.h"
#include "platform/draw/ImageContext.h"

namespace imagemaker {

void filledBox(plat::DrawContext& c, const plat::Rect& r, double radius, const plat::Color& fill) {
  c.setFillColor(fill);
  c.beginPath();
  c.addRoundedRect(r, radius);
  c.fillPath();
}

void rimmedBox(plat::DrawContext& c, const plat::Rect& r, double radius, const plat::Color& fill,
               const plat::Color& rim, double rimWidth) {
  filledBox(c, r, radius, fill);
  c.setStrokeColor(rim);
  c.setLineWidth(rimWidth);
  c.beginPath();
  c.addRoundedRect(r, radius);
  c.strokePath();
}

void bandedPanel(plat::DrawContext& c, const plat::Rect& r, double radius, const plat::Color& fill,
                 const plat::Color& band, double bandHeight, const plat::Color& rim,
                 double rimWidth, std::optional<plat::Color> seam) {
  const double canvasWidth = 2 * r.x + r.width;
  c.save();
  c.beginPath();
  c.addRoundedRect(r, radius);
  c.clip();
  c.setFillColor(fill);
  c.fillRect(r);
  c.setFillColor(band);
  c.fillRect({0, 0, canvasWidth, bandHeight});
  if (seam) {
    c.setFillColor(*seam);
    c.fillRect({0, bandHeight, canvasWidth, 1});
  }
  c.restore();
  c.setStrokeColor(rim);
  c.setLineWidth(rimWidth);
  c.beginPath();
  c.addRoundedRect(r, radius);
  c.strokePath();
}

Drawing canvasBox(plat::Size size, double radius, plat::Color fill, plat::Color rim,
                  double rimWidth) {
  return [=](plat::DrawContext& c) {
    const plat::Rect r{rimWidth / 2, rimWidth / 2, size.width - rimWidth, size.height - rimWidth};
    rimmedBox(c, r, radius, fill, rim, rimWidth);
  };
}

Writer::Writer(std::string maker, std::string folder)
    : maker_(std::move(maker)), folder_(std::move(folder)) {}

bool Writer::write(const std::string& name, plat::Size size, const Drawing& draw) const {
  plat::ImageContext image(size, false, 2);
  draw(image.context());
  const std::string path = folder_ + "/" + name + "@2x.png";
  const std::string parent = path.substr(0, path.rfind('/'));
  if (!plat::files::createDirectories(parent) || !image.takeImage()->writePNG(path)) {
    std::fprintf(stderr, "%s: cannot write %s\n", maker_.c_str(), path.c_str());
    return false;
  }
  return true;
}

int run(int argc, char** argv, const std::string& maker, const std::string& subfolder,
        const std::function<bool(const Writer&)>& drawAll) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <bundle folder>\n", maker.c_str());
    return 2;
  }
  const std::string bundle = argv[1];
  return drawAll(Writer(maker, subfolder.empty() ? bundle : bundle + "/" + subfolder)) ? 0 : 1;
}

}  // namespace imagemaker
