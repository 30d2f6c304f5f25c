#include "books/TextFile.h"

#include "platform/base/Charset.h"
#include "platform/base/Files.h"
#include "platform/base/Utf.h"

namespace textfile {

std::optional<std::string> decode(const std::string& bytes) {
  if (plat::utf::isValidUtf8(bytes)) return bytes;
  return plat::charset::toUtf8(bytes, plat::charset::kGb18030);
}

std::optional<std::string> read(const std::string& path) {
  if (plat::files::isDirectory(path)) return std::nullopt;
  std::optional<std::string> bytes = plat::files::readFile(path);
  if (!bytes) return std::nullopt;
  return decode(*bytes);
}

}  // namespace textfile
