// The fast lookup of an entry by name. It scans the archive's central directory itself, reading of
// each record only the signature, the three length fields and the name (no other field is parsed),
// and then makes the match the archive's current entry with minizip's public calls. Every lookup
// starts from the first entry; nothing about names is kept between lookups.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/ZipHandles.h"

class ZipFastLookup {
 public:
  // Opens its own read-only descriptor on the archive at path (the one minizip reads).
  explicit ZipFastLookup(const std::string& path);
  ~ZipFastLookup();
  ZipFastLookup(const ZipFastLookup&) = delete;
  ZipFastLookup& operator=(const ZipFastLookup&) = delete;

  // Returns minizip's codes: UNZ_OK when found (the entry is now current), UNZ_END_OF_LIST_OF_FILE
  // when there is no such entry or no current entry (the current entry is unchanged),
  // UNZ_PARAMERROR for a null handle or a name over 255 bytes, UNZ_BADZIPFILE for a record without
  // its signature, UNZ_ERRNO when a record cannot be read. caseSensitivity as in
  // unzStringFileNameCompare (1: exact bytes).
  int unzLocateFile2(unzFile file, const char* fileName, int caseSensitivity);

 private:
  struct Directory {
    uint64_t before;  // bytes in front of the archive proper (a self-extracting stub)
    uint64_t offset;  // of the first record, counted from the archive's start
  };
  // Found from the end records as minizip finds it; nullopt when they cannot be read.
  std::optional<Directory> centralDirectory();
  // Reads length bytes at the file offset through a window buffer; false on a short read.
  bool read(uint64_t offset, size_t length, uint8_t* out);

  int fd_ = -1;
  std::optional<Directory> directory_;
  std::vector<uint8_t> window_;
  uint64_t windowOffset_ = 0;
  size_t windowLength_ = 0;
};
