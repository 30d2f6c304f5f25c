#include "tests/learn/ScreenFixture.h"

#include <cmath>

#include "learn/CardScreens.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace learntest {

bool hasColour(const plat::Image& picture, const plat::Rect& area, const plat::Color& colour,
               double tolerance) {
  for (double y = area.y; y < area.y + area.height; y += 0.5) {
    for (double x = area.x; x < area.x + area.width; x += 0.5) {
      const plat::Color c = picture.colorAtPoint({x, y});
      if (std::abs(c.r - colour.r) < tolerance && std::abs(c.g - colour.g) < tolerance &&
          std::abs(c.b - colour.b) < tolerance)
        return true;
    }
  }
  return false;
}

void ScreenTest::SetUp() {
  home_ = std::make_unique<testsupport::TempHome>();
  testsupport::clearProxyEnvironment();
  device_ = std::make_unique<testsupport::TempDeviceStore>();
  // The bundle the build assembled: the shipped learn.db and the drawn images.
  plat::Bundle::setMainPath("");
  plat::Image::clearNamedCache();
  CardScreens::setPronouncer(
      [this](const std::string& word, bool isCheck) { spoken_.emplace_back(word, isCheck); });
  CardScreens::setShareSheet(
      [this](plat::ViewController*, const std::string& text, const std::string& png) {
        shared_.push_back({text, png.empty() ? nullptr : plat::Image::fromPNGData(png, 2)});
      });
  startApp();
  ASSERT_TRUE(CallDB::callDB()->isOpen()) << "VOCAB_BUNDLE names the build's bundle";
}

void ScreenTest::startApp() {
  owner_ = std::make_shared<CardOwner>();
  owner_->setTitle("复习/学习");
  app_ = std::make_shared<testsupport::NavApp>([this] { return owner_; });
  start(app_);
}

void ScreenTest::start(std::shared_ptr<plat::ApplicationDelegate> app, double startTime) {
  running_ = std::move(app);
  plat::HeadlessHost::Options options;
  if (startTime) options.startTime = startTime;
  host_ = std::make_unique<plat::HeadlessHost>(running_, options);
  ASSERT_TRUE(host_->launch());
}

void ScreenTest::quit() {
  if (!host_) return;
  host_->advance(30);
  app_.reset();
  running_.reset();
  host_.reset();
  plat::RunLoop::main().discardAllSources();
  CallDB::Release_CallDB();
}

void ScreenTest::TearDown() {
  quit();
  owner_.reset();
  server_.reset();
  CardScreens::setPronouncer(nullptr);
  CardScreens::setNoteEditorMaker(nullptr);
  CardScreens::setOfferWindow(nullptr);
  CardScreens::setShareSheet(nullptr);
  CardScreens::setWordListMaker(nullptr);
  device_.reset();
  home_.reset();
}

void ScreenTest::startServer() {
  server_ = std::make_unique<testsupport::StandInServer>();
  setValue("url", server_->base());
}

std::shared_ptr<BaseWordViewController> ScreenTest::pushCard(const std::string& word) {
  auto card = BaseWordViewController::initWithNibName("BaseWordViewController");
  card->setParentController(card.get());
  card->setDeleage(owner_.get());
  card->setParentName("单词列表");
  card->view();
  card->upWordBtn()->setHidden(false);
  card->downWordBtn()->setHidden(false);
  card->setCurrPage(1);
  card->setWordName(word);
  card->addRightItemBtn();
  app_->nav->pushViewController(card, false);
  settle();
  return card;
}

std::shared_ptr<BaseWordViewController> ScreenTest::embedCard() {
  auto card = BaseWordViewController::initWithNibName("BaseWordViewController");
  plat::View& screen = *owner_->view();
  card->setScrollFrame({0, 0, screen.bounds().width, screen.bounds().height - 60});
  card->setParentController(owner_.get());
  card->setDeleage(owner_.get());
  owner_->addChildViewController(card);
  screen.addSubview(card->view());
  screen.sendSubviewToBack(card->view().get());
  card->parentViewAppear();
  settle();
  return card;
}

void ScreenTest::push(const std::shared_ptr<plat::ViewController>& screen) {
  screen->setHidesBottomBarWhenPushed(true);
  app_->nav->pushViewController(screen, false);
  host_->runUntilIdle();
}

bool ScreenTest::waitFor(const std::function<bool()>& done, double seconds) {
  const bool ok = plat::RunLoop::main().runUntil(done, seconds);
  host_->runUntilIdle();
  return ok;
}

void ScreenTest::landReply(double seconds) {
  plat::RunLoop::main().runUntil([] { return false; }, 0.1);
  host_->advance(seconds);
}

void ScreenTest::write(const std::string& name) {
  ASSERT_TRUE(host_->writeScreen(::testing::TempDir() + name));
}

void ScreenTest::setValue(const std::string& key, const std::string& value) {
  CallDB::callDB()->UpdatePersonalValue_isNeed(key, value);
}

std::string ScreenTest::value(const std::string& key) {
  return CallDB::callDB()->getPersonalValue(key);
}

void ScreenTest::answered(const std::string& word, int minutesIntoDay, int g1, int g2, int g3) {
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

bool ScreenTest::planned(const std::string& word) {
  CallDB* store = CallDB::callDB();
  const plat::Value rows =
      store->sqlMgr().selectOneChannel("select count(*) from Study_List where sl_uWordID = ?", "n",
                                       "n", plat::Value::array({store->getWordID(word)}));
  return rows.size() == 1 && rows.at(0).asInt() == 1;
}

}  // namespace learntest
