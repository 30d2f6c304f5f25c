#include "tests/support/OutsidePeer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "tests/support/Patience.h"

extern char** environ;

namespace testsupport {

OutsidePeer::OutsidePeer(const std::vector<std::string>& argv) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return;
  if (pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, out[1], 2);
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  input_ = in[1];
  output_ = out[0];
  fcntl(output_, F_SETFL, O_NONBLOCK);
}

OutsidePeer::~OutsidePeer() {
  if (input_ >= 0) ::close(input_);
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (output_ >= 0) ::close(output_);
}

void OutsidePeer::readSome(int timeoutMs) {
  pollfd p{output_, POLLIN, 0};
  if (output_ < 0 || ::poll(&p, 1, timeoutMs) <= 0) return;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(output_, buffer, sizeof buffer)) > 0) text_.append(buffer, n);
  if (n == 0) ended_ = true;  // every writer has closed: the program has ended
}

std::string OutsidePeer::waitForLine(const std::string& marker) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kPatience);
  while (std::chrono::steady_clock::now() < end) {
    size_t at = text_.find(marker);
    if (at != std::string::npos) {
      size_t begin = text_.rfind('\n', at);
      begin = begin == std::string::npos ? 0 : begin + 1;
      return text_.substr(begin, text_.find('\n', at) - begin);
    }
    if (ended_ || output_ < 0) break;
    readSome(50);
  }
  return "";
}

const std::string& OutsidePeer::output() {
  readSome(0);
  return text_;
}

void OutsidePeer::send(const std::string& text) {
  if (input_ >= 0) (void)!::write(input_, text.data(), text.size());
}

int OutsidePeer::finish() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
  int status = -1;
  if (pid_ > 0) waitpid(pid_, &status, 0);
  pid_ = -1;
  return status;
}

uint16_t OutsidePeer::portAtEnd(const std::string& line) {
  size_t colon = line.rfind(':');
  return colon == std::string::npos ? 0
                                    : static_cast<uint16_t>(std::atoi(line.c_str() + colon + 1));
}

bool OutsidePeer::hasIPv6Loopback() {
  int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in6 address{};
  address.sin6_family = AF_INET6;
  address.sin6_addr = in6addr_loopback;
  bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return bound;
}

}  // namespace testsupport
