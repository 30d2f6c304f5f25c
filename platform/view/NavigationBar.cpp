#include "platform/view/NavigationBar.h"

#include <algorithm>

namespace plat {
namespace {

constexpr double kMargin = 5;
constexpr double kButtonPadding = 10;

std::shared_ptr<Image>& defaultBackground() {
  static std::shared_ptr<Image> image;
  return image;
}

Color& defaultTint() {
  static Color tint = Color::rgb255(0, 122, 255);
  return tint;
}

}  // namespace

NavigationBar::NavigationBar(const Rect& frame) : View(frame), tint_(defaultTint()) {
  setAutoresizingMask(kFlexibleWidth | kFlexibleBottomMargin);
}

NavigationBar::~NavigationBar() {
  for (const auto& item : items_) {
    if (item->observer() == this) item->setObserver(nullptr);
  }
}

void NavigationBar::setDefaultBackgroundImage(std::shared_ptr<Image> image) {
  defaultBackground() = std::move(image);
}

void NavigationBar::setDefaultTintColor(const Color& color) {
  defaultTint() = color;
}

void NavigationBar::setItems(const std::vector<std::shared_ptr<NavigationItem>>& items) {
  for (const auto& item : items_) {
    if (item->observer() == this) item->setObserver(nullptr);
  }
  items_ = items;
  if (!items_.empty()) items_.back()->setObserver(this);
  setNeedsLayout();
}

std::shared_ptr<View> NavigationBar::viewFor(const std::shared_ptr<BarButtonItem>& item) {
  if (!item) return nullptr;
  item->setObserver(this);
  if (item->customView()) return item->customView();
  auto button = Button::create(ButtonType::System);
  if (item->image()) {
    button->setImage(item->image());
  } else {
    button->setTitle(item->title());
  }
  button->titleLabel().setFont(item->style() == BarButtonStyle::Done ? Font::boldSystem(17)
                                                                     : Font::system(17));
  button->setTitleColor(item->tintColor().isClear() ? tint_ : item->tintColor());
  button->setEnabled(item->isEnabled());
  std::weak_ptr<BarButtonItem> weak = item;
  button->addTarget(
      this, "item",
      [weak](Control&) {
        if (auto item = weak.lock()) item->trigger();
      },
      kTouchUpInside);
  Size size = button->sizeThatFits({});
  button->setFrame({0, 0, size.width + kButtonPadding, kHeight});
  return button;
}

void NavigationBar::clear() {
  for (auto* view : {&left_, &right_, &title_}) {
    if (*view && (*view)->superview() == this) (*view)->removeFromSuperview();
    view->reset();
  }
  if (back_) back_->removeFromSuperview();
  back_.reset();
}

void NavigationBar::layoutSubviews() {
  clear();
  NavigationItem* top = topItem();
  if (!top) return;
  double width = bounds().width, height = bounds().height;
  auto centreY = [&](const std::shared_ptr<View>& v) {
    Rect f = v->frame();
    return (height - f.height) / 2;
  };

  left_ = viewFor(top->leftBarButtonItem());
  if (!left_ && backItem() && !top->hidesBackButton()) {
    NavigationItem* below = backItem();
    std::string title =
        below->backBarButtonItem() ? below->backBarButtonItem()->title() : below->title();
    back_ = Button::create(ButtonType::System);
    back_->setTitle("‹ " + (title.empty() ? std::string("返回") : title));
    back_->titleLabel().setFont(Font::system(17));
    back_->setTitleColor(tint_);
    back_->setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
    back_->addTarget(
        this, "back",
        [this](Control&) {
          if (backAction_) backAction_();
        },
        kTouchUpInside);
    Size size = back_->sizeThatFits({});
    back_->setFrame({0, 0, std::min(size.width + kButtonPadding, width / 3), kHeight});
    left_ = back_;
  }
  right_ = viewFor(top->rightBarButtonItem());

  double leftEdge = kMargin, rightEdge = width - kMargin;
  if (left_) {
    Rect f = left_->frame();
    left_->setFrame({kMargin, centreY(left_), f.width, f.height});
    addSubview(left_);
    leftEdge = kMargin + f.width;
  }
  if (right_) {
    Rect f = right_->frame();
    right_->setFrame({width - kMargin - f.width, centreY(right_), f.width, f.height});
    addSubview(right_);
    rightEdge = width - kMargin - f.width;
  }

  if (top->titleView()) {
    title_ = top->titleView();
  } else {
    auto label = std::make_shared<Label>();
    label->setText(top->title());
    label->setFont(Font::boldSystem(17));
    label->setTextAlignment(TextAlignment::Center);
    label->sizeToFit();
    title_ = label;
  }
  // Centred on the bar, kept clear of the side items.
  Rect f = title_->frame();
  double room = std::max(0.0, rightEdge - leftEdge);
  double w = std::min(f.width, room);
  double x = std::clamp((width - w) / 2, leftEdge, rightEdge - w);
  title_->setFrame({x, (height - f.height) / 2, w, f.height});
  addSubview(title_);
}

void NavigationBar::drawRect(DrawContext& context, const Rect&) {
  Rect area(0, -extension_, bounds().width, bounds().height + extension_);
  const std::shared_ptr<Image>& image = background_ ? background_ : defaultBackground();
  if (image) {
    context.drawImage(*image, area);
    return;
  }
  context.setFillColor(Color::white(0.97, translucent_ ? 0.98 : 1));
  context.fillRect(area);
  context.setFillColor(Color::white(0.7));
  context.fillRect({0, bounds().height - 0.5, bounds().width, 0.5});
}

}  // namespace plat
