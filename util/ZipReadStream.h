// Reads the archive's current entry, opened by ZipFile::readCurrentEntry. Valid while its archive
// is open and the entry current.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/base/Value.h"
#include "util/ZipEncryptedEntry.h"
#include "util/ZipHandles.h"

class ZipReadStream {
 public:
  // `length` is the entry's uncompressed size as its directory record gives it. `decrypting` is
  // set for a password entry, which minizip opened raw.
  ZipReadStream(ZipHandlesRef handles, std::string fileNameInZip, uint64_t length,
                std::shared_ptr<ZipDecryptingReader> decrypting = nullptr)
      : handles_(std::move(handles)),
        fileNameInZip_(std::move(fileNameInZip)),
        length_(length),
        decrypting_(std::move(decrypting)) {}

  // Fills the buffer from the entry, as far as its length or the entry's end allows, and returns
  // the number of bytes read: 0 at the end. The buffer keeps its length.
  size_t readDataWithBuffer(plat::Value::Bytes& buffer);
  // Closes the entry. When the whole entry was read, raises if its CRC differs or if it ended
  // short of the length its record gives; the entry is closed either way.
  void finishedReading();

  // Up to `length` bytes of the entry as minizip gives them; raises on a damaged entry.
  size_t readRaw(uint8_t* into, size_t length);

 private:
  ZipHandlesRef handles_;
  std::string fileNameInZip_;
  uint64_t length_;
  uint64_t read_ = 0;
  bool ended_ = false;  // a read found the entry's end
  std::shared_ptr<ZipDecryptingReader> decrypting_;
};
