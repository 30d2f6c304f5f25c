// The real vocab-standin with values over the bounds of what it keeps: a referral id, a shared
// mnemonic or grammar note, feedback and its device texts, a backup's word-library version and a
// backup that inflates past its bound are each refused with a message saying the bound, leave
// nothing behind, and leave every account and what is within the bounds kept across a restart;
// what was kept before the bounds is still read.
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/server/StandInProgram.h"

namespace servertest {
namespace {

std::string refusal(const std::string& message) {
  return "\"result\":0,\"msg\":\"" + message + "\"";
}

constexpr const char* kPassword = "secret12";
constexpr const char* kFullUp = "synchronize_all_up.php";
const std::string kDump = "Study_List\t1\n457\t818317400\n";

class FieldBoundsProgramTest : public StandInProgramTest {
 protected:
  WireReply send(const standin::Request& request) { return exchange(port(), request); }
  std::string signUp(const std::string& name, const std::string& referral = "") {
    auto params = signedParams(name, kPassword);
    if (!referral.empty()) params.emplace_back("popularize_id", referral);
    return send(post("account_register.php", params)).body;
  }
  bool loggedIn(const std::string& name) {
    return has(send(get("account_login.php", signedParams(name, kPassword))).body, "\"result\":1");
  }
  std::string share(const char* kind, const std::string& text) {
    auto params = signedParams("alice", kPassword);
    params.emplace_back("word_id", "107");
    params.emplace_back(kind, text);
    return send(post(std::string("upload_") + kind + ".php", params)).body;
  }
  std::string advise(const std::string& field, const std::string& value) {
    std::vector<std::pair<std::string, std::string>> params = {
        {"account", "alice"},
        {"advises_type", "1"},
        {"password", standin::md5Hex(kPassword)},
        {"v_lexicon", "1.0"},
        {"content", "好用"},
        {"v_client", "1.0"},
        {"c_type", "ios"},
        {"system_info", "x86_64Linux 6.8"}};
    for (auto& [name, old] : params)
      if (name == field) old = value;
    return send(post("advise.php", params)).body;
  }
  // The dump alice's sync down brings, "" when none.
  std::string restored() {
    const WireReply reply =
        send(post("synchronize_all_down.php", signedParams("alice", kPassword)));
    const auto entries = standin::unzipEntries(send({"GET", archivePath(reply.body), {}, ""}).body);
    return entries.size() == 1 ? entries.front().second : "";
  }
  size_t keptBytes() const {
    size_t total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_))
      if (entry.is_regular_file()) total += entry.file_size();
    return total;
  }
};

TEST_F(FieldBoundsProgramTest, ValuesOverTheirBoundsAreRefusedAndNothingOfThemKept) {
  ASSERT_GT(serve(), 0) << printed();
  const std::string megabyte(kMiB, 'v');
  ASSERT_TRUE(has(signUp("alice"), "\"result\":1")) << printed();

  EXPECT_TRUE(has(signUp("bob", std::string(65, '7')), refusal("推荐人编号太长，最多64个字符")));
  EXPECT_TRUE(has(signUp("carol", std::string(64, '7')), "\"result\":1"));

  const std::string longestNote = repeated("记", 1000);
  EXPECT_TRUE(has(share("mnemonic", repeated("忆", 1001)), refusal("助记太长，最多1000个字符")));
  EXPECT_TRUE(has(share("yufa", megabyte), refusal("语法太长，最多1000个字符")));
  EXPECT_TRUE(has(share("mnemonic", longestNote), "\"msg\":\"分享成功\""));

  const std::string longestFeedback = repeated("馈", 10000);
  EXPECT_TRUE(
      has(advise("content", longestFeedback + "!"), refusal("反馈内容太长，最多10000个字符")));
  EXPECT_TRUE(has(advise("system_info", megabyte), refusal("系统信息太长，最多256个字符")));
  EXPECT_TRUE(has(advise("v_lexicon", megabyte), refusal("词库版本号太长，最多64个字符")));
  EXPECT_TRUE(has(advise("v_client", megabyte), refusal("客户端版本号太长，最多64个字符")));
  EXPECT_TRUE(has(advise("content", longestFeedback), "\"msg\":\"谢谢您的反馈\""));

  const std::string archive = standin::zipOneEntry("backup_alldata.scv", kDump);
  EXPECT_TRUE(has(send(uploadOf(kFullUp, "alice", kPassword, archive, 0, megabyte)).body,
                  refusal("词库版本号太长，最多64个字符")));
  EXPECT_TRUE(has(send(uploadOf(kFullUp, "alice", kPassword, archive, 0, "2.0")).body, "备份成功"));

  // What was taken (a 30 KB feedback, a 3 KB note) and no more.
  EXPECT_LT(keptBytes(), 40 * 1024u);
  stop();
  ASSERT_GT(serve(), 0) << printed();
  EXPECT_TRUE(loggedIn("alice") && loggedIn("carol"));
  EXPECT_FALSE(loggedIn("bob"));
  EXPECT_TRUE(has(send(get("find_mnemonic.php", {{"word_id", "107"}})).body, longestNote));
  EXPECT_TRUE(has(fileText(folder_ + "/feedback.tsv"), longestFeedback));
  EXPECT_TRUE(has(send(get("account_login.php", signedParams("alice", kPassword))).body,
                  "\"sLastSynVersion\":\"2.0\""));
  EXPECT_EQ(restored(), kDump);
}

// Values kept before there were bounds are read and served as they are.
TEST_F(FieldBoundsProgramTest, LongerValuesKeptBeforeTheBoundsAreStillRead) {
  std::filesystem::create_directories(folder_);
  const std::string note = repeated("旧", 2000);
  std::ofstream(folder_ + "/accounts.tsv")
      << "alice\t" << standin::md5Hex(kPassword) << "\t1001\t" << std::string(300, '7')
      << "\t0\t0\t" << std::string(300, 'v') << "\t0\t0\t0\t-1\t0\t0\n";
  std::ofstream(folder_ + "/mnemonics.tsv") << "1\t107\t" << note << "\talice\t5\t0\t0\n";
  ASSERT_GT(serve(), 0) << printed();
  EXPECT_TRUE(loggedIn("alice"));
  EXPECT_TRUE(has(send(get("find_mnemonic.php", {{"word_id", "107"}})).body, note));
  EXPECT_TRUE(has(share("mnemonic", "a + chieve"), "\"msg\":\"分享成功\""));
  EXPECT_TRUE(has(fileText(folder_ + "/accounts.tsv"), std::string(300, 'v')));
}

// An archive that says its dump is 4 GiB, and one whose dump inflates past 32 MiB: neither
// is taken nor makes the server take that much memory, and the backup before them stays.
TEST_F(FieldBoundsProgramTest, ABackupOverItsBoundIsRefusedAndTheOneBeforeKept) {
  ASSERT_GT(serve(), 0) << printed();
  ASSERT_TRUE(has(signUp("alice"), "\"result\":1")) << printed();
  ASSERT_TRUE(has(send(fullUpload("alice", kPassword, kDump)).body, "备份成功"));

  // The uncompressed size, in the entry's local header and in the central directory.
  std::string claiming = standin::zipOneEntry("backup_alldata.scv", "Study_List\t0\n");
  const size_t central = claiming.find("PK\x01\x02");
  ASSERT_EQ(claiming.rfind("PK\x03\x04", 0), 0u);
  ASSERT_NE(central, std::string::npos);
  claiming.replace(22, 4, "\xfe\xff\xff\xff");
  claiming.replace(central + 24, 4, "\xfe\xff\xff\xff");
  EXPECT_TRUE(
      has(send(uploadOf(kFullUp, "alice", kPassword, claiming)).body, refusal("备份文件损坏")));
  EXPECT_LT(peakMemory(), 512 * kMiB);

  const std::string bomb = standin::zipOneEntry("backup_alldata.scv", std::string(33 * kMiB, '\n'));
  EXPECT_TRUE(has(send(uploadOf(kFullUp, "alice", kPassword, bomb)).body,
                  refusal("备份数据太大，最多32MB")));
  EXPECT_LT(peakMemory(), 1024 * kMiB);

  EXPECT_TRUE(has(send(get("account_login.php", signedParams("alice", kPassword))).body,
                  "\"nLastSynId\":1,"));
  stop();
  ASSERT_GT(serve(), 0) << printed();
  EXPECT_EQ(restored(), kDump);
}

// A backup of millions of rows costs the server little more than its text, and the largest a
// learner makes, every word of the library with a long note, is taken whole and merged with the
// next change.
TEST_F(FieldBoundsProgramTest, BackupsUpToTheBoundAreTakenInLittleMoreMemoryThanTheirText) {
  ASSERT_GT(serve(), 0) << printed();
  ASSERT_TRUE(has(signUp("alice"), "\"result\":1")) << printed();
  // Millions of rows, all of one key: the first upload, before any other text is in memory.
  std::string emptyLines = "Study_List\t" + std::to_string(4 * kMiB) + "\n";
  emptyLines.resize(4 * kMiB, '\n');
  ASSERT_TRUE(has(signUp("bob"), "\"result\":1"));
  ASSERT_TRUE(has(send(fullUpload("bob", kPassword, emptyLines)).body, "备份成功"));
  EXPECT_LT(peakMemory(), 128 * kMiB);

  constexpr int kWords = 16176;
  const std::string note = repeated("记", 500);
  std::string list = "Study_List\t" + std::to_string(kWords) + "\n";
  std::string notes = "Study_Note\t" + std::to_string(kWords) + "\n";
  for (int word = 1; word <= kWords; ++word) {
    list += std::to_string(word) + "\t818317400\n";
    notes += std::to_string(word) + "\t" + note + "\n";
  }
  ASSERT_GT(notes.size(), 20 * kMiB);
  ASSERT_TRUE(has(send(fullUpload("alice", kPassword, list + notes)).body, "备份成功"));

  const std::string change = "Study_List\t1\n7\t900000000\ndelete_words\t1\n8\n";
  ASSERT_TRUE(has(send(uploadOf("synchronize_up.php", "alice", kPassword,
                                standin::zipOneEntry("backup_alldata.scv", change), 1))
                      .body,
                  "备份成功"));
  std::string merged = list + notes;
  for (const auto& [from, to] :
       std::vector<std::pair<std::string, std::string>>{{"List\t16176", "List\t16175"},
                                                        {"Note\t16176", "Note\t16175"},
                                                        {"\n7\t818317400\n", "\n7\t900000000\n"},
                                                        {"\n8\t818317400\n", "\n"},
                                                        {"\n8\t" + note + "\n", "\n"}})
    merged.replace(merged.find(from), from.size(), to);

  stop();
  ASSERT_GT(serve(), 0) << printed();
  EXPECT_TRUE(restored() == merged);
}

}  // namespace
}  // namespace servertest
