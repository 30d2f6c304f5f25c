#include "util/ZipEncryptedEntry.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <vector>

#include "util/ZipException.h"

namespace {

// zlib counts in unsigned int; larger spans go in pieces of this size.
constexpr size_t kMaxPiece = size_t{1} << 30;
constexpr size_t kOutputChunk = 16384;

uint32_t crcOf(uint32_t crc, const uint8_t* bytes, size_t length) {
  return static_cast<uint32_t>(crc32_z(crc, bytes, length));
}

}  // namespace

// ---- Writing

ZipEncryptingWriter::ZipEncryptingWriter(const std::string& entryName, const std::string& password,
                                         int level, uint32_t expectedCrc)
    : entryName_(entryName), cipher_(password), deflating_(level != 0), expectedCrc_(expectedCrc) {
  if (deflating_ &&
      deflateInit2(&zstream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw ZipException("Error in opening '" + entryName + "' in zipfile", Z_STREAM_ERROR);
}

ZipEncryptingWriter::~ZipEncryptingWriter() {
  if (deflating_) deflateEnd(&zstream_);
}

void ZipEncryptingWriter::emit(std::span<uint8_t> bytes, const Sink& sink) {
  if (!headerWritten_) {
    auto header = cipher_.encryptedHeader(static_cast<uint8_t>(expectedCrc_ >> 24));
    sink(header);
    headerWritten_ = true;
  }
  cipher_.encrypt(bytes);
  sink(bytes);
}

void ZipEncryptingWriter::deflateInto(int flush, const Sink& sink) {
  uint8_t out[kOutputChunk];
  int result;
  do {
    zstream_.next_out = out;
    zstream_.avail_out = sizeof out;
    result = deflate(&zstream_, flush);
    if (result == Z_STREAM_ERROR)
      throw ZipException("Error in writing '" + entryName_ + "' in the zipfile", result);
    const size_t produced = sizeof out - zstream_.avail_out;
    if (produced > 0) emit(std::span(out, produced), sink);
  } while (zstream_.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
}

void ZipEncryptingWriter::write(std::span<const uint8_t> data, const Sink& sink) {
  crc_ = crcOf(crc_, data.data(), data.size());
  plainSize_ += data.size();
  for (size_t done = 0; done < data.size();) {
    const size_t piece = std::min(data.size() - done, deflating_ ? kMaxPiece : kOutputChunk);
    if (deflating_) {
      zstream_.next_in = const_cast<uint8_t*>(data.data() + done);  // zlib's API is not const
      zstream_.avail_in = static_cast<uInt>(piece);
      deflateInto(Z_NO_FLUSH, sink);
    } else {
      std::vector<uint8_t> copy(data.begin() + static_cast<long>(done),
                                data.begin() + static_cast<long>(done + piece));
      emit(copy, sink);
    }
    done += piece;
  }
}

void ZipEncryptingWriter::finish(const Sink& sink) {
  if (deflating_) deflateInto(Z_FINISH, sink);
  if (!headerWritten_) emit({}, sink);
  if (crc_ != expectedCrc_)
    throw ZipException("The CRC-32 given for '" + entryName_ + "' is not that of its data",
                       ZIP_PARAMERROR);
}

// ---- Reading

ZipDecryptingReader::ZipDecryptingReader(const std::string& entryName, const std::string& password,
                                         bool deflated, uint8_t check, uint32_t expectedCrc,
                                         const Source& source)
    : entryName_(entryName), cipher_(password), inflating_(deflated), expectedCrc_(expectedCrc) {
  uint8_t header[ZipCipher::kHeaderSize];
  size_t got = 0;
  while (got < sizeof header) {
    const size_t n = readRaw(header + got, sizeof header - got, source);
    if (n == 0) throw ZipException("Error in reading '" + entryName + "' in the zipfile", 0);
    got += n;
  }
  if (header[ZipCipher::kHeaderSize - 1] != check)
    throw ZipException("Wrong password for '" + entryName + "'", 0);
  if (inflating_ && inflateInit2(&zstream_, -MAX_WBITS) != Z_OK)
    throw ZipException("Error in opening '" + entryName + "' in the zipfile", Z_STREAM_ERROR);
}

ZipDecryptingReader::~ZipDecryptingReader() {
  if (inflating_) inflateEnd(&zstream_);
}

size_t ZipDecryptingReader::readRaw(uint8_t* into, size_t length, const Source& source) {
  const size_t n = source(into, length);
  cipher_.decrypt(std::span(into, n));
  return n;
}

size_t ZipDecryptingReader::read(std::span<uint8_t> into, const Source& source) {
  size_t produced = 0;
  if (!inflating_) {
    while (produced < into.size() && !ended_) {
      const size_t n = readRaw(into.data() + produced, into.size() - produced, source);
      if (n == 0) ended_ = true;
      produced += n;
    }
  } else {
    while (produced < into.size() && !ended_) {
      if (zstream_.avail_in == 0) {
        const size_t n = readRaw(input_, sizeof input_, source);
        if (n == 0) throw ZipException("Error in reading '" + entryName_ + "' in the zipfile", 0);
        zstream_.next_in = input_;
        zstream_.avail_in = static_cast<uInt>(n);
      }
      const size_t room = std::min(into.size() - produced, kMaxPiece);
      zstream_.next_out = into.data() + produced;
      zstream_.avail_out = static_cast<uInt>(room);
      const int result = inflate(&zstream_, Z_NO_FLUSH);
      if (result == Z_STREAM_END) {
        ended_ = true;
      } else if (result != Z_OK && result != Z_BUF_ERROR) {
        throw ZipException("Error in reading '" + entryName_ + "' in the zipfile", result);
      }
      produced += room - zstream_.avail_out;
    }
  }
  crc_ = crcOf(crc_, into.data(), produced);
  return produced;
}

bool ZipDecryptingReader::crcMatches(bool wholeEntryRead) const {
  return !(ended_ || wholeEntryRead) || crc_ == expectedCrc_;
}
