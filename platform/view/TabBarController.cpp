#include "platform/view/TabBarController.h"

#include <cairo.h>

#include <algorithm>

#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"

namespace plat {
namespace {

const Color kUnselected = Color::white(0.57);
constexpr double kIconSide = 30;

// The bar shows under every tab but a navigation stack whose pushed screen asks to hide it.
bool hidesBar(const ViewController* tab) {
  auto* nav = dynamic_cast<const NavigationController*>(tab);
  return nav && nav->hidesBottomBar();
}

// Draws the image's shape filled with `color`, as the bar shows its icons.
void drawTinted(DrawContext& context, const Image& image, const Rect& rect, const Color& color) {
  cairo_t* cr = context.cairo();
  // The group is as large as the clip: clipped to the icon it stays icon-sized.
  cairo_save(cr);
  cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr);
  cairo_push_group(cr);
  context.drawImage(image, rect);
  cairo_pattern_t* shape = cairo_pop_group(cr);
  cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
  cairo_mask(cr, shape);
  cairo_pattern_destroy(shape);
  cairo_restore(cr);
}

}  // namespace

// ---- TabBar

TabBar::TabBar(const Rect& frame) : View(frame) {
  setAutoresizingMask(kFlexibleWidth | kFlexibleTopMargin);
}

TabBar::~TabBar() {
  for (const auto& item : items_) {
    if (item->observer() == this) item->setObserver(nullptr);
  }
}

void TabBar::setItems(const std::vector<std::shared_ptr<TabBarItem>>& items) {
  items_ = items;
  for (const auto& item : items_) item->setObserver(this);
}

Rect TabBar::itemRect(int index) const {
  if (items_.empty()) return {};
  double w = bounds().width / double(items_.size());
  return {w * index, 0, w, bounds().height};
}

void TabBar::touchesEnded(const TouchSet& touches) {
  if (touches.empty() || items_.empty()) return;
  Point p = touches.front()->locationIn(this);
  if (!bounds().contains(p)) return;
  int index =
      std::clamp(int(p.x / (bounds().width / double(items_.size()))), 0, int(items_.size()) - 1);
  if (items_[size_t(index)]->isEnabled() && tapAction_) tapAction_(index);
}

void TabBar::drawRect(DrawContext& context, const Rect&) {
  Rect b = bounds();
  if (background_) {
    context.drawImage(*background_, b);
  } else {
    context.setFillColor(Color::white(0.97, translucent_ ? 0.98 : 1));
    context.fillRect(b);
    context.setFillColor(Color::white(0.7));
    context.fillRect({0, 0, b.width, 0.5});
  }
  Color selectedColor = selectedTint_.isClear() ? tint_ : selectedTint_;
  for (size_t i = 0; i < items_.size(); ++i) {
    const TabBarItem& item = *items_[i];
    Rect cell = itemRect(int(i));
    bool selected = int(i) == selected_;
    Color color = selected ? selectedColor : kUnselected;
    const std::shared_ptr<Image>& image =
        selected && item.selectedImage() ? item.selectedImage() : item.image();
    Rect icon(cell.midX() - kIconSide / 2, 4, kIconSide, kIconSide);
    if (image) {
      Size s = image->size();
      double f = std::min(1.0, std::min(kIconSide / s.width, kIconSide / s.height));
      Rect fitted(cell.midX() - s.width * f / 2, 4 + (kIconSide - s.height * f) / 2, s.width * f,
                  s.height * f);
      drawTinted(context, *image, fitted, color);
      icon = fitted;
    }
    context.setFillColor(color);
    context.drawText(item.title(), Rect(cell.x, b.height - 15, cell.width, 13), Font::system(10),
                     LineBreakMode::TruncateTail, TextAlignment::Center);
    if (!item.badgeValue().empty()) {
      Font font = Font::system(13);
      Size text = measureText(item.badgeValue(), font);
      double w = std::max(18.0, text.width + 10);
      Rect badge(icon.maxX() - 6, 2, w, 18);
      context.setFillColor(Color::rgb255(255, 59, 48));
      context.beginPath();
      context.addRoundedRect(badge, 9);
      context.fillPath();
      context.setFillColor(Color::white());
      context.drawText(item.badgeValue(), Rect(badge.x, badge.y + (18 - text.height) / 2, w, 18),
                       font, LineBreakMode::Clip, TextAlignment::Center);
    }
  }
}

// ---- TabBarController

TabBarController::TabBarController() : bar_(std::make_shared<TabBar>()) {
  bar_->setTapAction([this](int index) { tapTab(index); });
}

void TabBarController::loadView() {
  Rect screen = Screen::main().bounds();
  auto container = std::make_shared<ContainerView>(screen, [this] { layoutContent(); });
  setView(container);
  container->addSubview(bar_);
  if (ViewController* shown = selectedViewController()) {
    container->insertSubviewBelow(shown->view(), bar_.get());
  }
  layoutContent();
}

Rect TabBarController::childFrame(const ViewController& child) const {
  Rect b = isViewLoaded() ? const_cast<TabBarController*>(this)->view()->bounds()
                          : Screen::main().bounds();
  unsigned edges = child.edgesForExtendedLayout();
  // Navigation controllers place their own content around the bars.
  bool container = dynamic_cast<const NavigationController*>(&child) != nullptr;
  double top = container || (edges & kRectEdgeTop) ? 0 : Screen::kStatusBarHeight;
  bool underBar = container || barHidden_ ||
                  ((edges & kRectEdgeBottom) &&
                   (bar_->isTranslucent() || child.extendedLayoutIncludesOpaqueBars()));
  double bottom = underBar ? 0 : TabBar::kHeight;
  return {0, top, b.width, b.height - top - bottom};
}

void TabBarController::layoutContent() {
  if (!isViewLoaded()) return;
  Rect b = view()->bounds();
  bar_->setFrame({0, b.height - TabBar::kHeight, b.width, TabBar::kHeight});
  bar_->setHidden(barHidden_);
  if (ViewController* shown = selectedViewController()) {
    if (shown->isViewLoaded() && shown->view()->superview() == view().get()) {
      shown->view()->setFrame(childFrame(*shown));
    }
  }
}

void TabBarController::setViewControllers(
    std::vector<std::shared_ptr<ViewController>> controllers) {
  std::erase(controllers, nullptr);
  ViewController* old = selectedViewController();
  bool onScreen = isOnScreen();
  if (old && onScreen) old->beginAppearance(false, false);
  if (old && old->isViewLoaded()) old->view()->removeFromSuperview();
  for (const auto& c : tabs_) {
    if (std::find(controllers.begin(), controllers.end(), c) == controllers.end()) {
      c->removeFromParentViewController();
    }
  }
  if (old && onScreen) old->endAppearance();
  tabs_ = std::move(controllers);
  std::vector<std::shared_ptr<TabBarItem>> items;
  for (const auto& c : tabs_) {
    addChildViewController(c);
    items.push_back(c->sharedTabBarItem());
  }
  bar_->setItems(items);
  selected_ = tabs_.empty() ? 0 : std::clamp(selected_, 0, int(tabs_.size()) - 1);
  bar_->setSelectedIndex(selected_);
  ViewController* shown = selectedViewController();
  barHidden_ = hidesBar(shown);
  if (!shown || !isViewLoaded()) return;
  view()->insertSubviewBelow(shown->view(), bar_.get());
  layoutContent();
  if (onScreen) {
    shown->beginAppearance(true, false);
    shown->endAppearance();
  }
}

ViewController* TabBarController::selectedViewController() const {
  if (selected_ < 0 || selected_ >= int(tabs_.size())) return nullptr;
  return tabs_[size_t(selected_)].get();
}

bool TabBarController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  ViewController* shown = selectedViewController();
  return shown ? shown->shouldAutorotateToInterfaceOrientation(o)
               : ViewController::shouldAutorotateToInterfaceOrientation(o);
}

std::vector<ViewController*> TabBarController::visibleChildren() const {
  if (ViewController* shown = selectedViewController()) return {shown};
  return {};
}

void TabBarController::setSelectedIndex(int index) {
  if (index < 0 || index >= int(tabs_.size()) || index == selected_) return;
  ViewController* old = selectedViewController();
  ViewController* shown = tabs_[size_t(index)].get();
  bool onScreen = isOnScreen();
  if (onScreen) old->beginAppearance(false, false);
  // The screen coming in lays itself out as it appears: the bar must already be as it will be.
  barHidden_ = hidesBar(shown);
  if (onScreen) shown->beginAppearance(true, false);
  selected_ = index;
  bar_->setSelectedIndex(index);
  if (isViewLoaded()) {
    if (old->isViewLoaded()) old->view()->removeFromSuperview();
    view()->insertSubviewBelow(shown->view(), bar_.get());
    layoutContent();
  }
  if (onScreen) {
    old->endAppearance();
    shown->endAppearance();
  }
}

void TabBarController::setTabBarHidden(bool hidden) {
  if (hidden == barHidden_) return;
  barHidden_ = hidden;
  if (isViewLoaded()) view()->setNeedsLayout();
  layoutContent();
}

void TabBarController::tapTab(int index) {
  if (index < 0 || index >= int(tabs_.size())) return;
  ViewController& target = *tabs_[size_t(index)];
  if (delegate_ && !delegate_->shouldSelectViewController(*this, target)) return;
  if (index == selected_) {
    if (auto* nav = dynamic_cast<NavigationController*>(&target))
      nav->popToRootViewController(true);
  } else {
    setSelectedIndex(index);
  }
  if (delegate_) delegate_->didSelectViewController(*this, target);
}

}  // namespace plat
