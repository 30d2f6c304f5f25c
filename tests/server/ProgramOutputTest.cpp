// What the real vocab-standin prints, on its log and in its errors, of what others gave it: a
// request's hundred-megabyte field is logged as a short line, at a memory cost of a few times the
// field, and every text from outside (a field, an account name, a path) is cut short and escaped.
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

#include "server/Service.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/TempHome.h"

extern char** environ;

namespace servertest {
namespace {

constexpr size_t kMiB = 1024 * 1024;

// What a byte the program touches costs in resident memory: ThreadSanitizer keeps four bytes of
// shadow beside it.
#if defined(__SANITIZE_THREAD__)
constexpr size_t kTouchedCost = 5;
#else
constexpr size_t kTouchedCost = 1;
#endif

std::string fileText(const std::string& path) {
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
    std::vector<std::string> command = {VOCAB_STANDIN, "--data", folder_};
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

  // Starts the server on a free port; its port, or 0 when it did not start.
  int serve() {
    std::filesystem::create_directories(folder_);
    pid_ = spawn({"--port", "0"});
    const std::string serving = "serving http://127.0.0.1:";
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (printed().find(serving) == std::string::npos) {
      if (std::chrono::steady_clock::now() > until || ::waitpid(pid_, nullptr, WNOHANG) != 0)
        return 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::string text = printed();
    port_ = std::stoi(text.substr(text.find(serving) + serving.size()));
    return port_;
  }
  int port() const { return port_; }
  void stop() {
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

  std::string home_;
  std::string folder_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// A login posted as a form of `body`.
std::string loginPost(const std::string& body) {
  return "POST /api/account_login.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\nConnection: close\r\n"
         "Content-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST_F(StandInProgramTest, AHundredMegabyteFieldIsLoggedShortAndCostsLittleMoreThanItself) {
  ASSERT_GT(serve(), 0) << printed();
  // Control characters, each escaped as four: logged whole, the field made a line of 400 MiB.
  const std::string form =
      "account=" + std::string(100 * kMiB, '\x01') + "&password=x&page=2%1b%5b2J";
  const size_t before = peakMemory();
  const std::string reply = testsupport::exchangeOnLoopback(port(), loginPost(form));
  const size_t answered = peakMemory() - before;
  EXPECT_EQ(reply.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << reply.substr(0, 200);
  EXPECT_NE(reply.find("\"result\":0"), std::string::npos) << "no such account";
  // Received, read as a form once for the script and the log, and looked up: about three times
  // the field. Logged whole, it cost ten times the field and more.
  EXPECT_LT(answered, 5 * kTouchedCost * 100 * kMiB) << answered / kMiB << " MiB";

  const std::string log = printed();
  const size_t line = log.find(" POST /api/account_login.php ");
  ASSERT_NE(line, std::string::npos) << log.substr(0, 2000);
  const std::string logged = log.substr(line, log.find('\n', line) - line);
  EXPECT_LT(logged.size(), 2000u);
  std::string start;
  for (int i = 0; i < 300; ++i) start += "\\x01";
  EXPECT_NE(logged.find(" account=" + start + "... (cut from 104857600 bytes) page=2\\e[2J -> 200"),
            std::string::npos)
      << logged.substr(0, 2000);
}

TEST_F(StandInProgramTest, TextFromOutsideIsCutShortAndEscapedInEveryMessage) {
  // A data folder whose name holds escape sequences, with an account whose file cannot be written
  // (a folder stands where it goes): the failure names the folder escaped.
  folder_ = home_ + "/data\x1b]0;owned\x07\x1b[2J";
  {
    standin::Options options;
    options.dataFolder = folder_;
    standin::Service service(options);
    ASSERT_EQ(service.load(), "");
    service.withState(
        [](standin::State& state) { state.addAccount("lin", standin::md5Hex("secret12")); });
    ASSERT_EQ(service.save(), "");
  }
  std::filesystem::create_directory(folder_ + "/accounts.tsv.tmp");
  EXPECT_EQ(runOnce({"--set-password", "lin", "new-secret"}), 1);
  EXPECT_EQ(printed(), "vocab-standin: cannot write the new password: cannot write " + home_ +
                           "/data\\e]0;owned\\x07\\e[2J/accounts.tsv.tmp: Is a directory\n");

  // An account name as long as the command line allows, each byte escaped as two characters.
  const std::string name = "\x1b" + std::string(100000, '\x1b');
  EXPECT_EQ(runOnce({"--set-password", name, "new-secret"}), 1);
  std::string escapes;
  for (int i = 0; i < 300; ++i) escapes += "\\e";
  EXPECT_EQ(printed(), "vocab-standin: no account " + escapes + "... (cut from 100001 bytes)\n");

  std::filesystem::remove(folder_ + "/accounts.tsv.tmp");
  ASSERT_GT(serve(), 0) << printed();
  EXPECT_NE(printed().find("with its data in " + home_ + "/data\\e]0;owned\\x07\\e[2J\n"),
            std::string::npos)
      << printed();
  // A path of 64 KiB in the request line.
  const std::string path = "/api/" + std::string(60000, 'p');
  EXPECT_NE(testsupport::exchangeOnLoopback(
                port(), "GET " + path + " HTTP/1.1\r\nConnection: close\r\n\r\n")
                .find(" 404 "),
            std::string::npos);
  const std::string log = printed();
  EXPECT_NE(log.find(" GET " + path.substr(0, 300) + "... (cut from 60005 bytes) -> 404"),
            std::string::npos)
      << log.substr(0, 1000);
  EXPECT_LT(log.size(), 2000u);
}

}  // namespace
}  // namespace servertest
