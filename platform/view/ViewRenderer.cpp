#include "platform/view/ViewRenderer.h"

#include <cairo.h>

#include "platform/draw/ImageContext.h"
#include "platform/view/Animation.h"
#include "platform/view/Application.h"
#include "platform/view/Screen.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

// Content of `view` in its own frame space: top left of its bounds rectangle at (0, 0).
void drawContent(View& view, const Presentation& p, DrawContext& ctx) {
  Rect local(0, 0, p.bounds.width, p.bounds.height);
  bool clips = view.clipsToBounds();
  if (clips) {
    ctx.beginPath();
    ctx.addRoundedRect(local, view.cornerRadius());
    ctx.clip();
  }
  if (!p.backgroundColor.isClear()) {
    ctx.setFillColor(p.backgroundColor);
    ctx.beginPath();
    ctx.addRoundedRect(local, view.cornerRadius());
    ctx.fillPath();
  }
  ctx.save();
  ctx.translate(-p.bounds.x, -p.bounds.y);
  {
    CurrentContextScope current(ctx);
    ViewRenderer::drawContentOnly(view, ctx);
  }
  for (const auto& child : std::vector<std::shared_ptr<View>>(view.subviews())) {
    ViewRenderer::drawInSuperview(*child, ctx);
  }
  ctx.restore();
  if (view.borderWidth() > 0) {
    double w = view.borderWidth();
    ctx.setStrokeColor(view.borderColor());
    ctx.setLineWidth(w);
    ctx.beginPath();
    ctx.addRoundedRect(local.insetBy(w / 2, w / 2), std::max(0.0, view.cornerRadius() - w / 2));
    ctx.strokePath();
  }
}

}  // namespace

void ViewRenderer::drawInSuperview(View& view, DrawContext& ctx) {
  if (view.isHidden()) return;
  Presentation p = Animation::presentationOf(view);
  if (p.alpha <= 0.001) return;
  ctx.save();
  ctx.translate(p.center.x, p.center.y);
  if (!p.transform.isIdentity()) ctx.concat(p.transform);
  ctx.translate(-p.bounds.width / 2, -p.bounds.height / 2);
  // Nothing of a clipped view outside the area being drawn can show.
  Rect visible = ctx.clipBounds();
  bool outside = !visible.intersects(Rect(0, 0, p.bounds.width, p.bounds.height));
  bool offscreen = outside && (view.clipsToBounds() || view.subviews().empty());
  if (!offscreen) {
    cairo_t* cr = ctx.cairo();
    bool translucent = p.alpha < 0.999;
    if (translucent) cairo_push_group(cr);
    drawContent(view, p, ctx);
    if (translucent) {
      cairo_pop_group_to_source(cr);
      cairo_paint_with_alpha(cr, p.alpha);
    }
  }
  ctx.restore();
}

namespace {

void displayDirty(View& view, DrawContext& scratch) {
  if (view.isHidden() || view.alpha() <= 0.001) return;
  if (view.needsDisplay()) {
    CurrentContextScope current(scratch);
    scratch.save();
    ViewRenderer::drawContentOnly(view, scratch);
    scratch.restore();
  }
  for (const auto& child : std::vector<std::shared_ptr<View>>(view.subviews())) {
    displayDirty(*child, scratch);
  }
}

}  // namespace

void ViewRenderer::drawContentOnly(View& view, DrawContext& context) {
  view.needsDisplay_ = false;
  view.drawRect(context, view.bounds());
}

void ViewRenderer::displayPass() {
  ImageContext scratch({1, 1}, false, 1);
  for (Window* window : Application::shared().windows()) {
    window->layoutIfNeeded();
    displayDirty(*window, scratch.context());
  }
}

std::shared_ptr<Image> ViewRenderer::renderView(View& view, double scale) {
  view.layoutIfNeeded();
  Presentation p = Animation::presentationOf(view);
  ImageContext image(p.bounds.size(), false, scale);
  DrawContext& ctx = image.context();
  drawContent(view, p, ctx);
  return image.takeImage();
}

std::shared_ptr<Image> ViewRenderer::renderScreen(double scale) {
  Rect screen = Screen::main().bounds();
  ImageContext image(screen.size(), Color::black(), scale);
  DrawContext& ctx = image.context();
  for (Window* window : Application::shared().windows()) {
    window->layoutIfNeeded();
    drawInSuperview(*window, ctx);
  }
  // The status bar's black style is an opaque strip; the others let the screen show through.
  const Application& app = Application::shared();
  if (!app.isStatusBarHidden() && app.statusBarStyle() == StatusBarStyle::BlackOpaque) {
    ctx.setFillColor(Color::black());
    ctx.fillRect({0, 0, screen.width, Screen::kStatusBarHeight});
  }
  return image.takeImage();
}

}  // namespace plat
