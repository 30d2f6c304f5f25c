// The data of a password entry, which minizip carries raw: the writer deflates and encrypts it
// itself, the reader decrypts, inflates and checks the CRC itself. Used by ZipWriteStream and
// ZipReadStream; each failure raises a ZipException naming the entry.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "util/ZipCipher.h"

class ZipEncryptingWriter {
 public:
  using Sink = std::function<void(std::span<const uint8_t>)>;

  // `expectedCrc` is the CRC-32 the caller announced: its high byte checks the password, so data
  // of another CRC would make an entry no reader accepts, and finish() refuses it.
  ZipEncryptingWriter(const std::string& entryName, const std::string& password, int level,
                      uint32_t expectedCrc);
  ~ZipEncryptingWriter();
  ZipEncryptingWriter(const ZipEncryptingWriter&) = delete;
  ZipEncryptingWriter& operator=(const ZipEncryptingWriter&) = delete;

  void write(std::span<const uint8_t> data, const Sink& sink);
  // Flushes the last bytes; the size and CRC of the plain data then go into the entry's header.
  void finish(const Sink& sink);
  uint64_t plainSize() const { return plainSize_; }
  uint32_t crc() const { return crc_; }

 private:
  void emit(std::span<uint8_t> bytes, const Sink& sink);
  void deflateInto(int flush, const Sink& sink);

  std::string entryName_;
  ZipCipher cipher_;
  bool headerWritten_ = false;
  bool deflating_;
  z_stream zstream_{};
  uint32_t expectedCrc_;
  uint32_t crc_ = 0;
  uint64_t plainSize_ = 0;
};

class ZipDecryptingReader {
 public:
  // Reads up to `length` raw bytes of the entry; 0 at its end.
  using Source = std::function<size_t(uint8_t* into, size_t length)>;

  // Reads and checks the header: a wrong password raises at once. `check` is the byte the header
  // must end with (the CRC's or the time's high byte).
  ZipDecryptingReader(const std::string& entryName, const std::string& password, bool deflated,
                      uint8_t check, uint32_t expectedCrc, const Source& source);
  ~ZipDecryptingReader();
  ZipDecryptingReader(const ZipDecryptingReader&) = delete;
  ZipDecryptingReader& operator=(const ZipDecryptingReader&) = delete;

  // Fills `into` as far as the entry goes; the number of plain bytes, 0 at the end.
  size_t read(std::span<uint8_t> into, const Source& source);
  // False when the whole entry was read and the CRC of what came out differs from the record's.
  bool crcMatches(bool wholeEntryRead) const;

 private:
  size_t readRaw(uint8_t* into, size_t length, const Source& source);

  std::string entryName_;
  ZipCipher cipher_;
  bool inflating_;
  bool ended_ = false;
  z_stream zstream_{};
  uint8_t input_[16384];
  uint32_t expectedCrc_;
  uint32_t crc_ = 0;
};
