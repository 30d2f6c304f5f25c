#include "tests/util/ZipTestArchives.h"

#include <stdexcept>

#include "platform/base/Files.h"

namespace ziptest {

std::string readFile(const std::string& path) {
  auto content = plat::files::readFile(path);
  if (!content) throw std::runtime_error("cannot read " + path);
  return *content;
}

void writeFile(const std::string& path, const std::string& bytes) {
  if (!plat::files::writeFileAtomically(path, bytes)) throw std::runtime_error("cannot write");
}

size_t findLast(const std::string& bytes, uint32_t signature) {
  std::string needle;
  for (int i = 0; i < 4; ++i) needle += static_cast<char>((signature >> (8 * i)) & 0xFF);
  return bytes.rfind(needle);
}

void putLe16(std::string& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

}  // namespace ziptest
