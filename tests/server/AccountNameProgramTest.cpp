// The real vocab-standin with long account names and a backup it cannot write: a name over its
// bound is refused at registration, one within it backs up under a short file name, and neither
// a long name nor one account's unwritable backup keeps the server from answering and keeping
// every other account across a restart.
#include <filesystem>
#include <string>

#include "tests/server/StandInProgram.h"

namespace servertest {
namespace {

constexpr const char* kPassword = "secret12";
const std::string kTooLong = "\"result\":0,\"msg\":\"账号太长，最多64个字符\"";

class AccountNameProgramTest : public StandInProgramTest {
 protected:
  WireReply send(const standin::Request& request) { return exchange(port(), request); }
  WireReply signUp(const std::string& name) {
    auto params = signedParams(name, kPassword);
    params.emplace_back("study_count", "0");
    return send(post("account_register.php", params));
  }
  WireReply logIn(const std::string& name) {
    return send(get("account_login.php", signedParams(name, kPassword)));
  }
  // The dump the account's sync down brings, "" when none.
  std::string restored(const std::string& name) {
    const WireReply reply = send(post("synchronize_all_down.php", signedParams(name, kPassword)));
    const std::string path = archivePath(reply.body);
    if (path.empty()) return "";
    const auto entries = standin::unzipEntries(send({"GET", path, {}, ""}).body);
    return entries.size() == 1 ? entries.front().second : "";
  }
};

TEST_F(AccountNameProgramTest, LongNamesLeaveEveryOtherAccountRegisteringAndKept) {
  ASSERT_GT(serve(), 0) << printed();
  const std::string chinese = repeated("学", 28);  // 84 bytes: 257 once escaped for a file name
  const std::string ascii300(300, 'n');
  const std::string megabyte(kMiB, 'm');
  const std::string dump = "Study_List\t1\n457\t818317400\n";

  ASSERT_TRUE(has(signUp("early").body, "\"result\":1")) << printed();
  ASSERT_TRUE(has(signUp(chinese).body, "\"result\":1")) << "within the bound";
  const WireReply backedUp = send(fullUpload(chinese, kPassword, dump));
  EXPECT_EQ(backedUp.status, 200) << backedUp.body;
  EXPECT_TRUE(has(backedUp.body, "\"msg\":\"备份成功\"")) << backedUp.body;
  for (const std::string* name : {&ascii300, &megabyte}) {
    const WireReply refused = signUp(*name);
    EXPECT_EQ(refused.status, 200);
    EXPECT_TRUE(has(refused.body, kTooLong)) << refused.body.substr(0, 300);
    EXPECT_FALSE(has(logIn(*name).body, "\"result\":1")) << "no account was made";
  }
  EXPECT_TRUE(has(signUp("late").body, "\"result\":1"));
  EXPECT_EQ(send(fullUpload("early", kPassword, dump)).status, 200);
  for (const char* name : {"early", "late"})
    EXPECT_TRUE(has(logIn(name).body, "\"result\":1")) << name;

  // Nothing the refused names brought is kept, and the long name's backup has a short file.
  EXPECT_LT(std::filesystem::file_size(folder_ + "/accounts.tsv"), 4096u);
  for (const auto& entry : std::filesystem::directory_iterator(folder_ + "/backups"))
    EXPECT_LE(entry.path().filename().string().size(), 251u) << entry.path();

  stop();
  ASSERT_GT(serve(), 0) << printed();
  for (const std::string& name : {std::string("early"), std::string("late"), chinese})
    EXPECT_TRUE(has(logIn(name).body, "\"result\":1")) << name;
  EXPECT_EQ(restored(chinese), dump);
  EXPECT_EQ(restored("early"), dump);
}

TEST_F(AccountNameProgramTest, ABackupThatCannotBeWrittenStopsOnlyItsOwnUpload) {
  ASSERT_GT(serve(), 0) << printed();
  const std::string kept = "Study_List\t1\n457\t818317400\n";
  const std::string lost = "Study_List\t1\n458\t818317400\n";
  ASSERT_TRUE(has(signUp("blocked").body, "\"result\":1"));
  ASSERT_TRUE(has(signUp("other").body, "\"result\":1"));
  ASSERT_TRUE(has(send(fullUpload("blocked", kPassword, kept)).body, "\"result\":1"));

  // A folder where the account's backup is written first: its next backup cannot be kept.
  std::filesystem::create_directory(folder_ + "/backups/blocked.dump.tmp");
  const WireReply failed = send(fullUpload("blocked", kPassword, lost));
  EXPECT_EQ(failed.status, 500);
  EXPECT_EQ(failed.body, standin::kNotKept);

  // Every other account goes on, and the blocked one has the backup that is kept.
  EXPECT_TRUE(has(signUp("third").body, "\"result\":1"));
  EXPECT_TRUE(has(send(fullUpload("other", kPassword, lost)).body, "\"result\":1"));
  EXPECT_TRUE(has(logIn("blocked").body, "\"nLastSynId\":1,")) << "the upload was not counted";
  EXPECT_EQ(restored("blocked"), kept);

  stop();
  ASSERT_GT(serve(), 0) << printed();
  EXPECT_TRUE(has(logIn("third").body, "\"result\":1"));
  EXPECT_TRUE(has(logIn("blocked").body, "\"nLastSynId\":1,"));
  EXPECT_EQ(restored("blocked"), kept);
  EXPECT_EQ(restored("other"), lost);
}

}  // namespace
}  // namespace servertest
