// What went wrong with a backup or a restore, in the learner's terms: one message of the app's
// own, in Chinese, for each kind of failure, while the exact cause (English texts, paths) goes to
// the log for whoever looks into it.
#pragma once

#include <exception>
#include <string>

#include "net/HttpError.h"

class Data_BackupFailure {
 public:
  enum class Kind { DiskFull, ArchiveDamaged, NetworkDown, ServerRefused, Other };

  // A failed request: its error and the errors beneath it.
  static Kind ofError(const HttpErrorPtr& error);
  // A failed dump, archive or import.
  static Kind ofException(const std::exception& error);
  // The localised text the learner is shown.
  static std::string message(Kind kind);
  // The same for a restore whose data was applied but whose server values were not kept.
  static std::string valuesNotKeptMessage(Kind kind);
  // The same for a backup the server accepted whose sync record the device could not store.
  static std::string uploadNotRecordedMessage(Kind kind);
  // Writes `what` failed and why to the log (standard error).
  static void log(const std::string& what, const std::string& detail);
};
