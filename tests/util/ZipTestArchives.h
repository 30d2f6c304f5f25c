// Small helpers for the zip tests: write an archive of named entries, read an entry back, and find
// and patch the bytes of an archive to damage it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/TempHome.h"
#include "util/ZipException.h"
#include "util/ZipFile.h"

namespace ziptest {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Each case's archives live in a home of their own.
class ZipTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return home_.path() + "/" + name; }
  testsupport::TempHome home_;
};

inline void writeArchive(const std::string& path, const Entries& entries, int level = -1,
                         int mode = ZipFileModeCreate) {
  ZipFile zip(path, mode);
  for (const auto& [name, content] : entries) {
    ZipWriteStream stream = zip.writeEntryWithName(name, 1'700'000'000.0, level);
    stream.writeData(content);
    stream.finishedWriting();
  }
  zip.close();
}

// The current entry's data, read with a buffer of the entry's length as the callers do.
inline std::string readCurrent(ZipFile& zip) {
  ZipEntryInfo info = zip.getCurrentZipEntryInfo();
  ZipReadStream stream = zip.readCurrentEntry();
  plat::Value::Bytes buffer(info.length());
  size_t n = stream.readDataWithBuffer(buffer);
  stream.finishedReading();
  return std::string(buffer.begin(), buffer.begin() + static_cast<long>(n));
}

// Runs fn and checks that it raises a ZipException with exactly this reason and error code.
template <class Fn>
void checkZipError(Fn fn, const std::string& reason, int64_t error) {
  try {
    fn();
    ADD_FAILURE() << "no ZipException; expected: " << reason;
  } catch (const ZipException& e) {
    EXPECT_EQ(e.reason(), reason);
    EXPECT_EQ(e.error(), error) << reason;
  }
}

// checkZipError with failures traced to the calling line.
#define EXPECT_ZIP_ERROR(...)                \
  do {                                       \
    SCOPED_TRACE("expected a ZipException"); \
    ziptest::checkZipError(__VA_ARGS__);     \
  } while (0)

// Offset of the last occurrence of a 4-byte little-endian signature; npos if none.
size_t findLast(const std::string& bytes, uint32_t signature);
void putLe16(std::string& bytes, size_t at, uint16_t value);

}  // namespace ziptest
