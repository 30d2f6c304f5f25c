// A zip archive opened for reading (unzip mode), for creating a new one, or for appending entries
// to an existing one, over minizip. Every failure raises a ZipException. Appended entries reach
// the archive only when it closes whole: a failed append leaves the archive as it was. Reading
// callers find an entry with locateEntry2 (the fast lookup), read its info for the length, then
// read the entry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "util/ZipEntryInfo.h"
#include "util/ZipHandles.h"
#include "util/ZipReadStream.h"
#include "util/ZipWriteStream.h"

class ZipFastLookup;

enum ZipFileMode { ZipFileModeUnzip = 0, ZipFileModeCreate = 1, ZipFileModeAppend = 2 };

class ZipFile {
 public:
  // Opens the archive: raises "Unknown mode %d" or "Can't open '%@'".
  ZipFile(const std::string& fileName, int mode);
  // Closes an archive that is still open, so that no handle leaks and a new archive still gets
  // its central directory; failures there cannot be reported and are dropped.
  ~ZipFile();
  ZipFile(const ZipFile&) = delete;
  ZipFile& operator=(const ZipFile&) = delete;

  // Writing (create and append modes). The date defaults to now; level 0 stores, any other
  // level deflates at that level (-1: zlib's default).
  ZipWriteStream writeEntryWithName(const std::string& name, int compressionLevel);
  ZipWriteStream writeEntryWithName(const std::string& name, double fileDate, int compressionLevel);
  // With the traditional zip encryption when the password is not empty, which needs the CRC-32 of
  // the data beforehand: finishing an entry whose data has another CRC raises.
  ZipWriteStream writeEntryWithName(const std::string& name, double fileDate, int compressionLevel,
                                    const std::string& password, uint32_t crc32);

  // Reading (unzip mode).
  uint64_t entryCount();
  // Every entry in archive order; the last one is current afterwards.
  std::vector<ZipEntryInfo> listZipEntryInfos();
  void goToFirstEntry();
  bool goToNextEntry();  // false after the last entry, which stays current
  // Make the entry of exactly that name current; false (current entry unchanged) when none.
  bool locateEntry(const std::string& name);   // minizip's own lookup
  bool locateEntry2(const std::string& name);  // the fast lookup
  ZipEntryInfo getCurrentZipEntryInfo();
  ZipReadStream readCurrentEntry();
  // A password entry needs its password: none, or a wrong one, raises at once. Plain entries
  // ignore the password.
  ZipReadStream readCurrentEntryWithPassword(const std::string& password);

  void close();
  const std::string& fileName() const { return fileName_; }

  // Whether the file opens as a zip archive for reading.
  static bool unzFileCheck(const std::string& path);

 private:
  void requireUnzipMode() const;
  void requireWritingMode() const;
  [[noreturn]] void fail(const std::string& what, int64_t error) const;
  ZipEntryInfo currentEntryInfo(const std::string& failure);
  ZipReadStream openCurrentEntry(const char* password);
  // Append mode: puts the copy written into in the archive's place when minizip closed it without
  // error (`closed`), else removes it; the result as zipClose's.
  int finishAppending(int closed);

  std::string fileName_;
  int mode_;
  ZipHandlesRef handles_;
  std::unique_ptr<ZipFastLookup> fastLookup_;
  std::string appendCopy_;  // append mode: the copy that takes the new entries until close
};
