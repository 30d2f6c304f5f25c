#include "util/ZipFastLookup.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr uint32_t kCentralRecordSignature = 0x02014b50;
constexpr size_t kCentralRecordSize = 46;
constexpr size_t kMaxWantedName = 255;
constexpr size_t kNameBuffer = 256;
constexpr size_t kWindowSize = 64 * 1024;

uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
  return le16(p) | (static_cast<uint32_t>(le16(p + 2)) << 16);
}

}  // namespace

ZipFastLookup::ZipFastLookup(const std::string& path)
    : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

ZipFastLookup::~ZipFastLookup() {
  if (fd_ >= 0) ::close(fd_);
}

long ZipFastLookup::seekAndNote(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin) {
  auto* self = static_cast<ZipFastLookup*>(opaque);
  if (self->noting_ && !self->seek_ && origin == ZLIB_FILEFUNC_SEEK_SET) self->seek_ = offset;
  return self->stdio_.zseek64_file(self->stdio_.opaque, stream, offset, origin);
}

unzFile ZipFastLookup::open() {
  fill_fopen64_filefunc(&stdio_);
  zlib_filefunc64_def functions = stdio_;
  functions.zseek64_file = &ZipFastLookup::seekAndNote;
  functions.opaque = this;
  unzFile file = unzOpen2_64(path_.c_str(), &functions);
  if (!file) return nullptr;
  // Going to the first entry, minizip seeks to the first record of the central directory before
  // anything else: its offset in the file, with any bytes in front of the archive allowed for,
  // and the entry's position as minizip counts it give every other record's place.
  noting_ = true;
  int err = unzGoToFirstFile(file);
  noting_ = false;
  unz64_file_pos first;
  if (err == UNZ_OK && seek_ && unzGetFilePos64(file, &first) == UNZ_OK)
    directory_ = Directory{*seek_, first.pos_in_zip_directory};
  return file;
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

int ZipFastLookup::unzLocateFile2(unzFile file, const char* fileName, int caseSensitivity) {
  if (!file || !fileName) return UNZ_PARAMERROR;
  size_t wantedLength = std::strlen(fileName);
  if (wantedLength > kMaxWantedName) return UNZ_PARAMERROR;

  // The current entry, which stays current unless the name is found.
  unz64_file_pos saved;
  if (unzGetFilePos64(file, &saved) != UNZ_OK) return UNZ_END_OF_LIST_OF_FILE;
  unz_global_info64 global;
  if (unzGetGlobalInfo64(file, &global) != UNZ_OK) return UNZ_PARAMERROR;
  // An archive whose first record is unreadable never has a current entry, so this is a guard.
  if (!directory_ || fd_ < 0) return UNZ_BADZIPFILE;

  windowLength_ = 0;  // read the directory afresh on every lookup
  uint64_t position = directory_->position;
  uint64_t number = 0;
  char name[kNameBuffer + 1];
  for (;;) {
    uint64_t at = directory_->fileOffset + (position - directory_->position);
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
