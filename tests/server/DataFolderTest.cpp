// The stand-in server's state kept in its data folder: everything a learner made comes back after
// a restart, texts with tabs and line feeds included; a damaged file is named with its line, and
// a folder that cannot be written makes the server refuse instead of pretending to keep a change.
#include "server/DataFolder.h"

#include <fstream>

#include "server/Archive.h"
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using standin::Service;
using standin::State;

TEST_F(DataFolderTest, EverythingComesBackAfterARestart) {
  {
    Service service(options());
    ASSERT_EQ(service.load(), "");
    auto params = signedParams("Tom&Jerry", "secret12");
    params.emplace_back("popularize_id", "");
    ASSERT_NE(service.answer(get("account_register.php", params)).body.find("\"result\":1"),
              std::string::npos);
    auto share = signedParams("tom&jerry", "secret12");
    share.emplace_back("word_id", "457");
    share.emplace_back("mnemonic", "line one\nline\ttwo \\ end");
    service.answer(get("upload_mnemonic.php", share));
    service.withState([](State& state) {
      state.accounts["tom&jerry"].messages.push_back({1700000000, "你好\n第二行"});
      state.accounts["tom&jerry"].dump = "Study_List\t1\n457\t818317400\n";
      state.changedBackups.insert("tom&jerry");
      state.lessons[0] = {"A sentence.", "一句话。", "quiet", "<p>奖</p>", 1700000000};
      state.adopted["tom&jerry"] = {2, -5};
      return standin::saveState(state.options.dataFolder, state);
    });
  }
  Service restarted(options());
  ASSERT_EQ(restarted.load(), "");
  restarted.withState([](State& state) {
    ASSERT_EQ(state.accounts.count("tom&jerry"), 1u);
    const standin::Account& account = state.accounts["tom&jerry"];
    EXPECT_EQ(account.passwordMd5, standin::md5Hex("secret12"));
    EXPECT_EQ(account.dump, "Study_List\t1\n457\t818317400\n");
    ASSERT_EQ(account.messages.size(), 1u);
    EXPECT_EQ(account.messages[0].text, "你好\n第二行");
    ASSERT_EQ(state.mnemonics.size(), 1u);
    EXPECT_EQ(state.mnemonics[0].text, "line one\nline\ttwo \\ end");
    EXPECT_EQ(state.lessons[0].luckyWords, "quiet");
    EXPECT_EQ(state.adopted["tom&jerry"], (std::vector<int64_t>{2, -5}));
    EXPECT_GT(state.nextId, state.mnemonics[0].id) << "new ids never repeat old ones";
  });
  // The restarted server knows the password.
  EXPECT_NE(restarted.answer(get("account_login.php", signedParams("tom&jerry", "secret12")))
                .body.find("\"result\":1"),
            std::string::npos);
}

TEST_F(DataFolderTest, AVoicePackLaidInTheFolderIsOfferedAndServed) {
  std::filesystem::create_directories(folder_ + "/voices");
  std::ofstream(folder_ + "/voices/basic.zip", std::ios::binary) << std::string("PK\3\4pack", 8);
  Service service(options());
  service.setBase("http://127.0.0.1:1234");
  const auto params = signedParams("learner", "secret12");
  const std::string basic = service.answer(get("get_basic_voices.php", params)).body;
  EXPECT_NE(basic.find("\"path\":\"http://127.0.0.1:1234/voices/basic.zip\""), std::string::npos)
      << basic;
  EXPECT_EQ(service.answer({"GET", "/voices/basic.zip", {}, ""}).body,
            std::string("PK\3\4pack", 8));
  EXPECT_NE(service.answer(get("get_ext_voices.php", params)).body.find("\"result\":0"),
            std::string::npos);
  EXPECT_EQ(service.answer({"GET", "/voices/extended.zip", {}, ""}).status, 404);
}

TEST_F(DataFolderTest, AnAccountNameCannotPlaceItsBackupOutsideTheFolder) {
  State state;
  state.addAccount("../../escape", standin::md5Hex("x"));
  state.accounts["../../escape"].dump = "dump";
  state.changedBackups.insert("../../escape");
  ASSERT_EQ(standin::saveState(folder_, state), "");
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/backups/%2E%2E%2F%2E%2E%2Fescape.dump"));
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/../escape.dump"));
}

TEST_F(DataFolderTest, ADamagedFileIsNamedWithItsLine) {
  std::ofstream(folder_ + "/accounts.tsv") << "a\tmd5\t1001\t\t0\t0\t\t0\t0\t0\t-1\t0\t0\n"
                                           << "b\tmd5\tlots\t\t0\t0\t\t0\t0\t0\t-1\t0\t0\n";
  Service service(options());
  EXPECT_EQ(service.load(), "accounts.tsv:2: field 3 is no number: lots");
  // A line as long as a file may hold is named by its start.
  std::ofstream(folder_ + "/accounts.tsv")
      << "b\tmd5\t" << std::string(100000, '7') << "x\t\t0\t0\t\t0\t0\t0\t-1\t0\t0\n";
  EXPECT_EQ(Service(options()).load(), "accounts.tsv:1: field 3 is no number: " +
                                           std::string(300, '7') + "... (cut from 100001 bytes)");
  std::ofstream(folder_ + "/accounts.tsv") << "a\tmd5\n";
  EXPECT_EQ(Service(options()).load(), "accounts.tsv:1: expected 13 fields, found 2");
}

TEST_F(DataFolderTest, AChangeThatCannotBeKeptIsRefused) {
  // The data folder's place is taken by a file: nothing can be written below it.
  std::filesystem::remove_all(folder_);
  std::ofstream(folder_) << "not a folder";
  Service service(options());
  auto params = signedParams("learner", "secret12");
  standin::Reply reply = service.answer(get("account_register.php", params));
  EXPECT_EQ(reply.status, 500);
  EXPECT_EQ(reply.body, standin::kNotKept);
  ASSERT_EQ(reply.log.size(), 1u);
  EXPECT_NE(reply.log[0].find("cannot make " + folder_ + "/backups"), std::string::npos);
  std::filesystem::remove(folder_);
  std::filesystem::create_directory(folder_);
}

}  // namespace
}  // namespace servertest
