#include "net/HttpZlibStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/base/Files.h"

namespace {

struct FileCloser {
  void operator()(FILE* file) const {
    if (file) fclose(file);
  }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

HttpErrorPtr posixError(int code) {
  return std::make_shared<const HttpError>("PosixErrorDomain", code, strerror(code));
}

}  // namespace

HttpErrorPtr HttpZlibStream::errorWithCode(int zlibCode) const {
  return HttpError::make(
      kHttpCompressionFailure,
      std::string(verb_) + " of data failed with code " + std::to_string(zlibCode));
}

void HttpZlibStream::prepareOutput(std::vector<uint8_t>& out, size_t produced, size_t step) {
  if (produced >= out.size()) out.resize(out.size() + step);
  zStream_.next_out = out.data() + produced;
  zStream_.avail_out = static_cast<uInt>(out.size() - produced);
}

bool HttpZlibStream::transformFile(const std::string& source, const std::string& destination,
                                   HttpErrorPtr* error) {
  auto fail = [&](std::string text, HttpErrorPtr underlying = nullptr) {
    if (error) *error = HttpError::make(kHttpCompressionFailure, std::move(text), underlying);
    return false;
  };
  const std::string prefix = std::string(verb_) + " of " + source;

  FileHandle out(fopen(destination.c_str(), "wb"));
  if (!out) {
    return fail(prefix + " failed because we were to create a file at " + destination);
  }
  if (!plat::files::exists(source)) return fail(prefix + " failed the file does not exist");
  FileHandle in(fopen(source.c_str(), "rb"));
  if (!in) {
    return fail(prefix + " failed because we were unable to read from the source data file",
                posixError(errno));
  }

  HttpErrorPtr streamError = setupStream();
  if (streamError) {
    if (error) *error = streamError;
    return false;
  }
  std::vector<uint8_t> buffer(kZlibFileChunkSize);
  bool ok = true;
  auto write = [&](const std::vector<uint8_t>& bytes) {
    if (!bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size()) {
      ok =
          fail(prefix + " failed because we were unable to write to the destination data file at " +
                   destination,
               posixError(errno));
    }
  };
  while (ok && streamReady_) {
    size_t count = fread(buffer.data(), 1, buffer.size(), in.get());
    if (ferror(in.get())) {
      ok = fail(prefix + " failed because we were unable to read from the source data file",
                posixError(errno));
      break;
    }
    if (count == 0) {
      HttpErrorPtr finishError;
      auto tail = finishTransform(&finishError);
      if (!tail) {
        ok = false;
        if (error) *error = finishError;
      } else {
        write(*tail);
      }
      break;
    }
    HttpErrorPtr chunkError;
    auto produced = transformChunk(buffer.data(), count, count < buffer.size(), &chunkError);
    if (!produced && chunkError) {
      ok = false;
      if (error) *error = chunkError;
      break;
    }
    if (produced) write(*produced);
  }
  if (fflush(out.get()) != 0 && ok) {
    ok = fail(prefix + " failed because we were unable to write to the destination data file at " +
                  destination,
              posixError(errno));
  }
  HttpErrorPtr closeError = closeStream();
  if (closeError && ok) {
    ok = false;
    if (error) *error = closeError;
  }
  return ok;
}
