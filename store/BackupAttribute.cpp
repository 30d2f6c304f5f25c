#include "store/BackupAttribute.h"

#include <sys/xattr.h>

#include "platform/base/Files.h"

bool BackupAttribute::addSkipBackupAttributeToItemAtURL(const std::string& path) {
  if (!plat::files::exists(path)) return false;
  const char one = 1;
  return ::setxattr(path.c_str(), kAttributeName, &one, 1, 0) == 0;
}

bool BackupAttribute::isExcludedFromBackup(const std::string& path) {
  char value = 0;
  return ::getxattr(path.c_str(), kAttributeName, &value, 1) == 1 && value == 1;
}
