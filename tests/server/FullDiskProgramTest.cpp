// The real vocab-standin on a disk of its own that fills up: a backup larger than the free space
// is refused alone, and neither it nor what a crash left behind keeps any account from being
// answered and kept, then or after a restart. A write that fails tells the client a plain
// sentence and the log the path and why.
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/server/StandInProgram.h"
#include "tests/support/SmallFilesystem.h"

namespace servertest {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "secret12";
const std::string kKept = "Study_List\t1\n457\t818317400\n";

class FullDiskProgramTest : public StandInProgramTest {
 protected:
  WireReply send(const standin::Request& request) { return exchange(port(), request); }
  bool signedUp(const std::string& name) {
    auto params = signedParams(name, kPassword);
    params.emplace_back("study_count", "0");
    return has(send(post("account_register.php", params)).body, "\"result\":1");
  }
  std::string logIn(const std::string& name) {
    return send(get("account_login.php", signedParams(name, kPassword))).body;
  }
  // The dump the account's sync down brings, "" when none.
  std::string restored(const std::string& name) {
    const WireReply reply = send(post("synchronize_all_down.php", signedParams(name, kPassword)));
    const auto entries = standin::unzipEntries(send({"GET", archivePath(reply.body), {}, ""}).body);
    return entries.size() == 1 ? entries.front().second : "";
  }
  // The temporary files anywhere in the data folder.
  std::vector<std::string> temporaries() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder_))
      if (entry.path().extension() == ".tmp") found.push_back(entry.path().string());
    return found;
  }
  // A failed write as the client and the log see it.
  void expectToldPlainly(const WireReply& reply, const std::string& cause) {
    EXPECT_EQ(reply.status, 500);
    EXPECT_EQ(reply.body, standin::kNotKept);
    EXPECT_TRUE(has(printed(), folder_ + "/backups/alice.dump")) << printed();
    EXPECT_TRUE(has(printed(), cause)) << printed();
  }
};

// A study dump of about `bytes`, a word a row.
std::string largeDump(size_t bytes) {
  std::string rows;
  int count = 0;
  while (rows.size() < bytes) rows += std::to_string(++count) + "\t818317400\n";
  return "Study_List\t" + std::to_string(count) + "\n" + rows;
}

TEST_F(FullDiskProgramTest, ABackupLargerThanTheFreeSpaceStopsOnlyItself) {
  testsupport::SmallFilesystem disk(256, folder_);
  if (!disk.available()) GTEST_SKIP() << disk.skipReason();
  ASSERT_GT(serve(), 0) << printed();
  ASSERT_TRUE(signedUp("alice") && signedUp("bob")) << printed();
  ASSERT_TRUE(has(send(fullUpload("alice", kPassword, kKept)).body, "备份成功"));

  expectToldPlainly(send(fullUpload("alice", kPassword, largeDump(kMiB))),
                    "No space left on device");
  EXPECT_TRUE(temporaries().empty());

  // Every account is answered and kept, alice with the backup she had.
  EXPECT_TRUE(signedUp("carol"));
  EXPECT_TRUE(has(send(fullUpload("bob", kPassword, kKept)).body, "备份成功"));
  EXPECT_TRUE(has(logIn("alice"), "\"nLastSynId\":1,"));
  EXPECT_EQ(restored("alice"), kKept);
  stop();
  ASSERT_GT(serve(), 0) << printed();
  EXPECT_TRUE(has(logIn("carol"), "\"result\":1"));
  EXPECT_EQ(restored("alice"), kKept);
  EXPECT_EQ(restored("bob"), kKept);
}

// A crash in the middle of a backup's write left its temporary file, which filled the disk.
TEST_F(FullDiskProgramTest, WhatACrashLeftIsClearedAtStart) {
  testsupport::SmallFilesystem disk(256, folder_);
  if (!disk.available()) GTEST_SKIP() << disk.skipReason();
  ASSERT_GT(serve(), 0) << printed();
  ASSERT_TRUE(signedUp("alice")) << printed();
  ASSERT_TRUE(has(send(fullUpload("alice", kPassword, kKept)).body, "备份成功"));
  stop();
  { std::ofstream(folder_ + "/accounts.tsv.tmp") << "alice\thalf a line"; }
  {
    std::ofstream cut(folder_ + "/backups/alice.dump.tmp", std::ios::binary);
    const std::string block(4096, '\n');
    while (cut.write(block.data(), block.size())) {
    }
  }

  ASSERT_GT(serve(), 0) << printed();
  EXPECT_TRUE(signedUp("bob"));
  EXPECT_TRUE(temporaries().empty());
  EXPECT_EQ(restored("alice"), kKept);
}

// Every kind of change refused on a full disk is undone: the retry of a registration registers,
// a sign-in counts again, a message read stays unread, and no note, feedback or lucky-word report
// turns up later. A refused clearing of the backup cleared the file all the same, since an empty
// file needs no room.
TEST_F(FullDiskProgramTest, AChangeRefusedOnAFullDiskIsNotKeptOfAnyKind) {
  testsupport::SmallFilesystem disk(256, folder_);
  if (!disk.available()) GTEST_SKIP() << disk.skipReason();
  ASSERT_GT(serve(), 0) << printed();
  ASSERT_TRUE(signedUp("alice")) << printed();
  ASSERT_TRUE(has(send(fullUpload("alice", kPassword, kKept)).body, "备份成功"));
  const auto alice = signedParams("alice", kPassword);
  auto with = [](auto params, const std::vector<std::pair<std::string, std::string>>& more) {
    params.insert(params.end(), more.begin(), more.end());
    return params;
  };

  // The disk filled to its last byte by something else.
  {
    std::ofstream filler(folder_ + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {
    }
  }
  auto refused = [&](const standin::Request& request) {
    const WireReply reply = send(request);
    EXPECT_EQ(reply.status, 500) << request.target << " " << reply.body;
  };
  auto registration = signedParams("bob", kPassword);
  registration.emplace_back("study_count", "0");
  refused(post("account_register.php", registration));
  refused(get("sign_in.php", alice));
  refused(get("get_user_message.php", with(alice, {{"page", "0"}})));
  refused(get("upload_mnemonic.php", with(alice, {{"word_id", "457"}, {"mnemonic", "refused"}})));
  refused(get("advise.php", with(alice, {{"advises_type", "1"}, {"content", "refused"}})));
  refused(get("study_lucky_words.php", {{"account", "alice"}, {"time", "1700000000"}}));
  refused(get("clear_data.php", alice));
  refused(fullUpload("alice", kPassword, "Study_List\t1\n458\t818317400\n"));
  EXPECT_TRUE(temporaries().empty());

  fs::remove(folder_ + "/filler");
  EXPECT_TRUE(has(send(post("account_register.php", registration)).body, "注册成功"));
  EXPECT_TRUE(has(send(get("sign_in.php", alice)).body, "@签到成功"));
  EXPECT_TRUE(has(logIn("alice"), "\"nNewMsgCount\":1,"));
  EXPECT_TRUE(has(logIn("alice"), "\"nMnemonicShareCount\":0,"));
  EXPECT_TRUE(has(logIn("alice"), "\"nLastSynId\":1,"));
  EXPECT_EQ(restored("alice"), kKept);
  stop();
  for (const char* file : {"/feedback.tsv", "/mnemonics.tsv", "/lucky-words.tsv"})
    EXPECT_FALSE(has(fileText(folder_ + file), "refused") || has(fileText(folder_ + file), "alice"))
        << file;
  ASSERT_GT(serve(), 0) << printed();
  EXPECT_TRUE(has(logIn("bob"), "\"result\":1"));
  EXPECT_EQ(restored("alice"), kKept);
}

// The client is told that its change was not kept; the data folder's paths stay in the log.
TEST_F(FullDiskProgramTest, AWriteThatFailsTellsTheClientPlainlyAndTheLogWhy) {
  ASSERT_GT(serve(), 0) << printed();
  ASSERT_TRUE(signedUp("alice")) << printed();
  fs::create_directories(folder_ + "/backups/alice.dump");
  expectToldPlainly(send(fullUpload("alice", kPassword, kKept)), "Is a directory");
  EXPECT_TRUE(temporaries().empty());
}

}  // namespace
}  // namespace servertest
