// Downloads to a file: the raw and inflated temporary files, resuming a partial file only from a
// reply that continues it, writes whose failures (a full disk) fail the request, and moving the
// finished file to its destination.
#include <cerrno>
#include <cstring>

#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"

namespace {

// The first byte of a "bytes FIRST-LAST/LENGTH" range; nullopt when the value names none.
std::optional<uint64_t> firstByteOfRange(const std::string& value) {
  const std::string lower = plat::http::lowercased(value);
  size_t at = lower.find_first_not_of(' ');
  if (at == std::string::npos || lower.compare(at, 6, "bytes ") != 0) return std::nullopt;
  at = lower.find_first_not_of(' ', at + 6);
  if (at == std::string::npos || !std::isdigit(static_cast<unsigned char>(lower[at])))
    return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long long first = std::strtoull(lower.c_str() + at, &end, 10);
  if (errno == ERANGE || *end != '-') return std::nullopt;
  return first;
}

}  // namespace

// With the response headers of a request that is not redirected. A resumed download appends only
// to a reply that starts where its partial file ends; any other reply would leave a file of the
// wrong bytes reported as finished. Fails the request and returns false for a range that fits
// neither the partial file nor a fresh start; the partial file stays for a later try.
bool HttpRequest::decideResumedRange() {
  appendsToPartialDownload_ = false;
  const bool sentRange = request_ && request_->headers.contains("Range");
  if (!allowResumeForFileDownloads_ || downloadDestinationPath_.empty() || !sentRange) return true;
  std::optional<uint64_t> first;
  if (responseStatusCode_ == 206) {
    first = firstByteOfRange(responseHeaders_.value("Content-Range"));
    if (first && *first == partialDownloadSize_ && *first > 0) {
      appendsToPartialDownload_ = true;
      return true;
    }
  }
  if (responseStatusCode_ != 206 || first == uint64_t{0}) {
    // The whole body (or an error page) replaces the part, and the inflater starts over too.
    partialDownloadSize_ = 0;
    dataDecompressor_.reset();
    return true;
  }
  connectionCanBeReused_ = false;
  cancelLoad();
  failWithError(HttpError::make(
      kHttpConnectionFailure,
      "The server answered the download from " +
          (first ? "byte " + std::to_string(*first) : std::string("an unstated byte")) +
          " instead of byte " + std::to_string(partialDownloadSize_)));
  return false;
}

bool HttpRequest::openDownloadStream(std::string& path, FILE*& stream, const char* prefix) {
  if (stream) return true;
  if (path.empty()) {
    path = plat::AppHome::temporaryFileName(prefix);
    plat::files::createDirectories(plat::AppHome::tmpDir());
  }
  stream = fopen(path.c_str(), appendsToPartialDownload_ ? "ab" : "wb");
  if (stream) return true;
  failWithFileError("Failed to create file at path '" + path + "'", errno);
  return false;
}

bool HttpRequest::writeDownloadBytes(FILE* stream, const std::string& path, const uint8_t* bytes,
                                     size_t length) {
  if (length == 0 || fwrite(bytes, 1, length, stream) == length) return true;
  failWithFileError("Failed to write to file at path '" + path + "'", errno);
  return false;
}

void HttpRequest::writeToDownloadFile(const uint8_t* raw, size_t rawLength, const Bytes* inflated) {
  if (!openDownloadStream(temporaryFileDownloadPath_, fileDownloadOutputStream_,
                          "HttpRequestDownload") ||
      !writeDownloadBytes(fileDownloadOutputStream_, temporaryFileDownloadPath_, raw, rawLength))
    return;
  if (!inflated) return;
  if (openDownloadStream(temporaryUncompressedDataDownloadPath_, inflatedFileDownloadOutputStream_,
                         "HttpRequestInflated")) {
    writeDownloadBytes(inflatedFileDownloadOutputStream_, temporaryUncompressedDataDownloadPath_,
                       inflated->data(), inflated->size());
  }
}

// A resumed download inflated on the way whose inflater is new (an earlier request left the raw
// part): the part goes through the inflater first, so that the reply's bytes continue its stream
// and the inflated file starts from the beginning of the body.
bool HttpRequest::inflatePartialDownload() {
  FILE* part = fopen(temporaryFileDownloadPath_.c_str(), "rb");
  if (!part) {
    failWithFileError("Failed to read file at path '" + temporaryFileDownloadPath_ + "'", errno);
    return false;
  }
  appendsToPartialDownload_ = false;  // the inflated file is written afresh
  bool ok = openDownloadStream(temporaryUncompressedDataDownloadPath_,
                               inflatedFileDownloadOutputStream_, "HttpRequestInflated");
  appendsToPartialDownload_ = true;
  Bytes chunk(65536);
  while (ok) {
    const size_t count = fread(chunk.data(), 1, chunk.size(), part);
    if (count == 0) break;
    HttpErrorPtr error;
    auto inflated = dataDecompressor_->uncompressBytes(chunk.data(), count, &error);
    if (error) {
      fclose(part);
      failInflatingDownload(error);
      return false;
    }
    if (inflated)
      ok = writeDownloadBytes(inflatedFileDownloadOutputStream_,
                              temporaryUncompressedDataDownloadPath_, inflated->data(),
                              inflated->size());
  }
  fclose(part);
  return ok;
}

// A body that does not inflate leaves a part that no later try could continue: it goes, so the
// next request starts over instead of failing the same way for good.
void HttpRequest::failInflatingDownload(const HttpErrorPtr& error) {
  connectionCanBeReused_ = false;
  cancelLoad();
  if (!downloadDestinationPath_.empty()) {
    removeTemporaryDownloadFile();
    removeTemporaryUncompressedDownloadFile();
  }
  failWithError(error);
}

void HttpRequest::failWithFileError(const std::string& description, int code) {
  auto underlying = std::make_shared<const HttpError>("PosixErrorDomain", code, strerror(code));
  connectionCanBeReused_ = false;
  cancelLoad();
  failWithError(HttpError::make(kHttpFileHandlingFailure, description, underlying));
}

// Before a time-out retry: the files are closed, so the length measured for the resumed range
// counts the bytes still in the writer's buffer and the next reply decides afresh between
// appending (a range answered) and starting over. A body inflated on the way resumes with its
// inflater, which has taken exactly the bytes of the raw file; without resuming both start over.
void HttpRequest::prepareDownloadFileForRetry() {
  if (fileDownloadOutputStream_) fclose(fileDownloadOutputStream_);
  if (inflatedFileDownloadOutputStream_) fclose(inflatedFileDownloadOutputStream_);
  fileDownloadOutputStream_ = inflatedFileDownloadOutputStream_ = nullptr;
  if (!temporaryUncompressedDataDownloadPath_.empty() && !allowResumeForFileDownloads_) {
    removeTemporaryDownloadFile();
    removeTemporaryUncompressedDownloadFile();
    dataDecompressor_.reset();
  }
  updatePartialDownloadSize();
}

HttpErrorPtr HttpRequest::finishDownloadFile() {
  // Closing writes what the buffers still hold: on a full disk that fails too.
  auto close = [](FILE*& stream, const std::string& path) -> HttpErrorPtr {
    if (!stream) return nullptr;
    const bool closed = fclose(stream) == 0;
    const int code = errno;
    stream = nullptr;
    if (closed) return nullptr;
    return HttpError::make(
        kHttpFileHandlingFailure, "Failed to write to file at path '" + path + "'",
        std::make_shared<const HttpError>("PosixErrorDomain", code, strerror(code)));
  };
  HttpErrorPtr error = close(fileDownloadOutputStream_, temporaryFileDownloadPath_);
  if (HttpErrorPtr inflatedError =
          close(inflatedFileDownloadOutputStream_, temporaryUncompressedDataDownloadPath_);
      !error)
    error = inflatedError;
  // Not the end of the download yet: the part stays for the attempt that follows.
  if (needsRedirect_ || authenticationNeeded_) return nullptr;
  if (error) {
    // Nothing of a file that could not be written whole reaches the destination.
    if (!allowResumeForFileDownloads_) removeTemporaryDownloadFile();
    removeTemporaryUncompressedDownloadFile();
    return error;
  }
  auto moveFailure = [](const std::string& from, const std::string& to) {
    return HttpError::make(kHttpFileHandlingFailure,
                           "Failed to move file from '" + from + "' to '" + to + "'");
  };
  if (isResponseCompressed()) {
    if (shouldWaitToInflateCompressedResponses_) {
      HttpDataDecompressor::uncompressDataFromFile(
          temporaryFileDownloadPath_, downloadDestinationPath_, &error, maxResponseBytes_);
      // A body that could not be inflated whole leaves no part of it as the download.
      if (error) removeFileAtPath(downloadDestinationPath_, nullptr);
    } else {
      removeFileAtPath(downloadDestinationPath_, nullptr);
      if (!plat::files::moveFile(temporaryUncompressedDataDownloadPath_, downloadDestinationPath_))
        error = moveFailure(temporaryUncompressedDataDownloadPath_, downloadDestinationPath_);
      temporaryUncompressedDataDownloadPath_.clear();
    }
    removeTemporaryDownloadFile();
  } else {
    HttpErrorPtr removeError;
    if (removeFileAtPath(downloadDestinationPath_, &removeError)) {
      if (!plat::files::moveFile(temporaryFileDownloadPath_, downloadDestinationPath_))
        error = moveFailure(temporaryFileDownloadPath_, downloadDestinationPath_);
      temporaryFileDownloadPath_.clear();
    } else {
      error = removeError;
    }
  }
  return error;
}
