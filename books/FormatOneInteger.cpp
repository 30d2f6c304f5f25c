#include "books/FormatOneInteger.h"

std::string formatOneInteger(const std::string& format, int64_t number) {
  std::string out;
  bool filled = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    if (format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    if (!filled) {
      for (const char* spec : {"i", "d", "li", "ld", "lli", "lld"}) {
        const std::string s(spec);
        if (format.compare(i + 1, s.size(), s) == 0) {
          out += std::to_string(number);
          i += s.size();
          filled = true;
          break;
        }
      }
      if (filled) continue;
    }
    out += format[i];
  }
  return out;
}
