#include "platform/view/KeyboardBar.h"

#include "platform/view/Button.h"
#include "platform/view/Label.h"

namespace plat::keyboardbar {

namespace {
constexpr double kKeyWidth = 64;
constexpr double kKeyMargin = 4;
}  // namespace

std::shared_ptr<View> make(double width, std::function<void()> pressReturn) {
  auto bar = std::make_shared<View>(Rect{0, 0, width, kHeight});
  bar->setBackgroundColor(Color::rgb255(209, 213, 219));
  bar->setAutoresizingMask(kFlexibleWidth);

  auto hint = std::make_shared<Label>(Rect{10, 0, width - kKeyWidth - 20, kHeight});
  hint->setText("请用电脑键盘输入");
  hint->setFont(Font::system(14));
  hint->setTextColor(Color::darkGray());
  hint->setBackgroundColor(Color::clear());
  hint->setAutoresizingMask(kFlexibleWidth);
  bar->addSubview(hint);

  auto returnKey = Button::create(ButtonType::Custom, {width - kKeyWidth - kKeyMargin, kKeyMargin,
                                                       kKeyWidth, kHeight - 2 * kKeyMargin});
  returnKey->setTitle("回车");
  returnKey->setTitleColor(Color::black());
  returnKey->titleLabel().setFont(Font::system(15));
  returnKey->setBackgroundColor(Color::white());
  returnKey->setCornerRadius(5);
  returnKey->setAutoresizingMask(kFlexibleLeftMargin);
  returnKey->addTarget([pressReturn = std::move(pressReturn)](Control&) { pressReturn(); },
                       kTouchUpInside);
  bar->addSubview(returnKey);
  return bar;
}

}  // namespace plat::keyboardbar
