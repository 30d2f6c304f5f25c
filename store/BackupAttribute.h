// Marks a file so that backups leave it out (the study database copies, downloaded voice packs).
// On Linux the mark is the file's "no dump" flag (chattr +d), which backup tools read: dump,
// bsdtar --nodump and borg --exclude-nodump skip a file that carries it. The file's owner may
// set it; file systems without such flags (tmpfs, some network mounts) refuse it.
#pragma once

#include <string>

class BackupAttribute {
 public:
  // True when the file exists and now carries the mark. Callers ignore the result: a file that
  // cannot be marked is simply backed up.
  static bool addSkipBackupAttributeToItemAtURL(const std::string& path);
  // True when the file carries the mark.
  static bool isExcludedFromBackup(const std::string& path);
};
