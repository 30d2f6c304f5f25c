#include "platform/base/Charset.h"

#include <iconv.h>

#include <cerrno>

#include "platform/base/Utf.h"

namespace plat::charset {
namespace {

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(::iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  std::optional<std::string> convert(std::string_view input) {
    std::string out(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    size_t used = 0;
    for (;;) {
      char* dst = out.data() + used;
      size_t dstLeft = out.size() - used;
      size_t r = ::iconv(cd_, inLeft ? &in : nullptr, &inLeft, &dst, &dstLeft);
      used = out.size() - dstLeft;
      if (r != static_cast<size_t>(-1) && inLeft == 0) {
        // Flush any shift state.
        dst = out.data() + used;
        dstLeft = out.size() - used;
        if (::iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1))
          return std::nullopt;
        used = out.size() - dstLeft;
        out.resize(used);
        return out;
      }
      if (r == static_cast<size_t>(-1) && errno != E2BIG) return std::nullopt;  // EILSEQ, EINVAL
      out.resize(out.size() * 2);
    }
  }

 private:
  iconv_t cd_;
};

bool isUtf8Name(const std::string& name) {
  std::string lower = utf::asciiLowercase(name);
  return lower == "utf-8" || lower == "utf8";
}

}  // namespace

bool isKnown(const std::string& name) {
  if (name.empty()) return false;
  return Converter(kUtf8, name).ok();
}

std::optional<std::string> toUtf8(std::string_view bytes, const std::string& from) {
  if (isUtf8Name(from)) {
    if (!utf::isValidUtf8(bytes)) return std::nullopt;
    return std::string(bytes);
  }
  Converter converter(kUtf8, from);
  if (!converter.ok()) return std::nullopt;
  return converter.convert(bytes);
}

std::optional<std::string> fromUtf8(std::string_view utf8, const std::string& to) {
  if (!utf::isValidUtf8(utf8)) return std::nullopt;
  Converter converter(to, kUtf8);
  if (!converter.ok()) return std::nullopt;
  return converter.convert(utf8);
}

}  // namespace plat::charset
