// What the one-line text field and the multi-line text view share: ranges counted in UTF-16
// units, as delegates are told them, and the edits typing makes.
#pragma once

#include <functional>
#include <string>

namespace plat {

class View;

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

// Asked before a change: the range replaced and the replacement.
using ChangeCheck = std::function<bool(TextRange, const std::string&)>;
// Types `typed` at the end of `text` when `allow` agrees; true when the text changed.
bool append(std::string& text, const std::string& typed, const ChangeCheck& allow);
// Deletes the last character of `text` when `allow` agrees; true when the text changed.
bool deleteLast(std::string& text, const ChangeCheck& allow);

// The editing sequence of every text input: ask, take the first responder's place (or give it
// up), tell, then let the keyboard follow. False when the asking or the handover refused.
bool beginEditing(View& view, const std::function<bool()>& ask, const std::function<void()>& tell);
bool endEditing(View& view, const std::function<bool()>& ask, const std::function<void()>& tell);
// A paste that came after the editing ended (read from a slow program) ends it once more: the
// owner asked and told as at the end, so that whatever it keeps of an editing's end (a setting
// stored, a note saved) takes the paste in too, and the field shows what is kept. The answer to
// `ask` cannot keep an editing that has ended.
void endAgain(const std::function<bool()>& ask, const std::function<void()>& tell);

}  // namespace textedit
}  // namespace plat
