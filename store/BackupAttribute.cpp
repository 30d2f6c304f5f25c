#include "store/BackupAttribute.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/base/Files.h"

namespace {

// The file's inode flags, read or changed through a descriptor of its own; false on refusal.
bool withFlags(const std::string& path, bool set, int& flags) {
  // Opened without following a link and without blocking on a fifo: only the file itself counts.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok && set) {
    flags |= FS_NODUMP_FL;
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

}  // namespace

bool BackupAttribute::addSkipBackupAttributeToItemAtURL(const std::string& path) {
  if (!plat::files::exists(path)) return false;
  int flags = 0;
  return withFlags(path, true, flags);
}

bool BackupAttribute::isExcludedFromBackup(const std::string& path) {
  int flags = 0;
  return withFlags(path, false, flags) && (flags & FS_NODUMP_FL);
}
