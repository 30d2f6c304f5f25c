// Marks a file so that device backups leave it out (the study database copies, downloaded voice
// packs). On Linux the mark is an extended attribute; file systems without them refuse it.
#pragma once

#include <string>

class BackupAttribute {
 public:
  // The attribute set on an excluded file, with the single byte 1 as its value.
  static constexpr const char* kAttributeName = "user.vocab.skip_backup";

  // True when the file exists and now carries the mark. Callers ignore the result: a file that
  // cannot be marked is simply backed up.
  static bool addSkipBackupAttributeToItemAtURL(const std::string& path);
  // True when the file carries the mark.
  static bool isExcludedFromBackup(const std::string& path);
};
