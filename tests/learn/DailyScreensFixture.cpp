#include "tests/learn/DailyScreensFixture.h"

#include "learn/CardScreens.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "ui/BaseViewController.h"

namespace dailytest {

void DailyTest::SetUp() {
  home_ = std::make_unique<testsupport::TempHome>();
  testsupport::clearProxyEnvironment();
  device_ = std::make_unique<testsupport::TempDeviceStore>();
  plat::Bundle::setMainPath("");
  plat::Image::clearNamedCache();
  CardScreens::setPronouncer([](const std::string&, bool) {});
  CardScreens::setShareSheet(
      [this](plat::ViewController*, const std::string& text, const std::string& png) {
        shared_.push_back({text, png.empty() ? nullptr : plat::Image::fromPNGData(png, 2)});
      });
  server_ = std::make_unique<testsupport::StandInServer>();
  app_ = std::make_shared<testsupport::NavApp>([] {
    auto opener = std::make_shared<BaseViewController>();
    opener->setTitle("复习/学习");
    return opener;
  });
  host_ = std::make_unique<plat::HeadlessHost>(app_);
  ASSERT_TRUE(host_->launch());
  ASSERT_TRUE(CallDB::callDB()->isOpen()) << "VOCAB_BUNDLE names the build's bundle";
  setValue("url", server_->base());
}

void DailyTest::TearDown() {
  host_->advance(30);  // every fade and delayed close runs out
  app_.reset();
  host_.reset();
  plat::RunLoop::main().discardAllSources();
  server_.reset();
  CardScreens::setPronouncer(nullptr);
  CardScreens::setShareSheet(nullptr);
  CallDB::Release_CallDB();
  device_.reset();
  home_.reset();
}

void DailyTest::push(const std::shared_ptr<plat::ViewController>& screen) {
  screen->setHidesBottomBarWhenPushed(true);
  app_->nav->pushViewController(screen, false);
  host_->runUntilIdle();
}

bool DailyTest::waitFor(const std::function<bool()>& done, double seconds) {
  const bool ok = plat::RunLoop::main().runUntil(done, seconds);
  host_->runUntilIdle();
  return ok;
}

void DailyTest::settle(double seconds) {
  plat::RunLoop::main().runUntil([] { return false; }, 0.1);  // a reply on its way lands
  host_->advance(seconds);
}

void DailyTest::write(const std::string& name) {
  ASSERT_TRUE(host_->writeScreen(::testing::TempDir() + name));
}

void DailyTest::setValue(const std::string& key, const std::string& value) {
  CallDB::callDB()->UpdatePersonalValue_isNeed(key, value);
}

void DailyTest::answered(const std::string& word, int minutesIntoDay, int g1, int g2, int g3) {
  CallDB* store = CallDB::callDB();
  store->InsertStudyWord(word, static_cast<int64_t>(MyDate::localDateTime()) - 86400 * 3);
  const long long when = MyDate::studyDayBegin(0) + minutesIntoDay * 60LL;
  // One next-study time for every answered word: rows tied on it come in word order, whatever
  // second of the wall clock each insert happened in.
  store->sqlMgr().RecordExec("update Study_Log set sl_uLastTestTime = " + std::to_string(when) +
                             ", sl_uNextStudyTime = " + std::to_string(MyDate::studyDayEnd(0)) +
                             ", sl_uFeedbackID1 = " + std::to_string(g1) + ", sl_uFeedbackID2 = " +
                             std::to_string(g2) + ", sl_uFeedbackID3 = " + std::to_string(g3) +
                             " where sl_uWordID = " + std::to_string(store->getWordID(word)));
}

bool DailyTest::planned(const std::string& word) {
  CallDB* store = CallDB::callDB();
  plat::Value rows = plat::Value::array();
  store->sqlMgr().selectOneChannel("select count(*) from Study_List where sl_uWordID = " +
                                       std::to_string(store->getWordID(word)),
                                   "n", rows);
  if (rows.size() != 1) return false;
  const plat::Value& count = rows.at(0).isArray() ? rows.at(0).at(0) : rows.at(0);
  return count.asInt() == 1;
}

}  // namespace dailytest
