#include "platform/view/TextEditing.h"

#include "platform/base/Utf.h"
#include "platform/view/Keyboard.h"
#include "platform/view/View.h"

namespace plat::textedit {
namespace {

size_t lastCharacterStart(const std::string& text) {
  size_t i = text.size();
  while (i > 0) {
    --i;
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) break;  // not a continuation byte
  }
  return i;
}

}  // namespace

TextRange appendRange(const std::string& text) {
  return {utf::utf16Length(text), 0};
}

TextRange lastCharacterRange(const std::string& text) {
  if (text.empty()) return {0, 0};
  size_t start = lastCharacterStart(text);
  size_t units = utf::utf16Length(std::string_view(text).substr(start));
  return {utf::utf16Length(text) - units, units};
}

std::string dropLastCharacter(const std::string& text) {
  return text.empty() ? text : text.substr(0, lastCharacterStart(text));
}

std::string bullets(const std::string& text) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t before = pos;
    utf::decodeNext(text, pos);
    if (pos <= before) break;
    out += "•";
  }
  return out;
}

bool append(std::string& text, const std::string& typed, const ChangeCheck& allow) {
  if (allow && !allow(appendRange(text), typed)) return false;
  text += typed;
  return true;
}

bool deleteLast(std::string& text, const ChangeCheck& allow) {
  if (text.empty() || (allow && !allow(lastCharacterRange(text), ""))) return false;
  text.erase(lastCharacterStart(text));  // in place: a text page's 300 KB is not copied a key
  return true;
}

bool beginEditing(View& view, const std::function<bool()>& ask, const std::function<void()>& tell) {
  if (view.isFirstResponder()) return true;
  if (!view.canBecomeFirstResponder() || !view.window()) return false;
  if (ask && !ask()) return false;
  if (!Keyboard::makeFirstResponder(&view, false)) return false;
  if (tell) tell();
  Keyboard::refresh();
  return true;
}

bool endEditing(View& view, const std::function<bool()>& ask, const std::function<void()>& tell) {
  if (!view.isFirstResponder()) return true;
  if (ask && !ask()) return false;
  Keyboard::clearFirstResponder(&view, false);
  if (tell) tell();
  Keyboard::refresh();
  return true;
}

void endAgain(const std::function<bool()>& ask, const std::function<void()>& tell) {
  if (ask) ask();
  if (tell) tell();
}

}  // namespace plat::textedit
