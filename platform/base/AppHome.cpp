#include "platform/base/AppHome.h"

#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <random>
#include <stdexcept>

#include "platform/base/Files.h"

namespace plat {
namespace {

std::mutex& homeMutex() {
  static std::mutex m;
  return m;
}

// Never destroyed: backup, loader and analytics threads ask for the home's folders until they
// end, which may be after the process has begun to destroy its static objects.
std::string& overrideHome() {
  static auto* path = new std::string;
  return *path;
}

std::string defaultHome() {
  if (const char* env = std::getenv("VOCAB_HOME"); env && *env) return env;
  // Never a shared folder such as /tmp, where others could read the learner's data or plant
  // their own: without HOME the user's folder comes from the password database.
  const char* user = std::getenv("HOME");
  if (!user || !*user) {
    const passwd* entry = ::getpwuid(::getuid());
    user = entry ? entry->pw_dir : nullptr;
  }
  if (!user || !*user)
    throw std::runtime_error("No home folder for the app's data: set VOCAB_HOME or HOME");
  return std::string(user) + "/.local/share/vocab";
}

}  // namespace

std::string AppHome::home() {
  std::lock_guard lock(homeMutex());
  return overrideHome().empty() ? defaultHome() : overrideHome();
}

void AppHome::setHome(const std::string& path) {
  std::lock_guard lock(homeMutex());
  overrideHome() = path;
}

std::string AppHome::applicationSupportDir() {
  return home() + "/Library/Application Support";
}
std::string AppHome::documentsDir() {
  return home() + "/Documents";
}
std::string AppHome::cachesDir() {
  return home() + "/Library/Caches";
}
std::string AppHome::preferencesDir() {
  return home() + "/Library/Preferences";
}
std::string AppHome::tmpDir() {
  return home() + "/tmp";
}

bool AppHome::ensureFolders() {
  bool ok = true;
  for (const auto& dir :
       {applicationSupportDir(), documentsDir(), cachesDir(), preferencesDir(), tmpDir()}) {
    ok = files::createDirectories(dir) && ok;
  }
  return ok;
}

std::optional<uint64_t> AppHome::freeBytes() {
  struct statvfs volume;
  // The home may not exist yet: its nearest existing folder is on the same volume.
  std::string folder = home();
  while (::statvfs(folder.c_str(), &volume) != 0) {
    const size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos || folder == "/") return std::nullopt;
    folder = slash == 0 ? "/" : folder.substr(0, slash);
  }
  return static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
}

std::string AppHome::temporaryFileName(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  static const uint64_t salt = std::random_device{}();
  return tmpDir() + "/" + prefix + "-" + std::to_string(salt % 1000000007) + "-" +
         std::to_string(counter.fetch_add(1));
}

}  // namespace plat
