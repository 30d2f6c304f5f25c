#include "tests/util/ZipTestArchives.h"

namespace ziptest {

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
