#include "platform/view/KeyboardBar.h"

#include "platform/view/Button.h"
#include "platform/view/Label.h"

namespace plat::keyboardbar {

namespace {
constexpr double kKeyWidth = 64;
constexpr double kKeyMargin = 4;
constexpr int kKeyTag = 1;
}  // namespace

bool hasReturnKey(KeyboardType type) {
  return type != KeyboardType::NumberPad && type != KeyboardType::PhonePad &&
         type != KeyboardType::DecimalPad;
}

bool hasKey(KeyboardType type, const std::string& character) {
  auto oneOf = [&character](const char* keys) {
    return character.size() == 1 && std::string(keys).find(character[0]) != std::string::npos;
  };
  switch (type) {
    case KeyboardType::NumberPad:
      return oneOf("0123456789");
    case KeyboardType::DecimalPad:
      return oneOf("0123456789.");
    case KeyboardType::PhonePad:
      return oneOf("0123456789+*#");
    default:
      return true;
  }
}

std::shared_ptr<View> make(double width, std::function<void()> pressKey) {
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

  auto key = Button::create(ButtonType::Custom, {width - kKeyWidth - kKeyMargin, kKeyMargin,
                                                 kKeyWidth, kHeight - 2 * kKeyMargin});
  key->setTag(kKeyTag);
  key->setTitle("回车");
  key->setTitleColor(Color::black());
  key->titleLabel().setFont(Font::system(15));
  key->setBackgroundColor(Color::white());
  key->setCornerRadius(5);
  key->setAutoresizingMask(kFlexibleLeftMargin);
  key->addTarget([pressKey = std::move(pressKey)](Control&) { pressKey(); }, kTouchUpInside);
  bar->addSubview(key);
  return bar;
}

void showKeyFor(View& bar, KeyboardType type) {
  if (auto* key = dynamic_cast<Button*>(bar.viewWithTag(kKeyTag)))
    key->setTitle(hasReturnKey(type) ? "回车" : "完成");
}

}  // namespace plat::keyboardbar
