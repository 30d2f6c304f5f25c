// How far the stand-in goes for one account: the longest name a registration takes, the backup
// files of long names (those kept before the bound included), what a lucky-word report keeps of
// a name, and how long a sync-down archive waits for its fetch.
#include <filesystem>
#include <fstream>

#include "server/DataFolder.h"
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using standin::Service;
using standin::State;

std::string signUp(Service& service, const std::string& name) {
  return service.answer(get("account_register.php", signedParams(name, "secret12"))).body;
}

TEST(AccountBounds, ARegistrationTakesNamesOfUpTo64Characters) {
  Service service;
  const std::string refusal = "{\"result\":0,\"msg\":\"账号太长，最多64个字符\"}";
  EXPECT_TRUE(has(signUp(service, repeated("学", 64)), "\"result\":1"));
  EXPECT_EQ(signUp(service, repeated("习", 65)), refusal);
  EXPECT_TRUE(has(signUp(service, std::string(64, 'a')), "\"result\":1"));
  EXPECT_EQ(signUp(service, std::string(65, 'b')), refusal);
  EXPECT_TRUE(has(signUp(service, repeated("😀", 64)), "\"result\":1")) << "four bytes each";
  // Bytes that make no character still count: no name passes by being no text.
  EXPECT_EQ(signUp(service, std::string(300, '\x80')), refusal);
  service.withState([](State& s) { EXPECT_EQ(s.accounts.size(), 3u); });
}

TEST(AccountBounds, ALuckyWordReportKeepsNoNameLongerThanAnAccountsCanBe) {
  Service service;
  const std::string old(100, 'o');  // registered before names were bounded
  service.withState([&](State& s) { s.addAccount(old, standin::md5Hex("x")); });
  for (const std::string& name : {std::string("lin"), std::string(1 << 20, 'x'), old}) {
    const std::string reply =
        service.answer(get("study_lucky_words.php", {{"time", "5"}, {"account", name}})).body;
    EXPECT_EQ(reply, "{\"result\":1}");
  }
  service.withState([&](State& s) {
    ASSERT_EQ(s.luckyReports.size(), 2u);
    EXPECT_EQ(s.luckyReports[0].second, "lin");
    EXPECT_EQ(s.luckyReports[1].second, old);
  });
}

TEST_F(DataFolderTest, BackupsKeptBeforeUnderTheirNamesAreFoundAndLongNamesGetShortFiles) {
  // 27 Chinese characters made the longest file name that could be written: 248 bytes.
  const std::string kept = repeated("学", 27);
  const std::string keptFile = repeated("%E5%AD%A6", 27) + ".dump";  // 学 is E5 AD A6
  ASSERT_EQ(keptFile.size(), 248u);
  const std::string older(300, 'n');  // registered before names were bounded
  {
    State state;
    state.addAccount(kept, standin::md5Hex("x")).lastSynId = 1;
    state.addAccount(older, standin::md5Hex("x"));
    ASSERT_EQ(standin::saveState(folder_, state), "");
  }
  std::ofstream(folder_ + "/backups/" + keptFile) << "Study_List\t1\n1\t2\n";

  {
    Service service(options());
    ASSERT_EQ(service.load(), "");
    service.withState([&](State& s) {
      EXPECT_EQ(s.accounts[kept].dump, "Study_List\t1\n1\t2\n");
      s.changeBackup(s.accounts[older], "Study_List\t1\n3\t4\n", true);
      s.changeBackup(s.accounts[kept], "Study_List\t1\n5\t6\n", true);
      return standin::saveState(folder_, s);
    });
  }
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/backups/" + keptFile)) << "written in place";
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_ + "/backups")) {
    ++files;
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == keptFile || (name.size() == 70 && name[0] == '~')) << name;
  }
  EXPECT_EQ(files, 2u);

  Service restarted(options());
  ASSERT_EQ(restarted.load(), "");
  restarted.withState([&](State& s) {
    EXPECT_EQ(s.accounts[kept].dump, "Study_List\t1\n5\t6\n");
    EXPECT_EQ(s.accounts[older].dump, "Study_List\t1\n3\t4\n");
    EXPECT_EQ(s.accounts[older].lastSynId, 1);
  });
}

TEST(AccountBounds, AnArchiveWaitsHalfAnHourForItsFetchAndAnAccountHasOneAtMost) {
  Service service;
  service.setBase("http://127.0.0.1:9");
  service.withState([](State& s) {
    s.now = 1700000000;
    standin::Account& account = s.addAccount("lin", standin::md5Hex("secret12"));
    account.dump = "Study_List\t1\n457\t818317400\n";
    account.lastSynId = 1;
  });
  auto syncDown = [&] {
    const std::string body =
        service.answer(get("synchronize_all_down.php", signedParams("lin", "secret12"))).body;
    const std::string base = "\"syn_file\":\"http://127.0.0.1:9";
    const size_t at = body.find(base);
    return at == std::string::npos
               ? std::string()
               : body.substr(at + base.size(), body.find('"', at + base.size()) - at - base.size());
  };
  auto status = [&](const std::string& path) {
    return service.answer({"GET", path, {}, ""}).status;
  };
  auto later = [&](int64_t seconds) { service.withState([&](State& s) { *s.now += seconds; }); };

  const std::string kept = syncDown();
  later(standin::SyncArchives::kKeptSeconds - 1);
  EXPECT_EQ(status(kept), 200);
  const std::string dropped = syncDown();
  later(standin::SyncArchives::kKeptSeconds);
  EXPECT_EQ(status(dropped), 404) << "half an hour unfetched";

  for (int i = 0; i < 300; ++i) syncDown();
  service.withState([](State& s) { EXPECT_EQ(s.archives.size(), 1u); });
}

}  // namespace
}  // namespace servertest
