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
  // Opens its own read-only descriptor on the archive at path.
  explicit ZipFastLookup(const std::string& path);
  ~ZipFastLookup();
  ZipFastLookup(const ZipFastLookup&) = delete;
  ZipFastLookup& operator=(const ZipFastLookup&) = delete;

  // Opens the archive with minizip (nullptr when it cannot), through file functions that show
  // where minizip itself finds the central directory, so that the scan reads the same records
  // however odd the archive's end records are. This object must outlive the handle.
  unzFile open();

  // Returns minizip's codes: UNZ_OK when found (the entry is now current), UNZ_END_OF_LIST_OF_FILE
  // when there is no such entry or no current entry (the current entry is unchanged),
  // UNZ_PARAMERROR for a null handle or a name over 255 bytes, UNZ_BADZIPFILE for a record without
  // its signature, UNZ_ERRNO when a record cannot be read. caseSensitivity as in
  // unzStringFileNameCompare (1: exact bytes).
  int unzLocateFile2(unzFile file, const char* fileName, int caseSensitivity);

 private:
  struct Directory {
    uint64_t fileOffset;  // of the first record in the file
    uint64_t position;    // of the first record as minizip counts it (unz64_file_pos)
  };

  static long seekAndNote(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
  // Reads length bytes at the file offset through a window buffer; false on a short read.
  bool read(uint64_t offset, size_t length, uint8_t* out);

  std::string path_;
  int fd_ = -1;
  zlib_filefunc64_def stdio_{};   // minizip's own file functions, which do the work
  std::optional<uint64_t> seek_;  // the first absolute seek while noting
  bool noting_ = false;
  std::optional<Directory> directory_;
  std::vector<uint8_t> window_;
  uint64_t windowOffset_ = 0;
  size_t windowLength_ = 0;
};
