// The real vocab-standin's sync-down archives: each lies at an address that only its own
// account's reply names, which nobody can guess from another, and is served once; the account's
// next sync down replaces it.
#include <regex>
#include <set>
#include <string>

#include "tests/server/StandInProgram.h"

namespace servertest {
namespace {

constexpr const char* kPassword = "secret12";

class SyncArchiveProgramTest : public StandInProgramTest {
 protected:
  WireReply send(const standin::Request& request) { return exchange(port(), request); }
  void signUpWithBackup(const std::string& name, const std::string& dump) {
    auto params = signedParams(name, kPassword);
    params.emplace_back("study_count", "0");
    ASSERT_NE(send(get("account_register.php", params)).body.find("\"result\":1"),
              std::string::npos);
    ASSERT_NE(send(fullUpload(name, kPassword, dump)).body.find("\"result\":1"), std::string::npos);
  }
  std::string syncDown(const std::string& name) {
    return archivePath(send(post("synchronize_all_down.php", signedParams(name, kPassword))).body);
  }
  // The dump at `path`, or the status that answered instead.
  std::string fetched(const std::string& path) {
    const WireReply reply = send({"GET", path, {}, ""});
    if (reply.status != 200) return "status " + std::to_string(reply.status);
    const auto entries = standin::unzipEntries(reply.body);
    return entries.size() == 1 ? entries.front().second : "no archive";
  }
};

TEST_F(SyncArchiveProgramTest, AnArchiveIsReadOnlyAtTheAddressItsOwnAccountWasGivenAndOnce) {
  ASSERT_GT(serve(), 0) << printed();
  const std::string annDump = "Study_List\t1\n457\t818317400\n";
  const std::string benDump = "Study_List\t1\n458\t818317400\n";
  signUpWithBackup("ann", annDump);
  signUpWithBackup("ben", benDump);

  const std::string ann = syncDown("ann"), ben = syncDown("ben");
  const std::regex address("/files/[0-9a-f]{32}/backup_alldata\\.zip");
  ASSERT_TRUE(std::regex_match(ann, address)) << ann;
  ASSERT_TRUE(std::regex_match(ben, address)) << ben;
  // Neither the counting addresses of before nor a neighbour of a real one lead anywhere.
  for (int n = 0; n <= 40; ++n)
    EXPECT_EQ(fetched("/files/" + std::to_string(n) + "/backup_alldata.zip"), "status 404") << n;
  std::string neighbour = ann;
  neighbour[7] = neighbour[7] == '0' ? '1' : '0';
  EXPECT_EQ(fetched(neighbour), "status 404");
  EXPECT_EQ(fetched("/files/"), "status 404");

  EXPECT_EQ(fetched(ann), annDump);
  EXPECT_EQ(fetched(ann), "status 404") << "served once";

  // A second sync down replaces the first archive, fetched or not.
  const std::string benAgain = syncDown("ben");
  EXPECT_NE(benAgain, ben);
  EXPECT_EQ(fetched(ben), "status 404");
  EXPECT_EQ(fetched(benAgain), benDump);

  // Many sync downs of one account: every address new, and only the last one leads anywhere.
  std::set<std::string> addresses;
  std::string last;
  for (int i = 0; i < 300; ++i) addresses.insert(last = syncDown("ann"));
  EXPECT_EQ(addresses.size(), 300u);
  EXPECT_EQ(fetched(*addresses.begin() == last ? *addresses.rbegin() : *addresses.begin()),
            "status 404");
  EXPECT_EQ(fetched(last), annDump);
}

// A client may ask what lies at an address (HEAD) before it fetches it: it is told what the fetch
// would bring, without the body, and takes nothing away, from an archive or from a script.
TEST_F(SyncArchiveProgramTest, AHeadIsAnsweredAsTheFetchWouldBeAndUsesNothingUp) {
  ASSERT_GT(serve(), 0) << printed();
  const std::string dump = "Study_List\t1\n457\t818317400\n";
  signUpWithBackup("ann", dump);
  // Status, Content-Length and whatever came after the head.
  auto head = [&](const std::string& target) {
    const std::string text =
        testsupport::exchangeOnLoopback(port(), wire({"HEAD", target, {}, ""}));
    const size_t length = text.find("Content-Length: "), end = text.find("\r\n\r\n");
    if (text.rfind("HTTP/1.1 ", 0) != 0 || length == std::string::npos || end == std::string::npos)
      return std::string("no reply: ") + text;
    return text.substr(9, 3) + " " + std::to_string(std::stoul(text.substr(length + 16))) + " [" +
           text.substr(end + 4) + "]";
  };

  const std::string path = syncDown("ann");
  const std::string looked = head(path), again = head(path);
  const WireReply archive = send({"GET", path, {}, ""});
  EXPECT_EQ(looked, "200 " + std::to_string(archive.body.size()) + " []");
  EXPECT_EQ(again, looked);
  EXPECT_EQ(fetched(path), "status 404") << "served once, to the GET";
  const auto entries = standin::unzipEntries(archive.body);
  EXPECT_TRUE(entries.size() == 1 && entries.front().second == dump) << "fetched after the HEADs";
  EXPECT_EQ(head(path), "404 14 []");

  auto signIn = get("sign_in.php", signedParams("ann", kPassword));
  const std::string lookedAtSignIn = head(signIn.target);
  const WireReply signedIn = send(signIn);
  EXPECT_EQ(lookedAtSignIn, "200 " + std::to_string(signedIn.body.size()) + " []");
  EXPECT_FALSE(has(signedIn.body, "今天已经签到过了")) << signedIn.body;
}

}  // namespace
}  // namespace servertest
