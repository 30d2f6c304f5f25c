#include "platform/view/KeyboardBar.h"

#include "platform/base/Utf.h"
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

namespace {

// The keys of a keypad for numbers; "" for a keyboard that has every key.
const char* keypadKeys(KeyboardType type) {
  switch (type) {
    case KeyboardType::NumberPad:
      return "0123456789";
    case KeyboardType::DecimalPad:
      return "0123456789.";
    case KeyboardType::PhonePad:
      return "0123456789+*#";
    default:
      return "";
  }
}

// Full-width forms of the printable ASCII characters sit this far above them.
constexpr char32_t kFullWidthFirst = 0xFF01, kFullWidthLast = 0xFF5E, kFullWidthOffset = 0xFEE0;

}  // namespace

std::optional<std::string> keyFor(KeyboardType type, const std::string& character) {
  const std::string keys = keypadKeys(type);
  if (keys.empty()) return character;
  size_t pos = 0;
  char32_t c = utf::decodeNext(character, pos);
  if (pos != character.size()) return std::nullopt;  // not one character
  if (c >= kFullWidthFirst && c <= kFullWidthLast) c -= kFullWidthOffset;
  if (c >= 0x80 || keys.find(static_cast<char>(c)) == std::string::npos) return std::nullopt;
  return std::string(1, static_cast<char>(c));
}

std::optional<std::string> pastedText(KeyboardType type, const std::string& text) {
  // A keyboard with every key types any text as it is: a paste of megabytes is not walked.
  if (*keypadKeys(type) == '\0') return text;
  std::string typed;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    utf::decodeNext(text, pos);
    if (pos <= start) return std::nullopt;
    std::optional<std::string> key = keyFor(type, text.substr(start, pos - start));
    if (!key) return std::nullopt;
    typed += *key;
  }
  return typed;
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
