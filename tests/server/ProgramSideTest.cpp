// The server program's own side: the arguments it refuses and the log it writes of each
// exchange, also from several connections' threads at once.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "server/CommandLine.h"
#include "server/Echo.h"
#include "server/ExchangeLog.h"

namespace servertest {
namespace {

using standin::CommandLine;

TEST(CommandLine, ReadsWhatItIsAskedAndRefusesPortsAndPasswordsThatAreNot) {
  CommandLine line = CommandLine::parse(
      {"--data", "/tmp/d", "--port", "0", "--library", "learn.db", "--store-version", "9.0"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.port, 0);
  EXPECT_EQ(line.library, "learn.db");
  EXPECT_EQ(CommandLine::parse({"--data", "/tmp/d"}).port, 8080);
  EXPECT_EQ(CommandLine::parse({"--data", "d", "--port", "65535"}).port, 65535);

  // An empty or blank port once read as 0, a free port, where the app waits on another.
  for (const char* port : {"", " ", " 80", "80 ", "+80", "-1", "65536", "8o8o", "0000080"}) {
    const std::string error = CommandLine::parse({"--data", "d", "--port", port}).error;
    EXPECT_NE(error.find("--port takes a number from 0 to 65535"), std::string::npos) << port;
    EXPECT_NE(error.find("\"" + std::string(port) + "\""), std::string::npos) << "names it";
  }
  // The value is repeated with its control characters escaped, not acted on by the terminal.
  EXPECT_EQ(CommandLine::parse({"--data", "d", "--port", "80\x1b[2J\x1b]0;x\x07"}).error,
            "vocab-standin: --port takes a number from 0 to 65535 (0 for a free port), not "
            "\"80\\e[2J\\e]0;x\\x07\"\n");
  EXPECT_EQ(CommandLine::parse({"--data", "d", "--set-password", "lin", ""}).error,
            "vocab-standin: --set-password needs a password that is not empty\n");
  line = CommandLine::parse({"--data", "d", "--set-password", "lin", " secret "});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.newPassword->second, " secret ") << "kept as the login window would send it";

  EXPECT_EQ(CommandLine::parse({}).error, standin::kUsage);
  EXPECT_EQ(CommandLine::parse({"--data"}).error, standin::kUsage);
  EXPECT_EQ(CommandLine::parse({"--data", "d", "--set-password", "lin"}).error, standin::kUsage);
  EXPECT_EQ(CommandLine::parse({"--data", "d", "--verbose"}).error, standin::kUsage);
}

TEST(ExchangeLog, OneLineAnExchangeWithItsTimeAndOneForEachOfTheRepliesOwn) {
  standin::Request request{"GET", "/api/get_user_message.php?account=lin&page=1", {}, ""};
  standin::Reply reply = standin::Reply::json("{\"result\":1}");
  reply.log = {"record 1", "record 2"};
  std::tm noon{};
  noon.tm_year = 2026 - 1900;
  noon.tm_mon = 11;
  noon.tm_mday = 7;
  noon.tm_hour = 12;
  noon.tm_isdst = -1;
  const std::time_t when = std::mktime(&noon);
  EXPECT_EQ(
      standin::exchangeLogText(request, standin::Form::of(request), reply, when),
      "2026-12-07 12:00:00 GET /api/get_user_message.php account=lin page=1 -> 200 (12 bytes)\n"
      "2026-12-07 12:00:00 record 1\n"
      "2026-12-07 12:00:00 record 2\n");

  // A client's text cannot reach the terminal as control characters, nor start a line of its own.
  standin::Request sly{"GET", "/api/x.php?account=lin%1b%5b2J%0d%0afake&page=1%07", {}, ""};
  standin::Reply told = standin::Reply::json("{}");
  told.log = {"note \x1b[31mred"};
  EXPECT_EQ(standin::exchangeLogText(sly, standin::Form::of(sly), told, when),
            "2026-12-07 12:00:00 GET /api/x.php account=lin\\e[2J\\r\\nfake page=1\\x07 -> 200 "
            "(2 bytes)\n"
            "2026-12-07 12:00:00 note \\e[31mred\n");

  // Connections log from threads of their own; each line keeps its own time.
  const standin::Request plain{"POST", "/app_logs", {}, ""};
  const standin::Reply empty = standin::Reply::text("");
  std::vector<std::string> seen(2);
  std::vector<std::thread> connections;
  for (size_t i = 0; i < seen.size(); ++i)
    connections.emplace_back([&, i] {
      for (int n = 0; n < 200; ++n)
        seen[i] = standin::exchangeLogText(plain, standin::Form::of(plain), empty,
                                           when + static_cast<long>(i) * 86400);
    });
  for (std::thread& connection : connections) connection.join();
  EXPECT_EQ(seen[0], "2026-12-07 12:00:00 POST /app_logs -> 200 (0 bytes)\n");
  EXPECT_EQ(seen[1], "2026-12-08 12:00:00 POST /app_logs -> 200 (0 bytes)\n");
}

TEST(Echo, TextFromOutsideIsCutAtACharacterAndSaysSoThenEscaped) {
  EXPECT_EQ(standin::shortened("abcdef", 6), "abcdef");
  EXPECT_EQ(standin::shortened("abcdefg", 6), "abcdef... (cut from 7 bytes)");
  // 你 and 好 take three bytes each: a character is never split.
  EXPECT_EQ(standin::shortened("你好", 4), "你... (cut from 6 bytes)");
  EXPECT_EQ(standin::shortened("你好", 2), "... (cut from 6 bytes)");
  // Bytes that are not UTF-8 move the cut back no further than a character could reach.
  EXPECT_EQ(standin::shortened(std::string(10, '\x80'), 6),
            std::string(3, '\x80') + "... (cut from 10 bytes)");
  // Cut first, then escaped: the length is the text's own, the line a few hundred escapes.
  EXPECT_EQ(standin::echoed(std::string(1000, '\x1b')), [] {
    std::string escapes;
    for (int i = 0; i < 300; ++i) escapes += "\\e";
    return escapes;
  }() + "... (cut from 1000 bytes)");
  EXPECT_EQ(standin::echoed("a\x1b[2Jb\n"), "a\\e[2Jb\\n");
}

TEST(ExchangeLog, ALongValueIsCutBeforeItIsEscaped) {
  const std::string body =
      "account=" + std::string(5000, '\x07') + "&page=" + std::string(400, '9');
  const standin::Request login{"POST",
                               "/api/account_login.php",
                               {{"Content-Type", "application/x-www-form-urlencoded"}},
                               body};
  const std::string text =
      standin::exchangeLogText(login, standin::Form::of(login), standin::Reply::json("{}"), 0);
  std::string bells;
  for (int i = 0; i < 300; ++i) bells += "\\x07";
  EXPECT_NE(text.find(" POST /api/account_login.php account=" + bells +
                      "... (cut from 5000 bytes) page=" + std::string(300, '9') +
                      "... (cut from 400 bytes) -> 200 (2 bytes)\n"),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace servertest
