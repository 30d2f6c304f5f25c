// The real vocab-standin run by a test: started on a free port of 127.0.0.1 with a data folder
// of the test, its output (both streams) in a file, stopped as a user stops it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "server/Archive.h"
#include "tests/server/ServerFixture.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"

extern char** environ;

namespace servertest {

inline constexpr size_t kMiB = 1024 * 1024;

inline std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The program with `args` after --data FOLDER, its output (both streams) in a file of the test.
class StandInProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = testsupport::makeTempDir("vocab-standin-program");
    folder_ = home_ + "/data";
  }
  void TearDown() override {
    if (pid_ > 0) stop();
    std::filesystem::remove_all(home_);
  }

  pid_t spawn(const std::vector<std::string>& args) {
    std::vector<std::string> command = {program_, "--data", folder_};
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : command) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output().c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }

  // Runs the program to its end; its exit status.
  int runOnce(const std::vector<std::string>& args) {
    const pid_t pid = spawn(args);
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  // Starts the server on a free port; its port, or 0 when it did not start. It reads what the
  // data folder holds before it names its port, which a busy machine may make take long: the wait
  // ends early only when the program has ended.
  int serve() {
    std::filesystem::create_directories(folder_);
    pid_ = spawn({"--port", "0"});
    const std::string serving = "serving http://127.0.0.1:";
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(testsupport::kPatience));
    while (printed().find(serving) == std::string::npos) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) != 0) {
        ADD_FAILURE() << "the stand-in ended before it named its port, status " << status;
        pid_ = -1;
        return 0;
      }
      if (std::chrono::steady_clock::now() > until) {
        ADD_FAILURE() << "the stand-in named no port in " << testsupport::kPatience << " s";
        return 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::string text = printed();
    port_ = std::stoi(text.substr(text.find(serving) + serving.size()));
    return port_;
  }
  int port() const { return port_; }
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // The server's peak resident memory so far, in bytes.
  size_t peakMemory() const {
    const std::string status = fileText("/proc/" + std::to_string(pid_) + "/status");
    const size_t at = status.find("VmHWM:");
    return at == std::string::npos ? 0 : std::stoul(status.substr(at + 6)) * 1024;
  }

  std::string output() const { return home_ + "/output.log"; }
  std::string printed() const { return fileText(output()); }

  std::string program_ = VOCAB_STANDIN;  // a test of the allocator runs VOCAB_STANDIN_PLAIN
  std::string home_;
  std::string folder_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// A request on the wire, closing its connection after the reply.
inline std::string wire(const standin::Request& request) {
  std::string out = request.method + " " + request.target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  for (const auto& [name, value] : request.headers) out += name + ": " + value + "\r\n";
  return out + "Connection: close\r\nContent-Length: " + std::to_string(request.body.size()) +
         "\r\n\r\n" + request.body;
}

// The script's parameters as a url-encoded form, for a value too long for a request line.
inline standin::Request post(const std::string& script,
                             const std::vector<std::pair<std::string, std::string>>& params) {
  const standin::Request query = get(script, params);
  const size_t mark = query.target.find('?');
  return {"POST",
          query.target.substr(0, mark),
          {{"Content-Type", "application/x-www-form-urlencoded"}},
          mark == std::string::npos ? "" : query.target.substr(mark + 1)};
}

// A backup as the app uploads it to `script`: a multipart form with the archive.
inline standin::Request uploadOf(const std::string& script, const std::string& account,
                                 const std::string& password, const std::string& archive,
                                 int64_t lastSynId = 0, const std::string& lexicon = "1.0") {
  const std::string boundary = "0xStandInTestBoundary";
  auto params = signedParams(account, password);
  params.emplace_back("nLastSynId", std::to_string(lastSynId));
  params.emplace_back("v_lexicon", lexicon);
  std::string body;
  for (const auto& [name, value] : params)
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
            value + "\r\n";
  body +=
      "--" + boundary +
      "\r\nContent-Disposition: form-data; name=\"syn_file\"; filename=\"backup_alldata.zip\"\r\n"
      "Content-Type: application/zip\r\n\r\n" +
      archive + "\r\n--" + boundary + "--\r\n";
  return {"POST",
          "/api/" + script,
          {{"Content-Type", "multipart/form-data; boundary=" + boundary}},
          body};
}

// A full backup of `dump` as the app uploads it.
inline standin::Request fullUpload(const std::string& account, const std::string& password,
                                   const std::string& dump) {
  return uploadOf("synchronize_all_up.php", account, password,
                  standin::zipOneEntry("backup_alldata.scv", dump));
}

// A reply as the program sent it: status and body.
struct WireReply {
  int status = 0;
  std::string body;
};

inline WireReply exchange(int port, const standin::Request& request) {
  const std::string text = testsupport::exchangeOnLoopback(port, wire(request));
  WireReply reply;
  if (text.rfind("HTTP/1.1 ", 0) == 0) reply.status = std::stoi(text.substr(9, 3));
  const size_t head = text.find("\r\n\r\n");
  if (head != std::string::npos) reply.body = text.substr(head + 4);
  return reply;
}

// The path of the archive a sync-down reply names ("/files/..."), "" when it names none.
inline std::string archivePath(const std::string& replyBody) {
  const std::string key = "\"syn_file\":\"http://127.0.0.1:";
  const size_t at = replyBody.find(key);
  if (at == std::string::npos) return "";
  const size_t path = replyBody.find('/', at + key.size());
  return replyBody.substr(path, replyBody.find('"', path) - path);
}

}  // namespace servertest
