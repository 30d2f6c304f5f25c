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
    const size_t got = decrypting_->read(
        buffer, [this](uint8_t* into, size_t length) { return readRaw(into, length); });
    read_ += got;
    if (got < buffer.size()) ended_ = true;
    return got;
  }
  size_t done = 0;
  // One minizip read may give less than asked; keep going until the buffer is full or the entry
  // ends, so that a buffer sized to the entry gets all of it.
  while (done < buffer.size()) {
    auto piece = static_cast<unsigned>(std::min(buffer.size() - done, kMaxPiece));
    int n = unzReadCurrentFile(handles_->unz, buffer.data() + done, piece);
    if (n < 0) throw ZipException("Error in reading '" + fileNameInZip_ + "' in the zipfile", n);
    if (n == 0) {
      ended_ = true;
      break;
    }
    done += static_cast<size_t>(n);
  }
  read_ += done;
  return done;
}

void ZipReadStream::finishedReading() {
  const std::string failure = "Error in closing '" + fileNameInZip_ + "' in the zipfile";
  // minizip checks the CRC only once the record's length was read: an entry whose data end
  // earlier would pass unchecked, its missing bytes reported as success.
  int err = ended_ && read_ != length_ ? UNZ_BADZIPFILE : UNZ_OK;
  if (decrypting_ && err == UNZ_OK && !decrypting_->crcMatches(ended_ || read_ == length_))
    err = UNZ_CRCERROR;
  const int closed = unzCloseCurrentFile(handles_->unz);
  if (err == UNZ_OK) err = closed;
  if (err != UNZ_OK) throw ZipException(failure, err);
}
