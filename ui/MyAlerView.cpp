#include "ui/MyAlerView.h"

#include <algorithm>
#include <memory>

#include "platform/base/Utf.h"
#include "platform/draw/DisplayText.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/AlertView.h"
#include "platform/view/Animation.h"
#include "ui/GuiImages.h"
#include "ui/LocalText.h"
#include "ui/ModalAnimation.h"
#include "ui/SharedOverlay.h"

namespace {

constexpr double kTextWidth = 230;
constexpr double kBoxWidth = 250;
constexpr double kMinHeight = 100;
const plat::Font kTextFont = plat::Font::system(14);

}  // namespace

MyAlerView::MyAlerView(const plat::Rect& frame) : View(frame) {
  setAutoresizingMask(plat::kFlexibleAll);
  setAlpha(0);
  // A message to read, never in the way: while it fades in over the whole screen, a tap on the
  // back button or a card's button beside it or under it reaches that button, as it does while
  // the bubble stays and fades out.
  setUserInteractionEnabled(false);

  image_ = std::make_shared<plat::ImageView>();
  image_->setImage(guiimages::stretchable("gui/aler.png", 50, 50));
  image_->setTag(kImageTag);
  // Opaque: a message read over a list must not show the rows under it.
  image_->setAlpha(1);
  image_->setAutoresizingMask(plat::kFlexibleAll);
  addSubview(image_);

  label_ = std::make_shared<plat::Label>();
  label_->setLineBreakMode(plat::LineBreakMode::WordWrap);
  label_->setMinimumFontSize(14);
  label_->setFont(kTextFont);
  label_->setNumberOfLines(0);
  label_->setTextAlignment(plat::TextAlignment::Center);
  label_->setTextColor(plat::Color::black());
  label_->setBackgroundColor(plat::Color::clear());
  label_->setTag(kLabelTag);
  label_->setAutoresizingMask(plat::kFlexibleAll);
  addSubview(label_);
}

std::shared_ptr<MyAlerView> MyAlerView::sharedAler() {
  return sharedoverlay::find<MyAlerView>(kTag);
}

double MyAlerView::holdSeconds(const std::string& text) {
  auto units = static_cast<long long>(plat::utf::utf16Length(text));
  return static_cast<float>(units * 130 + 200) / 1000.0f;
}

void MyAlerView::ViewShow(const std::string& text) {
  if (text.empty()) return;
  if (text[0] == '@') {
    plat::AlertView::create("提示", text.substr(1), nullptr, "确定")->show();
    return;
  }
  // Showing, held or fading: start again from hidden, so the newest text always gets its full
  // fade-in and hold time.
  if (alpha() != 0 || plat::Animation::isAnimating(*this)) {
    removeAllAnimations();
    setAlpha(0);
  }
  setHight(text);
  _delay = holdSeconds(text);
  fadeIn();
}

void MyAlerView::fadeIn() {
  std::weak_ptr<View> weak = weak_from_this();
  plat::Animation::begin();
  plat::Animation::setCurve(plat::AnimationCurve::EaseInOut);
  plat::Animation::setDuration(kFadeSeconds);
  setAlpha(1);
  // A fade-in cut short by a newer text must not start hiding that text.
  plat::Animation::setDidStop([weak](const std::string&, bool finished) {
    auto self = std::static_pointer_cast<MyAlerView>(weak.lock());
    if (self && finished) self->ViewHide();
  });
  plat::Animation::commit();
}

void MyAlerView::ViewHide() {
  plat::Animation::begin();
  plat::Animation::setCurve(plat::AnimationCurve::EaseInOut);
  plat::Animation::setDelay(_delay);
  plat::Animation::setDuration(kFadeSeconds);
  setAlpha(0);
  plat::Animation::commit();
}

std::string MyAlerView::netError(const std::string& text) {
  std::string shown;
  if (text == "Authentication needed") {
    shown = localtext::orEmpty("alermsg_eg30");
  } else if (text == "The request timed out") {
    shown = localtext::orEmpty("alermsg_eg31");
  } else if (text == "The request was cancelled") {
    shown = "请求被撤销";
  } else if (text == "Unable to create request (bad url?)") {
    shown = "无法创建请求，错误的URL地址";
  } else if (text == "The request failed because it redirected too many times") {
    shown = "请求失败，可能是因为被重定向次数过多";
  } else if (text == "A connection failure occurred") {
    shown = localtext::orEmpty("alermsg_eg32");
  }
  return shown.empty() ? text : shown;
}

void MyAlerView::setHight(const std::string& text) {
  // Bounded so that the bubble stays on the screen and is laid out at once.
  std::string shown = plat::boundedDisplayText(netError(text), 400);
  plat::Size measured = plat::measureText(shown, kTextFont, {kTextWidth, 20000});
  double height = std::max(measured.height + 3, kMinHeight);
  label_->setText(shown);
  label_->setFrame({10, 0, kTextWidth, height});
  image_->setFrame({0, 0, kBoxWidth, height});
  plat::Point middle{bounds().width / 2, bounds().height / 2};
  label_->setCenter(middle);
  image_->setCenter(middle);
}

void MyAlerView::animate() {
  auto stage = [](double seconds, const std::function<void()>& change) {
    plat::Animation::begin();
    plat::Animation::setCurve(plat::AnimationCurve::EaseInOut);
    plat::Animation::setDuration(seconds);
    change();
    ModalModalAnimationHelper::commitModalAnimations();
  };
  setAlpha(1);
  stage(0.4, [this] { setTransform(plat::AffineTransform::scale(1.15, 1.15)); });
  stage(0.3, [this] { setTransform(plat::AffineTransform::scale(1.0, 1.0)); });
  ModalModalAnimationHelper::sleepWithoutRunLoop(1.0);
  stage(1.0, [this] { setTransform(plat::AffineTransform::scale(0.01, 0.01)); });
  setAlpha(0);
}
