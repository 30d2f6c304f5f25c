// Downloads to a file: the raw and inflated temporary files, resuming a partial file only from a
// reply that continues it, writes whose failures (a full disk) fail the request, and moving the
// finished file, exactly the last reply's body, to its destination.
#include <cerrno>
#include <cstring>

#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"

namespace {

// "bytes FIRST-LAST/LENGTH" (LENGTH "*" when the server does not know it); nullopt when the value
// says something else.
std::optional<HttpRequest::ContentRange> contentRangeOf(const std::string& value) {
  const std::string lower = plat::http::lowercased(value);
  size_t at = lower.find_first_not_of(' ');
  if (at == std::string::npos || lower.compare(at, 6, "bytes ") != 0) return std::nullopt;
  at = lower.find_first_not_of(' ', at + 6);
  auto number = [&](char after) -> std::optional<uint64_t> {
    if (at >= lower.size() || !std::isdigit(static_cast<unsigned char>(lower[at])))
      return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(lower.c_str() + at, &end, 10);
    if (errno == ERANGE || *end != after) return std::nullopt;
    at = static_cast<size_t>(end - lower.c_str()) + 1;
    return value;
  };
  if (at == std::string::npos) return std::nullopt;
  HttpRequest::ContentRange range;
  auto first = number('-');
  auto last = first ? number('/') : std::nullopt;
  if (!last || *last < *first) return std::nullopt;
  range.first = *first;
  range.last = *last;
  if (lower.compare(at, std::string::npos, "*") != 0) {
    range.total = number('\0');
    if (!range.total || *range.total <= range.last) return std::nullopt;
  }
  return range;
}

}  // namespace

// With the response headers of a file download that is not redirected or asked for a login: the
// reply decides whether its bytes continue the partial file or start the file afresh, and a fresh
// file is made at once, so that the file ends as exactly this reply's body even when it is empty
// (an earlier attempt's bytes would otherwise stay). A part (206) continues the partial file only
// where the file ends; a part from byte 0 starts it; any other fails the request, and the partial
// file stays for a later try. Whether a part makes the whole file is checked at the end.
bool HttpRequest::decideResumedRange() {
  appendsToPartialDownload_ = false;
  downloadRange_.reset();
  if (downloadDestinationPath_.empty() || mainRequest_ || delegateTakesData()) return true;
  const bool resuming =
      allowResumeForFileDownloads_ && request_ && request_->headers.contains("Range");
  if (responseStatusCode_ == 206) {
    downloadRange_ = contentRangeOf(responseHeaders_.value("Content-Range"));
    const uint64_t expected = resuming ? partialDownloadSize_ : 0;
    if (!downloadRange_ || (downloadRange_->first != expected && downloadRange_->first != 0)) {
      connectionCanBeReused_ = false;
      cancelLoad();
      failWithError(
          HttpError::make(kHttpConnectionFailure,
                          "The server answered the download from " +
                              (downloadRange_ ? "byte " + std::to_string(downloadRange_->first)
                                              : std::string("an unstated byte")) +
                              " instead of byte " + std::to_string(expected)));
      return false;
    }
    appendsToPartialDownload_ = downloadRange_->first > 0;
    if (appendsToPartialDownload_) return true;
  }
  // The whole body (or an error page) replaces the part, and the inflater starts over too.
  partialDownloadSize_ = 0;
  dataDecompressor_.reset();
  if (!openDownloadStream(temporaryFileDownloadPath_, fileDownloadOutputStream_,
                          "HttpRequestDownload"))
    return false;
  if (isResponseCompressed() && !shouldWaitToInflateCompressedResponses_)
    return openDownloadStream(temporaryUncompressedDataDownloadPath_,
                              inflatedFileDownloadOutputStream_, "HttpRequestInflated");
  return true;
}

// A part (206) is the download only when it ends the file: its range reaches the total, and its
// body filled the range.
HttpErrorPtr HttpRequest::incompletePartError() const {
  if (!downloadRange_) return nullptr;
  const ContentRange& range = *downloadRange_;
  if (range.total && range.last + 1 == *range.total &&
      range.first + totalBytesRead_ == *range.total)
    return nullptr;
  return HttpError::make(kHttpConnectionFailure,
                         "The server sent bytes " + std::to_string(range.first) + "-" +
                             std::to_string(range.last) + " of " +
                             (range.total ? std::to_string(*range.total) : std::string("*")) +
                             ": the download is not whole");
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
  // A part that leaves the file short is no download; when resuming, it stays for the next try.
  if (!error) error = incompletePartError();
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
