#include "util/ZipReadStream.h"

#include <algorithm>

#include "util/ZipException.h"

namespace {
// minizip counts in unsigned int; larger buffers are read in pieces of this size.
constexpr size_t kMaxPiece = size_t{1} << 30;
}  // namespace

size_t ZipReadStream::readRaw(uint8_t* into, size_t length) {
  int n =
      unzReadCurrentFile(handles_->unz, into, static_cast<unsigned>(std::min(length, kMaxPiece)));
  if (n < 0) throw ZipException("Error in reading '" + fileNameInZip_ + "' in the zipfile", n);
  return static_cast<size_t>(n);
}

size_t ZipReadStream::readDataWithBuffer(plat::Value::Bytes& buffer) {
  if (decrypting_) {
    return decrypting_->read(
        buffer, [this](uint8_t* into, size_t length) { return readRaw(into, length); });
  }
  size_t done = 0;
  // One minizip read may give less than asked; keep going until the buffer is full or the entry
  // ends, so that a buffer sized to the entry gets all of it.
  while (done < buffer.size()) {
    auto piece = static_cast<unsigned>(std::min(buffer.size() - done, kMaxPiece));
    int n = unzReadCurrentFile(handles_->unz, buffer.data() + done, piece);
    if (n < 0) throw ZipException("Error in reading '" + fileNameInZip_ + "' in the zipfile", n);
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void ZipReadStream::finishedReading() {
  if (decrypting_) decrypting_->finish();
  int err = unzCloseCurrentFile(handles_->unz);
  if (err != UNZ_OK)
    throw ZipException("Error in closing '" + fileNameInZip_ + "' in the zipfile", err);
}
