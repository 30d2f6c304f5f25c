#include "online/Data_BackupFailure.h"

#include <cerrno>
#include <cstdio>

#include "online/Data_BackupSpace.h"
#include "online/Data_Package.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "util/ZipException.h"

namespace {

// Below this the volume counts as full whatever the failure said: SQLite and the zip writer
// report a full disk only as a failed step.
constexpr uint64_t kNearlyFullBytes = uint64_t{1} << 20;

bool volumeNearlyFull() {
  const std::optional<uint64_t> free = plat::AppHome::freeBytes();
  return free && *free < kNearlyFullBytes;
}

}  // namespace

Data_BackupFailure::Kind Data_BackupFailure::ofError(const HttpErrorPtr& error) {
  for (HttpErrorPtr cause = error; cause; cause = cause->underlyingError()) {
    if (cause->domain() == "PosixErrorDomain" &&
        (cause->code() == ENOSPC || cause->code() == EDQUOT))
      return Kind::DiskFull;
  }
  if (!error) return Kind::Other;
  if (error->domain() != kHttpRequestErrorDomain) return Kind::Other;
  switch (error->code()) {
    case kHttpCompressionFailure:
      return Kind::ArchiveDamaged;
    case kHttpConnectionFailure:
    case kHttpRequestTimedOut:
      return Kind::NetworkDown;
    case kHttpAuthenticationFailure:
      return Kind::ServerRefused;
    case kHttpFileHandlingFailure:
      return volumeNearlyFull() ? Kind::DiskFull : Kind::Other;
    default:
      return Kind::Other;
  }
}

Data_BackupFailure::Kind Data_BackupFailure::ofException(const std::exception& error) {
  if (dynamic_cast<const NoRoomException*>(&error)) return Kind::DiskFull;
  if (volumeNearlyFull()) return Kind::DiskFull;
  if (dynamic_cast<const ZipException*>(&error) || dynamic_cast<const DumpException*>(&error))
    return Kind::ArchiveDamaged;
  return Kind::Other;
}

std::string Data_BackupFailure::message(Kind kind) {
  const char* key = "data_err_other";
  switch (kind) {
    case Kind::DiskFull:
      key = "data_err_disk_full";
      break;
    case Kind::ArchiveDamaged:
      key = "data_err_damaged";
      break;
    case Kind::NetworkDown:
      key = "data_err_network";
      break;
    case Kind::ServerRefused:
      key = "data_err_refused";
      break;
    case Kind::Other:
      break;
  }
  return plat::localized(key, "InfoPlist");
}

std::string Data_BackupFailure::valuesNotKeptMessage(Kind kind) {
  return plat::localized(kind == Kind::DiskFull ? "data_err_values_disk_full" : "data_err_values",
                         "InfoPlist");
}

std::string Data_BackupFailure::uploadNotRecordedMessage(Kind kind) {
  return plat::localized(
      kind == Kind::DiskFull ? "data_err_up_record_disk_full" : "data_err_up_record", "InfoPlist");
}

void Data_BackupFailure::log(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "backup: %s: %s\n", what.c_str(), detail.c_str());
}
