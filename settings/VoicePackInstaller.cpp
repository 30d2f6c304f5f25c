#include "settings/VoicePackInstaller.h"

#include <filesystem>
#include <system_error>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/BackupAttribute.h"
#include "util/ZipFile.h"

namespace fs = std::filesystem;

namespace VoicePackInstaller {

namespace {

// Moves `from` over `to`, replacing it; across file systems through a copy beside the target.
bool replace(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::rename(from, to, error);
  if (!error) return true;
  const std::string beside = to + ".part";
  fs::copy_file(from, beside, fs::copy_options::overwrite_existing, error);
  if (!error) fs::rename(beside, to, error);
  if (error) {
    plat::files::remove(beside);
    return false;
  }
  plat::files::remove(from);
  return true;
}

}  // namespace

bool install(const std::string& body, uint64_t announced, const std::string& fileName) {
  if (body.empty() || (announced > 0 && body.size() != announced)) return false;
  plat::AppHome::ensureFolders();
  const std::string cached = plat::files::join(plat::AppHome::cachesDir(), fileName);
  const std::string target = plat::files::join(plat::AppHome::applicationSupportDir(), fileName);
  bool ok = plat::files::writeFileAtomically(cached, body) && ZipFile::unzFileCheck(cached) &&
            replace(cached, target);
  if (!ok) {
    if (!plat::files::isDirectory(cached)) plat::files::remove(cached);
    return false;
  }
  BackupAttribute::addSkipBackupAttributeToItemAtURL(target);
  return true;
}

}  // namespace VoicePackInstaller
