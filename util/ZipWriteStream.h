// Writes one new entry, started by ZipFile::writeEntryWithName. Valid while its archive is open
// and the entry the one being written.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "util/ZipEncryptedEntry.h"
#include "util/ZipHandles.h"

class ZipWriteStream {
 public:
  // `encrypting` is set for a password entry, which minizip takes raw.
  ZipWriteStream(ZipHandlesRef handles, std::string fileNameInZip,
                 std::shared_ptr<ZipEncryptingWriter> encrypting = nullptr)
      : handles_(std::move(handles)),
        fileNameInZip_(std::move(fileNameInZip)),
        encrypting_(std::move(encrypting)) {}

  // Compresses and appends the bytes to the entry.
  void writeData(std::span<const uint8_t> data);
  void writeData(std::string_view data) {
    writeData(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
  }
  void finishedWriting();

 private:
  void writeRaw(std::span<const uint8_t> data);

  ZipHandlesRef handles_;
  std::string fileNameInZip_;
  std::shared_ptr<ZipEncryptingWriter> encrypting_;
};
