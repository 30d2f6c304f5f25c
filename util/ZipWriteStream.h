// Writes one new entry, started by ZipFile::writeEntryWithName. Valid while its archive is open
// and the entry the one being written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "util/ZipHandles.h"

class ZipWriteStream {
 public:
  ZipWriteStream(ZipHandlesRef handles, std::string fileNameInZip)
      : handles_(std::move(handles)), fileNameInZip_(std::move(fileNameInZip)) {}

  // Compresses and appends the bytes to the entry.
  void writeData(std::span<const uint8_t> data);
  void writeData(std::string_view data) {
    writeData(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
  }
  void finishedWriting();

 private:
  ZipHandlesRef handles_;
  std::string fileNameInZip_;
};
