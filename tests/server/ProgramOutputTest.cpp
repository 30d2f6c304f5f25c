// What the real vocab-standin prints, on its log and in its errors, of what others gave it: a
// request's hundred-megabyte field is logged as a short line, at a memory cost of a few times the
// field, and every text from outside (a field, an account name, a path) is cut short and escaped.
#include <filesystem>
#include <string>

#include "server/Service.h"
#include "tests/server/StandInProgram.h"
#include "tests/support/LoopbackListener.h"

namespace servertest {
namespace {

// What a byte the program touches costs in resident memory: ThreadSanitizer keeps four bytes of
// shadow beside it.
#if defined(__SANITIZE_THREAD__)
constexpr size_t kTouchedCost = 5;
#else
constexpr size_t kTouchedCost = 1;
#endif

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
