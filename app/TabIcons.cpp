#include "app/TabIcons.h"

#include <cmath>
#include <functional>
#include <map>

#include "platform/draw/ImageContext.h"

namespace TabIcons {
namespace {

using plat::DrawContext;
using plat::Point;
using plat::Rect;

constexpr double kSide = 30;
constexpr double kLine = 2;

std::shared_ptr<plat::Image> drawNow(const std::function<void(DrawContext&)>& shape, double scale) {
  plat::ImageContext image({kSide, kSide}, false, scale);
  DrawContext& c = image.context();
  c.setFillColor(plat::Color::black());
  c.setStrokeColor(plat::Color::black());
  c.setLineWidth(kLine);
  c.setLineCap(plat::LineCap::Round);
  c.setLineJoin(plat::LineJoin::Round);
  shape(c);
  return image.takeImage();
}

// Every launch shows the same icons: each is drawn once per screen scale (images never change).
// Main thread only, as the tab bar is built.
std::shared_ptr<plat::Image> draw(const std::function<void(DrawContext&)>& shape,
                                  std::map<double, std::shared_ptr<plat::Image>>& drawn) {
  const double scale = plat::ImageContext::defaultScale();
  std::shared_ptr<plat::Image>& icon = drawn[scale];
  if (!icon) icon = drawNow(shape, scale);
  return icon;
}

}  // namespace

std::shared_ptr<plat::Image> review() {
  static std::map<double, std::shared_ptr<plat::Image>> drawn;
  return draw([](DrawContext& c) {
    c.beginPath();
    c.addRoundedRect({5, 3, 20, 24}, 3);
    c.strokePath();
    c.beginPath();
    c.moveTo({10, 15});
    c.lineTo({14, 19});
    c.lineTo({20, 10});
    c.strokePath();
  }, drawn);
}

std::shared_ptr<plat::Image> books() {
  static std::map<double, std::shared_ptr<plat::Image>> drawn;
  return draw([](DrawContext& c) {
    c.beginPath();
    c.addRoundedRect({6, 3, 19, 24}, 2);
    c.strokePath();
    c.fillRect({6, 3, 4, 24});  // the spine
    for (double y : {10.0, 15.0}) c.strokeLine({14, y}, {21, y});
  }, drawn);
}

std::shared_ptr<plat::Image> statistics() {
  static std::map<double, std::shared_ptr<plat::Image>> drawn;
  return draw([](DrawContext& c) {
    c.fillRect({5, 17, 5, 10});
    c.fillRect({12.5, 11, 5, 16});
    c.fillRect({20, 4, 5, 23});
  }, drawn);
}

std::shared_ptr<plat::Image> settings() {
  static std::map<double, std::shared_ptr<plat::Image>> drawn;
  return draw([](DrawContext& c) {
    const Point centre{15, 15};
    for (int i = 0; i < 8; ++i) {
      const double a = i * M_PI / 4;
      c.strokeLine({centre.x + 8 * std::cos(a), centre.y + 8 * std::sin(a)},
                   {centre.x + 12 * std::cos(a), centre.y + 12 * std::sin(a)});
    }
    c.setLineWidth(3);
    c.strokeEllipse({7.5, 7.5, 15, 15});
    c.setLineWidth(kLine);
    c.strokeEllipse({12, 12, 6, 6});
  }, drawn);
}

}  // namespace TabIcons
