// Reads the archive's current entry, opened by ZipFile::readCurrentEntry. Valid while its archive
// is open and the entry current.
#pragma once

#include <string>

#include "platform/base/Value.h"
#include "util/ZipHandles.h"

class ZipReadStream {
 public:
  ZipReadStream(ZipHandlesRef handles, std::string fileNameInZip)
      : handles_(std::move(handles)), fileNameInZip_(std::move(fileNameInZip)) {}

  // Fills the buffer from the entry, as far as its length or the entry's end allows, and returns
  // the number of bytes read: 0 at the end. The buffer keeps its length.
  size_t readDataWithBuffer(plat::Value::Bytes& buffer);
  // Closes the entry, checking the CRC when the whole entry was read.
  void finishedReading();

 private:
  ZipHandlesRef handles_;
  std::string fileNameInZip_;
};
