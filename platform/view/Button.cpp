#include "platform/view/Button.h"

#include <algorithm>

namespace plat {
namespace {

const Color kTint = Color::rgb255(0, 122, 255);

// How far an element moves for its insets under an alignment: all of the leading inset when
// aligned to the leading edge, half the difference when centred.
double shiftFor(double lead, double trail, bool leading, bool trailing) {
  if (leading) return lead;
  if (trailing) return -trail;
  return (lead - trail) / 2;
}

}  // namespace

Button::Button(ButtonType type, const Rect& frame) : Control(frame), type_(type) {
  setOpaque(false);
  imageView_ = std::make_shared<ImageView>();
  titleLabel_ = std::make_shared<Label>();
  titleLabel_->setFont(Font::system(15));
  titleLabel_->setLineBreakMode(LineBreakMode::TruncateMiddle);
  addSubview(imageView_);
  addSubview(titleLabel_);
  refresh();
}

std::shared_ptr<Button> Button::create(ButtonType type, const Rect& frame) {
  return std::make_shared<Button>(type, frame);
}

template <typename T>
T Button::lookup(const std::map<unsigned, T>& values, unsigned state, const T& fallback) const {
  for (unsigned s : {state, state & ~kStateHighlighted, state & kStateSelected, 0u}) {
    auto found = values.find(s);
    if (found != values.end()) return found->second;
  }
  return fallback;
}

void Button::setTitle(const std::string& title, unsigned state) {
  titles_[state] = title;
  refresh();
}

std::string Button::titleForState(unsigned state) const {
  return lookup(titles_, state, {});
}

void Button::setTitleColor(const Color& color, unsigned state) {
  titleColors_[state] = color;
  refresh();
}

Color Button::titleColorForState(unsigned state) const {
  Color fallback = type_ == ButtonType::Custom ? Color::white() : kTint;
  if ((state & kStateDisabled) && type_ != ButtonType::Custom && !titleColors_.count(state)) {
    return Color::white(0.56);
  }
  return lookup(titleColors_, state, fallback);
}

void Button::setTitleShadowColor(const Color& color, unsigned state) {
  shadowColors_[state] = color;
  refresh();
}

void Button::setImage(std::shared_ptr<Image> image, unsigned state) {
  images_[state] = std::move(image);
  refresh();
}

std::shared_ptr<Image> Button::imageForState(unsigned state) const {
  return lookup(images_, state, std::shared_ptr<Image>());
}

void Button::setBackgroundImage(std::shared_ptr<Image> image, unsigned state) {
  backgrounds_[state] = std::move(image);
  refresh();
}

std::shared_ptr<Image> Button::backgroundImageForState(unsigned state) const {
  return lookup(backgrounds_, state, std::shared_ptr<Image>());
}

void Button::setContentEdgeInsets(const EdgeInsets& insets) {
  contentInsets_ = insets;
  setNeedsLayout();
}
void Button::setTitleEdgeInsets(const EdgeInsets& insets) {
  titleInsets_ = insets;
  setNeedsLayout();
}
void Button::setImageEdgeInsets(const EdgeInsets& insets) {
  imageInsets_ = insets;
  setNeedsLayout();
}

void Button::setEnabled(bool enabled) {
  Control::setEnabled(enabled);
  refresh();
}
void Button::setSelected(bool selected) {
  Control::setSelected(selected);
  refresh();
}
void Button::setHighlighted(bool highlighted) {
  Control::setHighlighted(highlighted);
  refresh();
}

void Button::refresh() {
  unsigned s = state();
  titleLabel_->setText(currentTitle());
  titleLabel_->setTextColor(currentTitleColor());
  titleLabel_->setShadowColor(lookup(shadowColors_, s, Color::clear()));
  titleLabel_->setAlpha(type_ != ButtonType::Custom && isHighlighted() ? 0.2 : 1);
  imageView_->setImage(currentImage());
  // Without an image of its own for the state, a pressed image darkens, a disabled one fades.
  bool ownHighlighted = images_.count(s) && (s & kStateHighlighted);
  bool ownDisabled = images_.count(s) && (s & kStateDisabled);
  double darken = isHighlighted() && adjustsWhenHighlighted_ && !ownHighlighted ? 0.3 : 0;
  double lighten = !isEnabled() && adjustsWhenDisabled_ && !ownDisabled ? 0.5 : 0;
  imageView_->setDimming(darken, lighten);
  setNeedsLayout();
}

Size Button::titleSize() const {
  const std::string title = currentTitle();
  if (title.empty()) return {};
  if (title != measuredTitle_ || titleLabel_->font() != measuredFont_) {
    measuredSize_ = measureText(title, titleLabel_->font());
    measuredTitle_ = title;
    measuredFont_ = titleLabel_->font();
  }
  return measuredSize_;
}

Size Button::sizeThatFits(Size) const {
  Size image = currentImage() ? currentImage()->size() : Size{};
  Size title = titleSize();
  Size background = currentBackgroundImage() ? currentBackgroundImage()->size() : Size{};
  double w = image.width + title.width + contentInsets_.left + contentInsets_.right;
  double h = std::max(image.height, title.height) + contentInsets_.top + contentInsets_.bottom;
  return {std::max(w, background.width), std::max(h, background.height)};
}

void Button::layoutSubviews() {
  Rect content = bounds().inset(contentInsets_);
  Size image = currentImage() ? currentImage()->size() : Size{};
  Size title = titleSize();
  double room = content.width - image.width - titleInsets_.left - titleInsets_.right;
  // A title allowed more than one line wraps within the room rather than being cut at its edge.
  if (titleLabel_->numberOfLines() != 1 && title.width > room && room > 0) {
    title = measureText(currentTitle(), titleLabel_->font(), {room, std::max(0.0, content.height)},
                        titleLabel_->lineBreakMode());
  }
  title.width = std::max(0.0, std::min(title.width, room));
  title.height = std::min(title.height, std::max(0.0, content.height));

  ContentHorizontalAlignment h = contentHorizontalAlignment();
  ContentVerticalAlignment v = contentVerticalAlignment();
  bool left = h == ContentHorizontalAlignment::Left, right = h == ContentHorizontalAlignment::Right;
  bool top = v == ContentVerticalAlignment::Top, bottom = v == ContentVerticalAlignment::Bottom;
  if (h == ContentHorizontalAlignment::Fill) title.width = std::max(0.0, room);

  double total = image.width + title.width;
  double x = left    ? content.x
             : right ? content.maxX() - total
                     : content.x + (content.width - total) / 2;
  auto yFor = [&](double height) {
    if (v == ContentVerticalAlignment::Fill) return content.y;
    return top      ? content.y
           : bottom ? content.maxY() - height
                    : content.y + (content.height - height) / 2;
  };
  double imageHeight = v == ContentVerticalAlignment::Fill ? content.height : image.height;
  Rect imageRect(x, yFor(imageHeight), image.width, imageHeight);
  Rect titleRect(x + image.width, yFor(title.height), title.width, title.height);
  imageRect = imageRect.offsetBy(shiftFor(imageInsets_.left, imageInsets_.right, left, right),
                                 shiftFor(imageInsets_.top, imageInsets_.bottom, top, bottom));
  titleRect = titleRect.offsetBy(shiftFor(titleInsets_.left, titleInsets_.right, left, right),
                                 shiftFor(titleInsets_.top, titleInsets_.bottom, top, bottom));
  imageView_->setFrame(imageRect);
  titleLabel_->setFrame(titleRect);
  titleLabel_->setTextAlignment(left    ? TextAlignment::Left
                                : right ? TextAlignment::Right
                                        : TextAlignment::Center);
}

void Button::drawRect(DrawContext& context, const Rect&) {
  if (auto background = currentBackgroundImage()) context.drawImage(*background, bounds());
  if (showsTouch_ && isHighlighted()) {
    Point c = bounds().center();
    context.setFillColor(Color::white(1, 0.5));
    context.fillEllipse(Rect(c.x - 10, c.y - 10, 20, 20));
  }
}

}  // namespace plat
