// The lines of one entry of a restore archive, read as they inflate: memory holds one chunk and
// one line, however large the dump. Each line must be UTF-8 (a text is UTF-8 exactly when each of
// its lines is), no line may pass kMostLineBytes and the entries of one archive together may not
// pass kMostDumpBytes; a dump that breaks any of these, or an entry that is damaged or shorter
// than announced, raises (DumpException, ZipException) before its rows are taken as whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/Value.h"
#include "util/ZipFile.h"

class DumpEntryLines {
 public:
  // Far more than years of study make, far less than the memory and disk a restore may take.
  static constexpr uint64_t kMostDumpBytes = uint64_t{256} << 20;
  static constexpr size_t kMostLineBytes = size_t{1} << 20;

  // Opens the archive's current entry; `dumpBytesSoFar` counts the inflated bytes of this and the
  // archive's earlier entries against kMostDumpBytes.
  DumpEntryLines(ZipFile& archive, uint64_t& dumpBytesSoFar);

  // The next line, valid until the next call; false after the last one (text after the last LF
  // is a line of its own). After false the whole entry was read and its CRC checked.
  bool next(std::string_view& line);

 private:
  bool fill();

  ZipReadStream stream_;
  uint64_t announced_;
  uint64_t read_ = 0;
  uint64_t& dumpBytes_;
  plat::Value::Bytes chunk_;
  std::string pending_;  // read but not yet handed out
  size_t at_ = 0;        // where the next line starts in pending_
  std::string line_;
  bool ended_ = false, done_ = false;
};
