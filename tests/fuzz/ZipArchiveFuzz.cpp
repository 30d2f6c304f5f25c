// Feeds arbitrary bytes to the zip archive reader as a file: opening, listing, reading every entry
// to its announced size and both lookups by name must end in a result or a ZipException, never in
// a crash, a hang or a sanitizer report. A fast lookup that answers yes must have made the wanted
// entry current; an entry read to its end without a failure must have its recorded length and CRC.
// The scratch file goes after each input.
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "util/ZipException.h"
#include "util/ZipFile.h"

namespace {

constexpr size_t kReadChunk = 1 << 16;
constexpr size_t kMaxNames = 64;

const std::string& scratchPath() {
  static const std::string path = [] {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/vocab-fuzz-zip-" + std::to_string(::getpid()) + ".zip";
  }();
  return path;
}

bool writeInput(const uint8_t* data, size_t size) {
  std::ofstream out(scratchPath(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out.flush());
}

template <class Fn>
void attempt(Fn fn) {
  try {
    fn();
  } catch (const ZipException&) {
  }
}

void readEveryEntry(ZipFile& zip, std::vector<std::string>& names) {
  attempt([&] {
    zip.goToFirstEntry();
    do {
      attempt([&] {
        ZipEntryInfo info = zip.getCurrentZipEntryInfo();
        if (names.size() < kMaxNames) names.push_back(info.name());
        // Read to the announced size as the restore does, a chunk at a time: a damaged length
        // may claim gigabytes that the stream never gives.
        ZipReadStream stream = zip.readCurrentEntry();
        plat::Value::Bytes buffer(kReadChunk);
        uint64_t total = 0;
        uLong crc = crc32(0, nullptr, 0);
        bool readToTheEnd = false;
        attempt([&] {
          while (total < info.length()) {
            const size_t got = stream.readDataWithBuffer(buffer);
            if (got == 0) break;
            total += got;
            crc = crc32_z(crc, buffer.data(), got);
          }
          readToTheEnd = true;
        });
        // An entry read to its end and closed without a failure is the entry its record names.
        bool closed = false;
        attempt([&] {
          stream.finishedReading();
          closed = true;
        });
        if (readToTheEnd && closed && (total != info.length() || crc != info.crc32())) std::abort();
      });
    } while (zip.goToNextEntry());
  });
}

void lookUp(ZipFile& zip, const std::string& name) {
  bool fast = false;
  attempt([&] { fast = zip.locateEntry2(name); });
  if (fast) {
    attempt([&] {
      if (zip.getCurrentZipEntryInfo().name() != name) std::abort();  // positioned wrongly
    });
  }
  attempt([&] { zip.locateEntry(name); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!writeInput(data, size)) return 0;
  attempt([&] {
    ZipFile zip(scratchPath(), ZipFileModeUnzip);
    attempt([&] { zip.entryCount(); });
    attempt([&] { zip.listZipEntryInfos(); });
    std::vector<std::string> names;
    readEveryEntry(zip, names);
    names.push_back("words_voices/a/apple.mp3");
    names.push_back(std::string(256, 'n'));
    for (const auto& name : names) lookUp(zip, name);
    attempt([&] { zip.close(); });
  });
  ::unlink(scratchPath().c_str());  // libFuzzer may end without running exit handlers
  return 0;
}
