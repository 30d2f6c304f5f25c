#include "util/ZipFastLookup.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr uint32_t kCentralRecordSignature = 0x02014b50;
constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kZip64EndRecordSignature = 0x06064b50;
constexpr size_t kCentralRecordSize = 46;
constexpr size_t kMaxWantedName = 255;
constexpr size_t kNameBuffer = 256;
constexpr size_t kWindowSize = 64 * 1024;
// The end record is 22 bytes and may be followed by a comment of up to 65535 bytes; minizip looks
// no further back than this either.
constexpr uint64_t kEndSearchSpan = 0xFFFF + 0x400 + 22;

uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
  return le16(p) | (static_cast<uint32_t>(le16(p + 2)) << 16);
}
uint64_t le64(const uint8_t* p) {
  return le32(p) | (static_cast<uint64_t>(le32(p + 4)) << 32);
}

}  // namespace

ZipFastLookup::ZipFastLookup(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

ZipFastLookup::~ZipFastLookup() {
  if (fd_ >= 0) ::close(fd_);
}

bool ZipFastLookup::read(uint64_t offset, size_t length, uint8_t* out) {
  if (length == 0) return true;
  if (offset < windowOffset_ || offset + length > windowOffset_ + windowLength_) {
    window_.resize(std::max(kWindowSize, length));
    windowOffset_ = offset;
    windowLength_ = 0;
    while (windowLength_ < window_.size()) {
      ssize_t n = ::pread(fd_, window_.data() + windowLength_, window_.size() - windowLength_,
                          static_cast<off_t>(offset + windowLength_));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      windowLength_ += static_cast<size_t>(n);
    }
    if (length > windowLength_) return false;
  }
  std::memcpy(out, window_.data() + (offset - windowOffset_), length);
  return true;
}

std::optional<ZipFastLookup::Directory> ZipFastLookup::centralDirectory() {
  if (directory_) return directory_;
  off_t size = fd_ >= 0 ? ::lseek(fd_, 0, SEEK_END) : -1;
  if (size < 22) return std::nullopt;
  auto fileSize = static_cast<uint64_t>(size);
  uint64_t span = std::min(fileSize, kEndSearchSpan);
  std::vector<uint8_t> tail(span);
  if (!read(fileSize - span, span, tail.data())) return std::nullopt;
  // The end record nearest the end of the file, as minizip takes it.
  std::optional<uint64_t> end;
  for (uint64_t i = span - 22 + 1; i-- > 0;) {
    if (le32(&tail[i]) == kEndRecordSignature) {
      end = fileSize - span + i;
      break;
    }
  }
  if (!end) return std::nullopt;
  uint8_t record[56];
  if (!read(*end, 22, record)) return std::nullopt;
  uint64_t recordPos = *end;
  uint64_t directorySize = le32(record + 12);
  uint64_t directoryOffset = le32(record + 16);
  // A zip64 archive: the locator just before the end record points to the zip64 end record.
  uint8_t locator[20];
  // minizip takes it only on disk 0 of 1, and so must the scan, to read the same directory.
  if (*end >= 20 && read(*end - 20, 20, locator) && le32(locator) == kZip64LocatorSignature &&
      le32(locator + 4) == 0 && le32(locator + 16) == 1) {
    uint64_t zip64End = le64(locator + 8);
    if (read(zip64End, 56, record) && le32(record) == kZip64EndRecordSignature) {
      recordPos = zip64End;
      directorySize = le64(record + 40);
      directoryOffset = le64(record + 48);
    }
  }
  // Bytes before the archive proper (a self-extracting stub) shift every offset it stores.
  if (recordPos < directoryOffset + directorySize ||
      directoryOffset + directorySize < directoryOffset)
    return std::nullopt;
  directory_ = Directory{recordPos - (directoryOffset + directorySize), directoryOffset};
  return directory_;
}

int ZipFastLookup::unzLocateFile2(unzFile file, const char* fileName, int caseSensitivity) {
  if (!file || !fileName) return UNZ_PARAMERROR;
  size_t wantedLength = std::strlen(fileName);
  if (wantedLength > kMaxWantedName) return UNZ_PARAMERROR;

  // The current entry, which stays current unless the name is found.
  unz64_file_pos saved;
  if (unzGetFilePos64(file, &saved) != UNZ_OK) return UNZ_END_OF_LIST_OF_FILE;
  unz_global_info64 global;
  if (unzGetGlobalInfo64(file, &global) != UNZ_OK) return UNZ_PARAMERROR;
  auto directory = centralDirectory();
  if (!directory) return UNZ_ERRNO;

  windowLength_ = 0;  // read the directory afresh on every lookup
  uint64_t position = directory->offset;
  uint64_t number = 0;
  char name[kNameBuffer + 1];
  for (;;) {
    uint64_t at = directory->before + position;
    uint8_t signature[4];
    uint8_t lengths[6];
    if (!read(at, 4, signature)) return UNZ_ERRNO;
    if (le32(signature) != kCentralRecordSignature) return UNZ_BADZIPFILE;
    if (!read(at + 28, 6, lengths)) return UNZ_ERRNO;
    uint16_t nameLength = le16(lengths);
    uint16_t extraLength = le16(lengths + 2);
    uint16_t commentLength = le16(lengths + 4);
    size_t readLength = std::min<size_t>(nameLength, kNameBuffer);
    if (!read(at + kCentralRecordSize, readLength, reinterpret_cast<uint8_t*>(name)))
      return UNZ_ERRNO;
    name[readLength] = '\0';

    // A stored name of 256 bytes or more never matches: no wanted name is that long.
    bool match = false;
    if (nameLength <= kMaxWantedName) {
      if (caseSensitivity == 1)
        match = std::strlen(name) == wantedLength && std::memcmp(name, fileName, wantedLength) == 0;
      else
        match = unzStringFileNameCompare(name, fileName, caseSensitivity) == 0;
    }
    if (match) {
      unz64_file_pos found{position, number};
      int err = unzGoToFilePos64(file, &found);
      if (err != UNZ_OK) unzGoToFilePos64(file, &saved);  // the full record failed to read
      return err;
    }
    if (global.number_entry != 0xFFFF && number + 1 == global.number_entry)
      return UNZ_END_OF_LIST_OF_FILE;
    position += kCentralRecordSize + nameLength + extraLength + commentLength;
    ++number;
  }
}
