#include "tests/online/OnlineFixture.h"

#include <filesystem>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "platform/base/Value.h"
#include "store/CallDB.h"
#include "tests/support/TempHome.h"
#include "util/DebugNSObject.h"

namespace onlinetest {

std::string rowsText(const std::string& sql, const std::string& retType) {
  plat::Value rows = CallDB::callDB()->sql_select(sql, retType, "", plat::Value::array());
  std::string text;
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r > 0) text += ";";
    const plat::Value& row = rows[r];
    for (size_t c = 0; c < (row.isArray() ? row.size() : 1); ++c) {
      const plat::Value& v = row.isArray() ? row[c] : row;
      if (c > 0) text += "|";
      text += v.isString() ? v.asString() : std::to_string(v.asInt());
    }
  }
  return text;
}

std::string studySnapshot(const std::string& settings, bool dayLogs) {
  const std::pair<const char*, int> tables[] = {
      {"Study_List", 3},         {"Study_Log", 10},      {"Study_Note", 3},
      {"Words_Mnemonic", 3},     {"Words_MyYuFa", 3},    {"Words_YuFa", 3},
      {"IncreasingWord_Log", 3}, {"Familiarity_Log", 6}, {"ReviewWords_Log", 3},
      {"ForgetWords_Log", 4},    {"delete_words", 1}};
  std::string all;
  for (const auto& [name, columns] : tables) {
    if (!dayLogs &&
        (name == std::string("Familiarity_Log") || name == std::string("ForgetWords_Log")))
      continue;
    all +=
        std::string(name) + ":" +
        rowsText(std::string("select * from ") + name + " order by 1", std::string(columns, 's')) +
        "\n";
  }
  return all + "Var_Config:" + rowsText(settings, "sss") + "\n";
}

void setTestMode(bool on) {
  std::string marker =
      plat::files::join(plat::AppHome::documentsDir(), std::string(kSharedClientKey) + ".txt");
  if (on) {
    plat::files::createDirectories(plat::AppHome::documentsDir());
    ASSERT_TRUE(plat::files::writeFileAtomically(marker, ""));
  } else {
    plat::files::remove(marker);
  }
}

std::unique_ptr<testsupport::SmallFilesystem> homeOnAVolumeOfItsOwn(size_t spareKilobytes) {
  namespace fs = std::filesystem;
  CallDB::Release_CallDB();
  const std::string home = plat::AppHome::home();
  const std::string aside = testsupport::makeTempDir("vocab-home-aside");
  fs::copy(home, aside, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  size_t used = 0;
  for (const auto& entry : fs::recursive_directory_iterator(aside))
    if (entry.is_regular_file()) used += entry.file_size() + 4096;
  auto disk = std::make_unique<testsupport::SmallFilesystem>(used / 1024 + spareKilobytes, home);
  if (disk->available())
    fs::copy(aside, home, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  fs::remove_all(aside);
  CallDB::callDB();
  return disk;
}

void failAtTheWriteOf(const std::string& key, const std::string& failure) {
  stopFailingWrites();
  CallDB::callDB()->sql_update(
      "create trigger fail_the_write before insert on Var_Config when new.vc_tVarName = '" + key +
          "' begin " + failure + "; end",
      "", plat::Value::array());
}

void stopFailingWrites() {
  CallDB::callDB()->sql_update("drop trigger if exists fail_the_write", "", plat::Value::array());
}

void DumpTest::SetUp() {
  StudyTest::SetUp();
  exec("update Var_Config set vc_uNeedSync = 1");
}

void ApiTest::SetUp() {
  DumpTest::SetUp();
  plat::RunLoop::setMainThread();
  testsupport::clearProxyEnvironment();
  deviceStore_ = std::make_unique<testsupport::TempDeviceStore>();
  server_ = std::make_unique<testsupport::LoopbackHttpServer>(
      [this](const testsupport::ServerRequest&) { return reply_; });
  CallDB::callDB()->UpdatePersonalValue("url", server_->url(""));
}

void ApiTest::TearDown() {
  server_.reset();
  deviceStore_.reset();
  DumpTest::TearDown();
}

ApiReplyHooks ApiTest::recordingHooks(bool honoursRelogin) {
  ApiReplyHooks hooks;
  hooks.hidePanel = [this] { shown_.push_back("panel"); };
  if (honoursRelogin) hooks.relogin = [this] { shown_.push_back("relogin"); };
  hooks.showMessage = [this](const std::string& text) { shown_.push_back("message:" + text); };
  hooks.showAlert = [this](const std::string& title, const std::string& message,
                           const std::string& button) {
    shown_.push_back("alert:" + title + "|" + message + "|" + button);
  };
  return hooks;
}

}  // namespace onlinetest
