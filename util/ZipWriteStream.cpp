#include "util/ZipWriteStream.h"

#include <algorithm>

#include "util/ZipException.h"

namespace {
constexpr size_t kMaxPiece = size_t{1} << 30;  // minizip counts in unsigned int
}  // namespace

void ZipWriteStream::writeData(std::span<const uint8_t> data) {
  if (encrypting_) {
    encrypting_->write(data, [this](std::span<const uint8_t> bytes) { writeRaw(bytes); });
    return;
  }
  writeRaw(data);
}

void ZipWriteStream::writeRaw(std::span<const uint8_t> data) {
  // Never a null pointer, not even for no bytes: zlib's crc32 restarts the checksum on one.
  static const uint8_t kNothing = 0;
  const uint8_t* bytes = data.empty() ? &kNothing : data.data();
  size_t done = 0;
  do {
    auto piece = static_cast<unsigned>(std::min(data.size() - done, kMaxPiece));
    int err = zipWriteInFileInZip(handles_->zip, bytes + done, piece);
    if (err < 0)
      throw ZipException("Error in writing '" + fileNameInZip_ + "' in the zipfile", err);
    done += piece;
  } while (done < data.size());
}

void ZipWriteStream::finishedWriting() {
  int err;
  if (encrypting_) {
    encrypting_->finish([this](std::span<const uint8_t> bytes) { writeRaw(bytes); });
    err = zipCloseFileInZipRaw64(handles_->zip, encrypting_->plainSize(), encrypting_->crc());
  } else {
    err = zipCloseFileInZip(handles_->zip);
  }
  if (err != ZIP_OK)
    throw ZipException("Error in closing '" + fileNameInZip_ + "' in the zipfile", err);
}
