#include "store/DatabaseFileCheck.h"

#include <cstdint>
#include <cstring>
#include <fstream>

#include "platform/base/Files.h"

namespace {

constexpr size_t kHeaderBytes = 100;

uint32_t bigEndian(const unsigned char* p, size_t bytes) {
  uint32_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

}  // namespace

bool databaseFileIsCutShort(const std::string& path) {
  const auto size = plat::files::fileSize(path);
  if (!size) return false;
  if (*size == 0) return true;
  unsigned char header[kHeaderBytes];
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(header), kHeaderBytes)) return false;
  if (std::memcmp(header, "SQLite format 3", 16) != 0) return false;
  uint64_t pageSize = bigEndian(header + 16, 2);
  if (pageSize == 1) pageSize = 65536;
  const uint32_t pages = bigEndian(header + 28, 4);
  // The page count holds only while the change counter equals its "valid for" mark.
  const bool countHolds = bigEndian(header + 24, 4) == bigEndian(header + 92, 4);
  return countHolds && *size < pages * pageSize;
}
