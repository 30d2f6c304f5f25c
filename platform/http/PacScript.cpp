#include "platform/http/PacScript.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "platform/http/HeaderMap.h"

extern char** environ;

namespace plat::http {
namespace {

constexpr const char* kEvaluatorName = "vocab-pac";
constexpr size_t kMaxAnswerBytes = 64 * 1024;

std::string trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// What the script is shown of the request URL: never the user and password, and of a secure URL
// no more than its origin, since the path may hold private data.
std::string urlShownToScript(const Url& url) {
  const std::string origin = url.scheme() + "://" + url.hostHeader();
  return url.isSecure() ? origin + "/" : origin + url.requestTarget();
}

// One run of the evaluator program: its input (URL, host, script) is written and its answer read
// through one socket, without blocking, so the caller may wait on a poll or a run loop.
class PacEvaluation {
 public:
  static std::unique_ptr<PacEvaluation> start(const std::string& script, const Url& url,
                                              std::string* error) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
      *error = "no socket for the script's evaluator";
      return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pair[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const std::string path = pacEvaluatorPath();
    char* argv[] = {const_cast<char*>(kEvaluatorName), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pair[1]);
    if (failed != 0) {
      close(pair[0]);
      *error = "the script's evaluator could not be started";
      return nullptr;
    }
    fcntl(pair[0], F_SETFL, fcntl(pair[0], F_GETFL) | O_NONBLOCK);
    std::unique_ptr<PacEvaluation> run(new PacEvaluation(pid, pair[0]));
    run->input_ = urlShownToScript(url) + "\n" + url.host() + "\n" + script;
    return run;
  }

  ~PacEvaluation() {
    close(fd_);
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      reap();
    }
  }

  int fd() const { return fd_; }
  bool writing() const { return written_ < input_.size(); }

  // Writes and reads what can be moved now; true once the answer has ended.
  bool pump() {
    while (writing()) {
      const ssize_t n = send(fd_, input_.data() + written_, input_.size() - written_, MSG_NOSIGNAL);
      if (n > 0) {
        written_ += static_cast<size_t>(n);
        if (!writing()) shutdown(fd_, SHUT_WR);
      } else if (errno == EINTR) {
        continue;
      } else if (errno == EAGAIN) {
        return false;
      } else {
        input_.clear();  // the evaluator went away: read what it said
        written_ = 0;
      }
    }
    for (;;) {
      char buffer[4096];
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n > 0) {
        output_.append(buffer, static_cast<size_t>(n));
        if (output_.size() > kMaxAnswerBytes) return overlong_ = true;
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        return n == 0 || errno != EAGAIN;
      }
    }
  }

  // After pump() said the answer ended: the answer, or nullopt and *error.
  std::optional<std::string> result(std::string* error) {
    if (overlong_) kill(pid_, SIGKILL);
    const int status = reap();
    if (overlong_) {
      *error = "the script's answer is too long";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      *error = "the script's evaluator failed";
    } else if (!output_.empty() && output_[0] == '\x01') {
      *error = output_.substr(1);
    } else {
      return output_;
    }
    return std::nullopt;
  }

 private:
  PacEvaluation(pid_t pid, int fd) : pid_(pid), fd_(fd) {}

  int reap() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return status;
  }

  pid_t pid_;
  int fd_;
  std::string input_, output_;
  size_t written_ = 0;
  bool overlong_ = false;
};

const char* const kTimedOut = "the script ran past its time limit";

// A run on a run loop: the descriptor source and the deadline, both gone with it.
struct AsyncRun {
  std::unique_ptr<PacEvaluation> evaluation;
  RunLoop* loop = nullptr;
  int source = -1;
  std::shared_ptr<Timer> deadline;
  PacDone done;

  ~AsyncRun() { stop(); }
  void stop() {
    if (source >= 0) loop->removeFdSource(source);
    source = -1;
    if (deadline) deadline->invalidate();
    deadline.reset();
  }
  void finish(std::optional<std::string> answer, const std::string& error) {
    stop();
    evaluation.reset();
    if (auto call = std::move(done)) call(std::move(answer), error);
  }
};

}  // namespace

std::string pacEvaluatorPath() {
  const std::string program = files::programPath();
  if (!program.empty()) {
    const std::string beside = program.substr(0, program.rfind('/') + 1) + kEvaluatorName;
    if (access(beside.c_str(), X_OK) == 0) return beside;
  }
  return VOCAB_PAC_EVALUATOR;
}

std::optional<std::string> evaluatePacScript(const std::string& script, const Url& url,
                                             double timeLimitSeconds, std::string* error) {
  std::string reason;
  std::optional<std::string> answer;
  auto run = PacEvaluation::start(script, url, &reason);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<long>(timeLimitSeconds * 1000));
  while (run) {
    if (run->pump()) {
      answer = run->result(&reason);
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      reason = kTimedOut;
      break;
    }
    pollfd ready{run->fd(), static_cast<short>(run->writing() ? POLLOUT : POLLIN), 0};
    poll(&ready, 1, static_cast<int>(left));
  }
  if (!answer && error) *error = reason;
  return answer;
}

std::shared_ptr<void> evaluatePacScriptAsync(const std::string& script, const Url& url,
                                             double timeLimitSeconds, const std::string& mode,
                                             PacDone done) {
  auto run = std::make_shared<AsyncRun>();
  run->loop = &RunLoop::current();
  run->done = std::move(done);
  std::string reason;
  run->evaluation = PacEvaluation::start(script, url, &reason);
  if (!run->evaluation) {
    std::weak_ptr<AsyncRun> weak = run;
    run->loop->perform(
        [weak, reason] {
          if (auto alive = weak.lock()) alive->finish(std::nullopt, reason);
        },
        mode);
    return run;
  }
  std::weak_ptr<AsyncRun> weak = run;
  auto step = [weak](int, unsigned) {
    auto alive = weak.lock();
    if (!alive || !alive->evaluation) return;
    PacEvaluation& evaluation = *alive->evaluation;
    if (evaluation.pump()) {
      std::string error;
      auto answer = evaluation.result(&error);
      alive->finish(std::move(answer), error);
    } else if (!evaluation.writing()) {
      alive->loop->updateFdSource(alive->source, kFdReadable);
    }
  };
  run->source = run->loop->addFdSource(run->evaluation->fd(), kFdWritable, step, mode);
  run->deadline = Timer::scheduled(
      timeLimitSeconds, false,
      [weak](Timer&) {
        if (auto alive = weak.lock()) alive->finish(std::nullopt, kTimedOut);
      },
      mode);
  return run;
}

std::vector<PacChoice> parsePacAnswer(const std::string& answer) {
  std::vector<PacChoice> choices;
  size_t start = 0;
  while (start <= answer.size()) {
    size_t semicolon = answer.find(';', start);
    const std::string entry = trim(answer.substr(
        start, semicolon == std::string::npos ? std::string::npos : semicolon - start));
    const size_t space = entry.find_first_of(" \t");
    const std::string keyword = lowercased(entry.substr(0, space));
    const std::string where = space == std::string::npos ? "" : trim(entry.substr(space));
    if (keyword == "direct") {
      choices.emplace_back(std::nullopt);
    } else if (!where.empty() && (keyword == "proxy" || keyword == "http" || keyword == "https" ||
                                  keyword.rfind("socks", 0) == 0)) {
      const bool socks = keyword.rfind("socks", 0) == 0;
      if (auto proxy = parseProxySetting((socks ? "socks://" : "http://") + where))
        choices.emplace_back(*proxy);
    }
    if (semicolon == std::string::npos) break;
    start = semicolon + 1;
  }
  return choices;
}

}  // namespace plat::http
