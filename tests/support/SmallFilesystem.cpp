#include "tests/support/SmallFilesystem.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

namespace testsupport {

SmallFilesystem::SmallFilesystem(size_t kilobytes, const std::string& folder)
    : path_(folder.empty() ? makeTempDir("vocab-small-fs") : folder), ownsFolder_(folder.empty()) {
  plat::files::createDirectories(path_);
  const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0700";
  if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) {
    mounted_ = true;
  } else {
    skipReason_ = std::string("cannot mount a small filesystem here (") + std::strerror(errno) +
                  "): the full-disk case needs root";
  }
}

SmallFilesystem::~SmallFilesystem() {
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  if (ownsFolder_) plat::files::remove(path_);
}

}  // namespace testsupport
