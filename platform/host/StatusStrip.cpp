#include "platform/host/StatusStrip.h"

#include <cairo.h>

#include <cmath>
#include <numbers>

#include "platform/draw/DrawContext.h"
#include "platform/view/Screen.h"

namespace plat {
namespace {

constexpr int kSpokes = 12;
constexpr double kStepsPerSecond = 12;

void drawSpinner(DrawContext& context, const Rect& frame, const Color& color, int step) {
  const Point centre{frame.x + frame.width / 2, frame.y + frame.height / 2};
  const double outer = frame.width / 2, inner = outer * 0.45;
  context.setLineWidth(frame.width / 8);
  context.setLineCap(LineCap::Round);
  for (int spoke = 0; spoke < kSpokes; ++spoke) {
    // The spoke at the turning head is the darkest; the ones behind it fade.
    const int behind = (step - spoke + kSpokes) % kSpokes;
    const double angle = 2 * std::numbers::pi * spoke / kSpokes;
    const double dx = std::sin(angle), dy = -std::cos(angle);
    context.setStrokeColor(color.withAlpha(1.0 - 0.07 * behind));
    context.strokeLine({centre.x + dx * inner, centre.y + dy * inner},
                       {centre.x + dx * outer, centre.y + dy * outer});
  }
}

}  // namespace

Rect StatusStrip::indicatorFrame() {
  const double side = Screen::kStatusBarHeight - 6;
  return {6, 3, side, side};
}

void StatusStrip::drawOver(Image& screen, const Application& application, double now) {
  if (application.isStatusBarHidden() || !application.isNetworkActivityIndicatorVisible()) return;
  cairo_t* cr = cairo_create(screen.surface());
  cairo_scale(cr, screen.scale(), screen.scale());
  {
    DrawContext context(cr);
    // Light marks on the dark strips, dark ones on the light.
    const bool dark = application.statusBarStyle() != StatusBarStyle::Default;
    const int step = static_cast<int>(std::fmod(now * kStepsPerSecond, kSpokes));
    drawSpinner(context, indicatorFrame(), dark ? Color::white() : Color::rgb(0.2, 0.2, 0.2),
                step);
  }
  cairo_destroy(cr);
  cairo_surface_mark_dirty(screen.surface());
}

}  // namespace plat
