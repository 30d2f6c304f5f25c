#include "tools/library/PlainText.h"

#include <cctype>

namespace wordtext {
namespace {

bool isLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// The apostrophe that closes a quotation opened before `from`: the first one not followed by a
// letter.
size_t closingQuote(const std::string& text, size_t from) {
  for (size_t i = from; i < text.size(); ++i)
    if (text[i] == '\'' && (i + 1 == text.size() || !isLetter(text[i + 1]))) return i;
  return std::string::npos;
}

}  // namespace

std::string plainGloss(const std::string& gloss) {
  std::string plain = gloss;
  for (size_t open = plain.find('`'); open != std::string::npos; open = plain.find('`', open)) {
    const size_t close = closingQuote(plain, open + 1);
    plain[open] = '"';
    if (close != std::string::npos) plain[close] = '"';
    ++open;
  }
  return plain;
}

bool oneEditApart(const std::string& a, const std::string& b) {
  if (a == b) return false;
  const std::string& shorter = a.size() <= b.size() ? a : b;
  const std::string& longer = a.size() <= b.size() ? b : a;
  if (longer.size() - shorter.size() > 1) return false;
  size_t i = 0;
  while (i < shorter.size() && shorter[i] == longer[i]) ++i;
  if (shorter.size() != longer.size())  // one letter more: the rest lines up after it
    return shorter.compare(i, std::string::npos, longer, i + 1, std::string::npos) == 0;
  if (shorter.compare(i + 1, std::string::npos, longer, i + 1, std::string::npos) == 0)
    return true;  // one letter changed
  return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] &&
         a.compare(i + 2, std::string::npos, b, i + 2, std::string::npos) == 0;
}

}  // namespace wordtext
