#include "platform/host/DesktopURLOpener.h"

#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

#include "platform/base/RunLoop.h"

extern char** environ;

namespace plat {
namespace {

// How often a started program is looked at where the kernel cannot signal its end.
constexpr double kPollSeconds = 0.25;

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char c) {
           return std::tolower(static_cast<unsigned char>(c)) == lower;
         });
}

// Reaps `pid` when it has ended; true then, with a failure reported when it did not succeed.
bool reapIfEnded(pid_t pid, const std::string& url) {
  int status = 0;
  const pid_t done = waitpid(pid, &status, WNOHANG);
  if (done == 0) return false;
  if (done == pid && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    Application::shared().reportURLOpenFailure(url, URLOpenFailure::ProgramFailed);
  }
  return true;
}

void pollUntilEnded(pid_t pid, std::string url) {
  RunLoop::main().performAfter(kPollSeconds, nullptr, "url-opener", [pid, url] {
    if (!reapIfEnded(pid, url)) pollUntilEnded(pid, url);
  });
}

// Watches the started program on the main run loop: its process descriptor becomes readable
// when it ends.
void watch(pid_t pid, const std::string& url) {
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) {
    pollUntilEnded(pid, url);
    return;
  }
  auto source = std::make_shared<int>(-1);
  *source = RunLoop::main().addFdSource(fd, kFdReadable, [pid, url, fd, source](int, unsigned) {
    if (!reapIfEnded(pid, url)) return;
    RunLoop::main().removeFdSource(*source);
    close(fd);
  });
}

}  // namespace

DesktopURLOpener::DesktopURLOpener(std::string program) : program_(std::move(program)) {}

std::string DesktopURLOpener::desktopAddress(const std::string& url) {
  for (const char* scheme : {"http://", "https://", "mailto:"}) {
    if (startsWithNoCase(url, scheme) && url.size() > std::char_traits<char>::length(scheme)) {
      return url;
    }
  }
  if (startsWithNoCase(url, "www.") && url.size() > 4) return "http://" + url;
  return "";
}

bool DesktopURLOpener::canOpen(const std::string& url) const {
  return !desktopAddress(url).empty();
}

bool DesktopURLOpener::open(const std::string& url) {
  const std::string address = desktopAddress(url);
  if (address.empty()) {
    Application::shared().reportURLOpenFailure(url, URLOpenFailure::UnsupportedAddress);
    return false;
  }
  std::string program = program_;
  std::string argument = address;
  char* argv[] = {program.data(), argument.data(), nullptr};
  // The program and whatever it starts (a browser that stays) get none of our descriptors: the
  // study database and connections stay ours alone.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    Application::shared().reportURLOpenFailure(
        url, error == ENOENT ? URLOpenFailure::NoProgram : URLOpenFailure::ProgramFailed);
    return false;
  }
  watch(pid, url);
  return true;
}

}  // namespace plat
