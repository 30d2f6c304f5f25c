#include "server/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace standin {

WholeFile readWholeFile(const std::string& path) {
  // Not blocking: a named pipe in a file's place would hold the server's start until someone
  // wrote to it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {std::nullopt, errno == ENOENT ? "" : std::strerror(errno)};
  WholeFile file;
  struct stat about {};
  if (::fstat(fd, &about) != 0) {
    file.error = std::strerror(errno);
  } else if (S_ISDIR(about.st_mode)) {
    file.error = std::strerror(EISDIR);
  } else if (!S_ISREG(about.st_mode)) {
    file.error = "not a plain file";
  } else {
    // Read straight into its place: a backup may be tens of megabytes.
    std::string bytes(static_cast<size_t>(about.st_size), '\0');
    size_t done = 0;
    for (;;) {
      if (done == bytes.size()) bytes.resize(done + 65536);  // grown since it was measured
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        file.error = std::strerror(errno);
        break;
      }
      if (got == 0) {
        bytes.resize(done);
        file.bytes = std::move(bytes);
        break;
      }
      done += static_cast<size_t>(got);
    }
  }
  ::close(fd);
  return file;
}

}  // namespace standin
