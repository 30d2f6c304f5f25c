#include "analytics/AnalyticsCrashFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/base/Files.h"

namespace {

constexpr const char* kMagic = "ANCRASH1\n";

bool writeAll(int fd, const char* text) {
  size_t left = std::strlen(text);
  while (left > 0) {
    ssize_t written = ::write(fd, text, left);
    if (written <= 0) return false;
    text += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

// Decimal text of a number without the C library's formatting (which may allocate).
void decimal(long value, char* out) {
  char digits[24];
  int count = 0;
  bool negative = value < 0;
  unsigned long magnitude =
      negative ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0);
  if (negative) *out++ = '-';
  while (count > 0) *out++ = digits[--count];
  *out = '\0';
}

bool nextLine(const std::string& text, size_t& pos, std::string& line) {
  size_t end = text.find('\n', pos);
  if (end == std::string::npos) return false;
  line = text.substr(pos, end - pos);
  pos = end + 1;
  return true;
}

}  // namespace

bool writeCrashFileSignalSafe(const char* path, const char* appVersion, const char* sessionId,
                              long ts, long duration, const char* report) {
  char temporary[4200];
  size_t length = std::strlen(path);
  if (length + 5 > sizeof temporary) return false;
  std::memcpy(temporary, path, length);
  std::memcpy(temporary + length, ".tmp", 5);
  int fd = ::open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  char tsText[24], durationText[24];
  decimal(ts, tsText);
  decimal(duration, durationText);
  bool ok = writeAll(fd, kMagic) && writeAll(fd, appVersion) && writeAll(fd, "\n") &&
            writeAll(fd, sessionId) && writeAll(fd, "\n") && writeAll(fd, tsText) &&
            writeAll(fd, "\n") && writeAll(fd, durationText) && writeAll(fd, "\n") &&
            writeAll(fd, report);
  ok = ::fsync(fd) == 0 && ok;
  ::close(fd);
  if (!ok || ::rename(temporary, path) != 0) {
    ::unlink(temporary);
    return false;
  }
  return true;
}

std::optional<CrashFileRecord> readCrashFile(const std::string& path) {
  auto text = plat::files::readFile(path);
  if (!text || text->rfind(kMagic, 0) != 0) return std::nullopt;
  size_t pos = std::strlen(kMagic);
  CrashFileRecord record;
  std::string ts, duration;
  if (!nextLine(*text, pos, record.appVersion) || !nextLine(*text, pos, record.sessionId) ||
      !nextLine(*text, pos, ts) || !nextLine(*text, pos, duration)) {
    return std::nullopt;
  }
  record.ts = std::atof(ts.c_str());
  record.duration = std::atof(duration.c_str());
  record.report = text->substr(pos);
  return record;
}
