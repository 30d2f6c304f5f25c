// A file copy that hands its parts to the disk while it runs, for copies that are flushed next.
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/Files.h"

namespace plat::files {

bool copyFileWritingBack(const std::string& from, const std::string& to) {
  // Small enough that the disk starts on the first part early, large enough to cost few calls.
  constexpr size_t kPart = 256 * 1024;
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return false;
  }
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
  if (out < 0) {
    ::close(in);
    return false;
  }
  bool ok = true;
  for (off_t done = 0;;) {
    const ssize_t n = ::sendfile(out, in, nullptr, kPart);
    if (n == 0) break;
    if (n < 0) {
      ok = false;
      break;
    }
    // Starts the write-back of this part without waiting for it; errors surface at the flush.
    ::sync_file_range(out, done, n, SYNC_FILE_RANGE_WRITE);
    done += n;
  }
  ok = ::close(out) == 0 && ok;
  ::close(in);
  if (!ok) ::unlink(to.c_str());
  return ok;
}

}  // namespace plat::files
