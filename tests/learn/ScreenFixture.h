// The screens' tests on the shipped learn.db, driven through the headless host on the virtual
// clock. Each case has its own home and device store; pronunciation and the share sheet are
// recorded instead of played or shown. By default the window shows a navigation stack over an
// owner screen, titled as the review screen, that answers the word card's delegate protocol.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "learn/BaseWordViewController.h"
#include "learn/CardScreens.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/Image.h"
#include "platform/host/HeadlessHost.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/support/NavApp.h"
#include "tests/support/Patience.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempDeviceStore.h"
#include "tests/support/TempHome.h"
#include "ui/BaseViewController.h"

namespace learntest {

// A word list's side of the card: states by word, and every callback in order.
class CardOwner : public BaseViewController, public BaseWordDeleage {
 public:
  std::map<std::string, std::string> states;
  std::vector<std::string> calls;

  std::string checkWordState_callback(const std::string& word) override {
    auto found = states.find(word);
    return found == states.end() ? "2" : found->second;
  }
  void selectwords_callback(const std::string& word, bool isAdd) override {
    calls.push_back("select " + word + (isAdd ? " YES" : " NO"));
    states[word] = isAdd ? "3" : "2";
  }
  void deletewords_callback(const std::string& word, int64_t type) override {
    calls.push_back("delete " + word + " " + std::to_string(type));
  }
  void upBtn_Click_callback() override { calls.push_back("up"); }
  void downBtn_Click_callback() override { calls.push_back("down"); }
};

struct SharedItem {
  std::string text;
  std::shared_ptr<plat::Image> picture;
};

// Whether some pixel of `area` (points) has `colour`, each channel within `tolerance`.
inline bool hasColour(const plat::Image& picture, const plat::Rect& area, const plat::Color& colour,
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

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
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
  void TearDown() override {
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
  // Starts the application of the case; by default the navigation stack over the owner.
  virtual void startApp() {
    owner_ = std::make_shared<CardOwner>();
    owner_->setTitle("复习/学习");
    app_ = std::make_shared<testsupport::NavApp>([this] { return owner_; });
    start(app_);
  }
  // Runs `app` in a new headless host whose clock starts at `startTime` (0: the host's own).
  void start(std::shared_ptr<plat::ApplicationDelegate> app, double startTime = 0) {
    running_ = std::move(app);
    plat::HeadlessHost::Options options;
    if (startTime) options.startTime = startTime;
    host_ = std::make_unique<plat::HeadlessHost>(running_, options);
    ASSERT_TRUE(host_->launch());
  }
  // Lets every fade run out and ends the application and the store.
  void quit() {
    if (!host_) return;
    host_->advance(30);
    app_.reset();
    running_.reset();
    host_.reset();
    plat::RunLoop::main().discardAllSources();
    CallDB::Release_CallDB();
  }
  // The stand-in server on loopback, made the account server.
  void startServer() {
    server_ = std::make_unique<testsupport::StandInServer>();
    setValue("url", server_->base());
  }

  // The card as a word list pushes it, showing `word`.
  std::shared_ptr<BaseWordViewController> pushCard(const std::string& word) {
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
  // The card as the review screen embeds it in the owner's view.
  std::shared_ptr<BaseWordViewController> embedCard() {
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
  void push(const std::shared_ptr<plat::ViewController>& screen) {
    screen->setHidesBottomBarWhenPushed(true);
    app_->nav->pushViewController(screen, false);
    settle();
  }
  // Lets the pages load and lay out.
  void settle() { host_->runUntilIdle(); }
  // Serves replies on the main run loop until `done` holds or `seconds` of real time pass.
  bool waitFor(const std::function<bool()>& done, double seconds = testsupport::kPatience) {
    const bool ok = plat::RunLoop::main().runUntil(done, seconds);
    settle();
    return ok;
  }
  // Lets a reply on its way arrive, then `seconds` of virtual time pass (slides, fades).
  void landReply(double seconds = 1) {
    plat::RunLoop::main().runUntil([] { return false; }, 0.1);
    host_->advance(seconds);
  }
  void write(const std::string& name) {
    ASSERT_TRUE(host_->writeScreen(::testing::TempDir() + name));
  }
  bool showing(const std::string& text) const { return host_->findByText(text) != nullptr; }

  void setValue(const std::string& key, const std::string& value) {
    CallDB::callDB()->UpdatePersonalValue_isNeed(key, value);
  }
  std::string value(const std::string& key) { return CallDB::callDB()->getPersonalValue(key); }
  // Plants an answered word: last answered `minutesIntoDay` after today's study day began
  // (negative: the day before), with its last three grades, the latest first. Every answered
  // word gets one next-study time: rows tied on it come in word order, whatever second of the
  // wall clock each insert happened in.
  void answered(const std::string& word, int minutesIntoDay, int g1, int g2, int g3) {
    CallDB* store = CallDB::callDB();
    store->InsertStudyWord(word, static_cast<int64_t>(MyDate::localDateTime()) - 86400 * 3);
    const long long when = MyDate::studyDayBegin(0) + minutesIntoDay * 60LL;
    store->sqlMgr().RecordExec("update Study_Log set sl_uLastTestTime = " + std::to_string(when) +
                               ", sl_uNextStudyTime = " + std::to_string(MyDate::studyDayEnd(0)) +
                               ", sl_uFeedbackID1 = " + std::to_string(g1) +
                               ", sl_uFeedbackID2 = " + std::to_string(g2) +
                               ", sl_uFeedbackID3 = " + std::to_string(g3) +
                               " where sl_uWordID = " + std::to_string(store->getWordID(word)));
  }
  bool planned(const std::string& word) {
    CallDB* store = CallDB::callDB();
    const plat::Value rows =
        store->sqlMgr().selectOneChannel("select count(*) from Study_List where sl_uWordID = ?",
                                         "n", "n", plat::Value::array({store->getWordID(word)}));
    return rows.size() == 1 && rows.at(0).asInt() == 1;
  }

  std::unique_ptr<testsupport::TempHome> home_;
  std::unique_ptr<testsupport::TempDeviceStore> device_;
  std::unique_ptr<testsupport::StandInServer> server_;
  std::shared_ptr<CardOwner> owner_;
  std::shared_ptr<testsupport::NavApp> app_;
  std::shared_ptr<plat::ApplicationDelegate> running_;
  std::unique_ptr<plat::HeadlessHost> host_;
  // (word, isCheck) of every pronunciation asked for.
  std::vector<std::pair<std::string, bool>> spoken_;
  std::vector<SharedItem> shared_;
};

}  // namespace learntest
