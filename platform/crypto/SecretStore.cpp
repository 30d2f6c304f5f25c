#include "platform/crypto/SecretStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/base/Files.h"

namespace plat {
namespace {

// Longer descriptions would make file names past what file systems accept.
constexpr size_t kMaxFileNameLength = 200;

std::mutex& folderMutex() {
  static std::mutex m;
  return m;
}

// Never destroyed: the network thread reads stored logins, and may still do so as the process
// exits.
std::string& overrideFolder() {
  static auto* path = new std::string;
  return *path;
}

std::string defaultFolder() {
  if (const char* env = std::getenv("VOCAB_DEVICE_DIR"); env && *env) return env;
  // Never a shared folder such as /tmp, where anyone could plant or read the device's secrets:
  // without HOME the user's own folder comes from the password database.
  const char* user = std::getenv("HOME");
  if (!user || !*user) {
    const passwd* entry = ::getpwuid(::getuid());
    user = entry ? entry->pw_dir : nullptr;
  }
  if (!user || !*user) return "";
  return std::string(user) + "/.config/vocab-device";
}

// The item's file: its lower-cased description with every byte that is not a letter, digit, "_"
// or "-" written as %XX, so that any description maps to one safe name and case does not matter.
std::optional<std::string> itemPath(const std::string& description) {
  static const char* digits = "0123456789ABCDEF";
  std::string name;
  for (unsigned char c : description) {
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-') {
      name += static_cast<char>(c);
    } else {
      name += '%';
      name += digits[c >> 4];
      name += digits[c & 0x0F];
    }
  }
  name += ".item";
  const std::string folder = SecretStore::folder();
  if (name.size() > kMaxFileNameLength || folder.empty()) return std::nullopt;
  return files::join(folder, name);
}

bool ensureFolder(const std::string& folder) {
  if (folder.empty()) return false;  // no home folder of the user's own: nowhere safe
  if (files::isDirectory(folder)) return true;
  if (!files::createDirectories(folder)) return false;
  ::chmod(folder.c_str(), 0700);  // secrets: readable by the owner only
  return true;
}

// Writes the data to a new private temporary file in the store's folder and returns its path.
std::optional<std::string> writeTemporary(const std::string& folder, const std::string& data) {
  std::string temp = files::join(folder, ".tmp-XXXXXX");
  int fd = ::mkstemp(temp.data());  // created with mode 0600
  if (fd < 0) return std::nullopt;
  if (!files::writeAndClose(fd, data, true)) {
    ::unlink(temp.c_str());
    return std::nullopt;
  }
  return temp;
}

// Where the file system has no hard links, adders take turns under a lock on the store's folder, so
// that to every other adder, in this process or another, the check for the item and the move into
// its place are one step. Readers need no lock: the move shows them the whole item at once. The
// kernel lets go of the lock of an adder that dies.
bool moveInWhereNothingIs(const std::string& folder, const std::string& temp,
                          const std::string& path) {
  const int lock = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock < 0) return false;
  int locked;
  do {
    locked = ::flock(lock, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  // Moved only where nothing is surely there: a name that cannot be looked up is not taken.
  struct stat there;
  const bool moved = locked == 0 && ::lstat(path.c_str(), &there) != 0 && errno == ENOENT &&
                     ::rename(temp.c_str(), path.c_str()) == 0;
  ::close(lock);
  return moved;
}

}  // namespace

std::string SecretStore::folder() {
  std::lock_guard lock(folderMutex());
  return overrideFolder().empty() ? defaultFolder() : overrideFolder();
}

void SecretStore::setFolder(const std::string& path) {
  std::lock_guard lock(folderMutex());
  overrideFolder() = path;
}

std::optional<std::string> SecretStore::find(const std::string& description) {
  auto path = itemPath(description);
  if (!path || files::isDirectory(*path)) return std::nullopt;
  return files::readFile(*path);
}

bool SecretStore::add(const std::string& description, const std::string& data) {
  auto path = itemPath(description);
  std::string dir = folder();
  if (!path || !ensureFolder(dir)) return false;
  auto temp = writeTemporary(dir, data);
  if (!temp) return false;
  // link() fails when the item exists, so two writers adding at once cannot both succeed.
  bool ok = ::link(temp->c_str(), path->c_str()) == 0;
  // Once moved, the temporary name is free for another add's temporary file: not ours to remove.
  if (!ok && files::lacksHardLinks(errno) && moveInWhereNothingIs(dir, *temp, *path)) return true;
  ::unlink(temp->c_str());
  return ok;
}

bool SecretStore::update(const std::string& description, const std::string& data) {
  auto path = itemPath(description);
  std::string dir = folder();
  if (!path || !files::exists(*path) || files::isDirectory(*path)) return false;
  auto temp = writeTemporary(dir, data);
  if (!temp) return false;
  bool ok = ::rename(temp->c_str(), path->c_str()) == 0;
  if (!ok) ::unlink(temp->c_str());
  return ok;
}

bool SecretStore::remove(const std::string& description) {
  auto path = itemPath(description);
  if (!path) return true;
  return ::unlink(path->c_str()) == 0 || errno == ENOENT;
}

}  // namespace plat
