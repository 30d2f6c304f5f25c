// What the one-line text field and the multi-line text view share: ranges counted in UTF-16
// units, as delegates are told them, and the edits typing makes.
#pragma once

#include <string>

namespace plat {

// A range of text in UTF-16 units.
struct TextRange {
  size_t location = 0;
  size_t length = 0;
  bool operator==(const TextRange&) const = default;
};

enum class KeyboardType {
  Default,
  ASCIICapable,
  NumbersAndPunctuation,
  URL,
  NumberPad,
  PhonePad,
  NamePhonePad,
  EmailAddress,
  DecimalPad
};
enum class ReturnKeyType { Default, Go, Google, Join, Next, Route, Search, Send, Yahoo, Done };

namespace textedit {

// The range typing `inserted` at the end of `text` replaces.
TextRange appendRange(const std::string& text);
// The range of the last character of `text` (empty for empty text).
TextRange lastCharacterRange(const std::string& text);
// `text` without its last character.
std::string dropLastCharacter(const std::string& text);
// As many "•" as `text` has characters.
std::string bullets(const std::string& text);

}  // namespace textedit
}  // namespace plat
