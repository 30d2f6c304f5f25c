#include "platform/base/Files.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plat::files {
namespace fs = std::filesystem;

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<uint64_t> fileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

namespace {
double toSeconds(const struct timespec& ts) {
  return ts.tv_sec + ts.tv_nsec / 1e9;
}
}  // namespace

std::optional<double> creationDate(const std::string& path) {
  struct statx stx;
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_CTIME, &stx) != 0) return std::nullopt;
  if (stx.stx_mask & STATX_BTIME) return stx.stx_btime.tv_sec + stx.stx_btime.tv_nsec / 1e9;
  return stx.stx_ctime.tv_sec + stx.stx_ctime.tv_nsec / 1e9;
}

std::optional<double> modificationDate(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return toSeconds(st.st_mtim);
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return out.str();
}

bool writeAndClose(int fd, std::string_view data, bool syncToDisk) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  bool ok = done == data.size();
  if (ok && syncToDisk) ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

namespace {

// Writes `content` to a temporary file beside `path`, unique to this call, so that two threads
// writing one file never share one; its name, or nothing (and no file) when it cannot be written.
std::optional<std::string> writeTemporaryBeside(const std::string& path, const std::string& content,
                                                bool syncToDisk) {
  static std::atomic<unsigned> counter{0};
  std::string temp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::nullopt;
  if (!writeAndClose(fd, content, syncToDisk)) {
    ::unlink(temp.c_str());
    return std::nullopt;
  }
  return temp;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& content) {
  const std::optional<std::string> temp = writeTemporaryBeside(path, content, true);
  if (!temp) return false;
  if (std::rename(temp->c_str(), path.c_str()) == 0) return true;
  ::unlink(temp->c_str());
  return false;
}

namespace {

// What a file system that lacks the no-replace move answers to it, rather than a reason of its own
// (a network or FUSE file system: EINVAL for the flag, the others for the call).
bool lacksNoReplaceMove(int error) {
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// For a file system with neither: the name is claimed by an exclusive create, which any POSIX file
// system decides in one step, and the whole file then replaces the empty claim. A reader between
// the two sees an empty file.
bool claimThenReplace(const std::string& temp, const std::string& path) {
  const int claim = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (claim < 0) return false;
  struct stat claimed;
  const bool known = ::fstat(claim, &claimed) == 0;
  ::close(claim);
  if (std::rename(temp.c_str(), path.c_str()) == 0) return true;
  // Left in place, the empty claim would refuse every later save of the name; but what another
  // writer has put there since is not ours to remove.
  struct stat there;
  if (known && ::stat(path.c_str(), &there) == 0 && there.st_dev == claimed.st_dev &&
      there.st_ino == claimed.st_ino)
    ::unlink(path.c_str());
  return false;
}

}  // namespace

bool lacksHardLinks(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

bool writeNewFileAtomically(const std::string& path, const std::string& content, bool syncToDisk) {
  if (exists(path)) return false;
  const std::optional<std::string> temp = writeTemporaryBeside(path, content, syncToDisk);
  if (!temp) return false;
  // The check and the move are one step of the file system; where it lacks that move, a hard
  // link is refused over an existing name just the same, and where it lacks those too, the name
  // is claimed first.
  if (::renameat2(AT_FDCWD, temp->c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  bool kept = false;
  if (lacksNoReplaceMove(errno)) {
    kept = ::link(temp->c_str(), path.c_str()) == 0;
    // The claim's replace moves the temporary file into place.
    if (!kept && lacksHardLinks(errno) && claimThenReplace(*temp, path)) return true;
  }
  ::unlink(temp->c_str());
  return kept;
}

bool createDirectories(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return isDirectory(path);
}

bool copyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (exists(to)) return false;
  return fs::copy_file(from, to, fs::copy_options::none, ec) && !ec;
}

bool syncToDisk(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

bool moveFile(const std::string& from, const std::string& to) {
  if (exists(to) || !exists(from)) return false;
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  std::error_code ec;
  fs::copy(from, to, fs::copy_options::recursive, ec);
  if (ec) {
    fs::remove_all(to, ec);
    return false;
  }
  fs::remove_all(from, ec);
  return true;
}

bool remove(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
  return !exists(path);
}

std::vector<std::string> list(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string programPath() {
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  return n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
}

std::string lastPathComponent(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  auto slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string pathExtension(const std::string& path) {
  std::string last = lastPathComponent(path);
  auto dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0) return "";
  return last.substr(dot + 1);
}

std::string deletingPathExtension(const std::string& path) {
  std::string ext = pathExtension(path);
  return ext.empty() ? path : path.substr(0, path.size() - ext.size() - 1);
}

}  // namespace plat::files
