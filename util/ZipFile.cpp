#include "util/ZipFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/base/Calendar.h"
#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "util/ZipException.h"
#include "util/ZipFastLookup.h"

namespace {

// minizip's name buffer: names of 256 bytes or more do not fit and are refused.
constexpr uLong kNameBufferSize = 256;

// "Version made by": host 3 (Unix) in the high byte, format version 2.0 in the low one.
constexpr uLong kMadeByUnix = (3 << 8) | 20;
constexpr uLong kUnixRegularFile = 0100644;
constexpr uLong kFlagEncrypted = 1 << 0;
constexpr uLong kFlagDataDescriptor = 1 << 3;
constexpr uLong kFlagUtf8Name = 1 << 11;

plat::Calendar currentCalendar() {
  return plat::Calendar(plat::Clock::current().zone());
}

// The entry's level from its method and general-purpose flag bits 1 and 2.
int levelOf(const unz_file_info64& info) {
  if (info.compression_method == 0) return 0;
  switch ((info.flag >> 1) & 3) {
    case 0:
      return -1;
    case 1:
      return 9;
    default:
      return 1;
  }
}

}  // namespace

ZipFile::ZipFile(const std::string& fileName, int mode)
    : fileName_(fileName), mode_(mode), handles_(std::make_shared<ZipHandles>()) {
  switch (mode) {
    case ZipFileModeUnzip:
      fastLookup_ = std::make_unique<ZipFastLookup>(fileName);
      handles_->unz = fastLookup_->open();
      break;
    case ZipFileModeCreate:
      handles_->zip = zipOpen64(fileName.c_str(), APPEND_STATUS_CREATE);
      break;
    case ZipFileModeAppend:
      // minizip writes new entries over the archive's central directory and writes it again only
      // at the close: a full disk or a kill in between would leave no readable archive, the old
      // entries lost. The entries go into a copy, which takes the archive's place when whole; the
      // copy is flushed at the close, so its parts go to the disk while it is made.
      appendCopy_ = fileName + ".append";
      plat::files::remove(appendCopy_);
      if (plat::files::copyFileWritingBack(fileName, appendCopy_))
        handles_->zip = zipOpen64(appendCopy_.c_str(), APPEND_STATUS_ADDINZIP);
      break;
    default:
      throw ZipException("Unknown mode " + std::to_string(mode), 0);
  }
  if (!handles_->unz && !handles_->zip) {
    if (!appendCopy_.empty()) plat::files::remove(appendCopy_);
    throw ZipException("Can't open '" + fileName + "'", 0);
  }
}

ZipFile::~ZipFile() {
  if (handles_->unz) unzClose(handles_->unz);
  if (handles_->zip) finishAppending(zipClose(handles_->zip, nullptr));
  handles_->unz = nullptr;
  handles_->zip = nullptr;
}

int ZipFile::finishAppending(int closed) {
  if (appendCopy_.empty()) return closed;
  int err = closed;
  if (err == ZIP_OK && !(plat::files::syncToDisk(appendCopy_) &&
                         std::rename(appendCopy_.c_str(), fileName_.c_str()) == 0))
    err = ZIP_ERRNO;
  if (err == ZIP_OK)
    plat::files::syncToDisk(std::filesystem::path(fileName_).parent_path().string());
  else
    plat::files::remove(appendCopy_);
  appendCopy_.clear();
  return err;
}

void ZipFile::requireUnzipMode() const {
  if (mode_ != ZipFileModeUnzip)
    throw ZipException("Operation not permitted without Unzip mode", 0);
}

void ZipFile::requireWritingMode() const {
  if (mode_ == ZipFileModeUnzip) throw ZipException("Operation not permitted with Unzip mode", 0);
}

void ZipFile::fail(const std::string& what, int64_t error) const {
  throw ZipException(what + " in '" + fileName_ + "'", error);
}

ZipWriteStream ZipFile::writeEntryWithName(const std::string& name, int compressionLevel) {
  return writeEntryWithName(name, plat::Clock::current().now(), compressionLevel);
}

ZipWriteStream ZipFile::writeEntryWithName(const std::string& name, double fileDate,
                                           int compressionLevel) {
  return writeEntryWithName(name, fileDate, compressionLevel, std::string(), 0);
}

ZipWriteStream ZipFile::writeEntryWithName(const std::string& name, double fileDate,
                                           int compressionLevel, const std::string& password,
                                           uint32_t crc32) {
  requireWritingMode();
  // zlib refuses other levels; minizip would report that too, but leaks the entry's header.
  if (compressionLevel < Z_DEFAULT_COMPRESSION || compressionLevel > Z_BEST_COMPRESSION)
    throw ZipException("Error in opening '" + name + "' in zipfile", Z_STREAM_ERROR);
  plat::DateTime when = currentCalendar().components(fileDate);
  zip_fileinfo info{};
  info.tmz_date.tm_sec = static_cast<uInt>(when.second);
  info.tmz_date.tm_min = static_cast<uInt>(when.minute);
  info.tmz_date.tm_hour = static_cast<uInt>(when.hour);
  info.tmz_date.tm_mday = static_cast<uInt>(when.day);
  info.tmz_date.tm_mon = static_cast<uInt>(when.month - 1);
  // The stored date counts years from 1980 in 7 bits; outside that range it would wrap into a
  // wrong date, so it is held at the nearest end.
  info.tmz_date.tm_year = static_cast<uInt>(std::clamp<int64_t>(when.year, 1980, 2107));
  // Made on Unix, as a plain file readable by all: readers that see an archive made on MS-DOS
  // translate its names from the DOS code page whatever the UTF-8 flag says.
  info.external_fa = kUnixRegularFile << 16;
  // A name beyond ASCII is marked as UTF-8 (flag bit 11), or other readers take it for the old
  // DOS code page and show it garbled.
  const bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const bool encrypted = !password.empty();
  const uLong flags = (ascii ? 0 : kFlagUtf8Name) | (encrypted ? kFlagEncrypted : 0);
  // The system's minizip has no encryption of its own: a password entry is written raw, its
  // data deflated and encrypted by the stream.
  int err = zipOpenNewFileInZip4(handles_->zip, name.c_str(), &info, nullptr, 0, nullptr, 0,
                                 nullptr, compressionLevel == 0 ? 0 : Z_DEFLATED, compressionLevel,
                                 encrypted ? 1 : 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr,
                                 crc32, kMadeByUnix, flags);
  if (err != ZIP_OK) throw ZipException("Error in opening '" + name + "' in zipfile", err);
  if (!encrypted) return ZipWriteStream(handles_, name);
  return ZipWriteStream(
      handles_, name,
      std::make_shared<ZipEncryptingWriter>(name, password, compressionLevel, crc32));
}

uint64_t ZipFile::entryCount() {
  requireUnzipMode();
  unz_global_info64 global;
  int err = unzGetGlobalInfo64(handles_->unz, &global);
  if (err != UNZ_OK) fail("Error in getting global info", err);
  return global.number_entry;
}

std::vector<ZipEntryInfo> ZipFile::listZipEntryInfos() {
  std::vector<ZipEntryInfo> infos;
  if (entryCount() < 1) return infos;
  goToFirstEntry();
  do {
    infos.push_back(getCurrentZipEntryInfo());
  } while (goToNextEntry());
  return infos;
}

void ZipFile::goToFirstEntry() {
  requireUnzipMode();
  int err = unzGoToFirstFile(handles_->unz);
  if (err != UNZ_OK) fail("Error in going to first file in zip", err);
}

bool ZipFile::goToNextEntry() {
  requireUnzipMode();
  int err = unzGoToNextFile(handles_->unz);
  if (err == UNZ_END_OF_LIST_OF_FILE) return false;
  if (err != UNZ_OK) fail("Error in going to next file in zip", err);
  return true;
}

bool ZipFile::locateEntry(const std::string& name) {
  requireUnzipMode();
  int err = unzLocateFile(handles_->unz, name.c_str(), 1);
  if (err == UNZ_END_OF_LIST_OF_FILE) return false;
  if (err != UNZ_OK) fail("Error in going to next file in zip", err);
  return true;
}

bool ZipFile::locateEntry2(const std::string& name) {
  requireUnzipMode();
  int err = fastLookup_ && handles_->unz
                ? fastLookup_->unzLocateFile2(handles_->unz, name.c_str(), 1)
                : UNZ_PARAMERROR;
  if (err == UNZ_END_OF_LIST_OF_FILE) return false;
  if (err != UNZ_OK) fail("Error in going to next file in zip", err);
  return true;
}

ZipEntryInfo ZipFile::currentEntryInfo(const std::string& failure) {
  unz_file_info64 info;
  char name[kNameBufferSize];
  int err =
      unzGetCurrentFileInfo64(handles_->unz, &info, name, sizeof name, nullptr, 0, nullptr, 0);
  if (err != UNZ_OK) fail(failure, err);
  // A name that fills the buffer would be cut short, and carries no terminator: refuse it.
  if (info.size_filename >= kNameBufferSize) fail(failure, UNZ_PARAMERROR);
  std::string text(name, strnlen(name, info.size_filename));
  plat::DateTime when;
  when.year = info.tmu_date.tm_year;
  when.month = static_cast<int>(info.tmu_date.tm_mon) + 1;
  when.day = static_cast<int>(info.tmu_date.tm_mday);
  when.hour = static_cast<int>(info.tmu_date.tm_hour);
  when.minute = static_cast<int>(info.tmu_date.tm_min);
  when.second = static_cast<int>(info.tmu_date.tm_sec);
  return ZipEntryInfo(std::move(text), info.uncompressed_size, levelOf(info), (info.flag & 1) != 0,
                      info.compressed_size, currentCalendar().date(when), info.crc);
}

ZipEntryInfo ZipFile::getCurrentZipEntryInfo() {
  requireUnzipMode();
  return currentEntryInfo("Error in getting current file info");
}

ZipReadStream ZipFile::openCurrentEntry(const char* password) {
  requireUnzipMode();
  ZipEntryInfo info = currentEntryInfo("Error in getting current file info");
  unz_file_info64 raw;
  int err = unzGetCurrentFileInfo64(handles_->unz, &raw, nullptr, 0, nullptr, 0, nullptr, 0);
  if (err != UNZ_OK) fail("Error in getting current file info", err);
  const bool encrypted = (raw.flag & kFlagEncrypted) != 0;
  if (!encrypted) {
    err = unzOpenCurrentFilePassword(handles_->unz, nullptr);
    if (err != UNZ_OK) fail("Error in opening current file", err);
    return ZipReadStream(handles_, info.name(), info.length());
  }
  if (!password || !*password) fail("Error in opening current file", UNZ_PARAMERROR);
  if (raw.compression_method != 0 && raw.compression_method != Z_DEFLATED)
    fail("Error in opening current file", UNZ_BADZIPFILE);
  err = unzOpenCurrentFile3(handles_->unz, nullptr, nullptr, 1, nullptr);
  if (err != UNZ_OK) fail("Error in opening current file", err);
  // The header's last byte is the CRC's high byte, or the time's when the sizes and CRC follow
  // the data (the writer did not know them when it began).
  const uint8_t check = (raw.flag & kFlagDataDescriptor)
                            ? static_cast<uint8_t>((raw.dosDate >> 8) & 0xff)
                            : static_cast<uint8_t>(raw.crc >> 24);
  ZipReadStream reader(handles_, info.name(), info.length());
  try {
    auto decrypting = std::make_shared<ZipDecryptingReader>(
        info.name(), password, raw.compression_method == Z_DEFLATED, check,
        static_cast<uint32_t>(raw.crc),
        [&reader](uint8_t* into, size_t length) { return reader.readRaw(into, length); });
    return ZipReadStream(handles_, info.name(), info.length(), std::move(decrypting));
  } catch (...) {
    unzCloseCurrentFile(handles_->unz);
    throw;
  }
}

ZipReadStream ZipFile::readCurrentEntry() {
  return openCurrentEntry(nullptr);
}

ZipReadStream ZipFile::readCurrentEntryWithPassword(const std::string& password) {
  return openCurrentEntry(password.c_str());
}

void ZipFile::close() {
  int err;
  switch (mode_) {
    case ZipFileModeUnzip:
      err = unzClose(handles_->unz);
      handles_->unz = nullptr;
      fastLookup_.reset();
      break;
    case ZipFileModeCreate:
    case ZipFileModeAppend:
      err = finishAppending(zipClose(handles_->zip, nullptr));
      handles_->zip = nullptr;
      break;
    default:
      throw ZipException("Unknown mode " + std::to_string(mode_), 0);
  }
  if (err != UNZ_OK) throw ZipException("Error in closing '" + fileName_ + "'", err);
}

bool ZipFile::unzFileCheck(const std::string& path) {
  unzFile file = unzOpen64(path.c_str());
  if (!file) return false;
  unzClose(file);
  return true;
}
