#include "app/TabIcons.h"

#include <cmath>
#include <functional>
#include <map>
#include <utility>

#include "platform/draw/ImageContext.h"

namespace TabIcons {
namespace {

using plat::DrawContext;
using plat::Point;
using plat::Rect;

constexpr double kSide = 30;
constexpr double kLine = 2;

enum class Icon { kReview, kBooks, kStatistics, kSettings };

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

// Every launch shows the same icons: each is drawn once per screen scale, as images never change.
// Main thread only, as the tab bar is built.
std::shared_ptr<plat::Image> draw(Icon icon, const std::function<void(DrawContext&)>& shape) {
  static std::map<std::pair<Icon, double>, std::shared_ptr<plat::Image>> drawn;
  const double scale = plat::ImageContext::defaultScale();
  std::shared_ptr<plat::Image>& image = drawn[{icon, scale}];
  if (!image) image = drawNow(shape, scale);
  return image;
}

}  // namespace

std::shared_ptr<plat::Image> review() {
  return draw(Icon::kReview, [](DrawContext& c) {
    c.beginPath();
    c.addRoundedRect({5, 3, 20, 24}, 3);
    c.strokePath();
    c.beginPath();
    c.moveTo({10, 15});
    c.lineTo({14, 19});
    c.lineTo({20, 10});
    c.strokePath();
  });
}

std::shared_ptr<plat::Image> books() {
  return draw(Icon::kBooks, [](DrawContext& c) {
    c.beginPath();
    c.addRoundedRect({6, 3, 19, 24}, 2);
    c.strokePath();
    c.fillRect({6, 3, 4, 24});  // the spine
    for (double y : {10.0, 15.0}) c.strokeLine({14, y}, {21, y});
  });
}

std::shared_ptr<plat::Image> statistics() {
  return draw(Icon::kStatistics, [](DrawContext& c) {
    c.fillRect({5, 17, 5, 10});
    c.fillRect({12.5, 11, 5, 16});
    c.fillRect({20, 4, 5, 23});
  });
}

std::shared_ptr<plat::Image> settings() {
  return draw(Icon::kSettings, [](DrawContext& c) {
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
  });
}

}  // namespace TabIcons
