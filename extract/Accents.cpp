#include "extract/Accents.h"

#include "platform/base/Utf.h"

namespace {

// U+00C0 to U+00FF, one plain letter each; '*' for the two signs among them (× and ÷) and '+'
// for the letters of two (Æ, Þ, ß, æ, þ).
constexpr std::string_view kLatin1 =
    "AAAAAA+CEEEEIIIIDNOOOOO*OUUUUY++"
    "aaaaaa+ceeeeiiiidnooooo*ouuuuy+y";

// U+0100 to U+017F, upper and lower case in turn; '+' for Ĳ, ĳ, Œ and œ.
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi++JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo++RrRrRrSsSs"
    "SsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

static_assert(kLatin1.size() == 0x40 && kLatinExtendedA.size() == 0x80);

std::string_view twoLetters(char32_t point) {
  switch (point) {
    case 0x00C6:
      return "AE";
    case 0x00DE:
      return "TH";
    case 0x00DF:
      return "ss";
    case 0x00E6:
      return "ae";
    case 0x00FE:
      return "th";
    case 0x0132:
      return "IJ";
    case 0x0133:
      return "ij";
    case 0x0152:
      return "OE";
    default:
      return "oe";  // U+0153
  }
}

}  // namespace

std::optional<std::string_view> accents::plainLettersOf(char32_t point) {
  if (point >= 0x0300 && point <= 0x036F) return std::string_view();  // combining accents
  std::string_view plain;
  if (point >= 0x00C0 && point <= 0x00FF)
    plain = kLatin1.substr(point - 0x00C0, 1);
  else if (point >= 0x0100 && point <= 0x017F)
    plain = kLatinExtendedA.substr(point - 0x0100, 1);
  else
    return std::nullopt;
  if (plain == "*") return std::nullopt;
  return plain == "+" ? twoLetters(point) : plain;
}

std::optional<std::string> accents::plain(std::string_view word) {
  std::string out;
  out.reserve(word.size());
  for (size_t pos = 0; pos < word.size();) {
    if (static_cast<unsigned char>(word[pos]) < 0x80) {
      out += word[pos++];
      continue;
    }
    const std::optional<std::string_view> letters =
        plainLettersOf(plat::utf::decodeNext(word, pos));
    if (!letters) return std::nullopt;
    out += *letters;
  }
  return out;
}
