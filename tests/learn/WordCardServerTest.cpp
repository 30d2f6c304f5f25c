// The card's server calls against a loopback server: adopting the excellent mnemonic of the box
// and the offer of the best shared mnemonic, with replies that come late or for a card that went.
// The offer window, and a word that declined it, are the note tests' business.
#include <condition_variable>
#include <mutex>

#include "learn/CardScreens.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/learn/ScreenFixture.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Patience.h"

namespace {

using learntest::ScreenTest;
using testsupport::ServerReply;
using testsupport::ServerRequest;

class WordCardServer : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    http_ = std::make_unique<testsupport::LoopbackHttpServer>([this](const ServerRequest& r) {
      std::unique_lock<std::mutex> lock(mutex_);
      targets_.push_back(r.target);
      released_.wait(lock, [this] { return !holdReplies_; });
      return ServerReply::text(r.path() == "/api/accept_mnemonic.php" ? acceptReply_ : offerReply_);
    });
    CallDB::callDB()->UpdatePersonalValue("url", http_->url(""));
    CallDB::callDB()->UpdatePersonalValue("account", "learner");
    CardScreens::setOfferWindow([this](std::weak_ptr<AcceptUIWindowDeleage> delegate,
                                       const std::string& word, const plat::Value& row) {
      offers_.push_back(word + " " + row[size_t(1)].asString());
      offerDelegate_ = delegate;
    });
  }
  void TearDown() override {
    releaseReplies();
    http_.reset();
    ScreenTest::TearDown();
  }

  size_t requestCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_.size();
  }
  std::string lastTarget() {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_.empty() ? "" : targets_.back();
  }
  // Replies wait in the server until released, however slowly the test itself runs.
  void holdReplies() {
    std::lock_guard<std::mutex> lock(mutex_);
    holdReplies_ = true;
  }
  void releaseReplies() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      holdReplies_ = false;
    }
    released_.notify_all();
  }
  // Waits until `count` requests came, releases their replies and lets them be handled.
  void answerRequests(size_t count) {
    ASSERT_TRUE(plat::RunLoop::main().runUntil([&] { return requestCount() >= count; },
                                               testsupport::kPatience));
    releaseReplies();
    plat::RunLoop::main().runUntil([] { return false; }, 0.3);
    settle();
  }

  std::unique_ptr<testsupport::LoopbackHttpServer> http_;
  std::mutex mutex_;
  std::condition_variable released_;
  bool holdReplies_ = false;
  std::vector<std::string> targets_;
  std::string acceptReply_ = R"({"result":1,"syn_var":{"accept_count":"5"}})";
  std::string offerReply_ = R"([31,"a 一个 + chieve 首领",12,"2013-05-01","lucy",0])";
  std::vector<std::string> offers_;
  std::weak_ptr<AcceptUIWindowDeleage> offerDelegate_;
};

TEST_F(WordCardServer, AdoptingStoresFirstThenReportsAndOffersToShare) {
  CallDB* store = CallDB::callDB();
  const int wordId = store->getWordID("achieve");
  store->updateSpecialMnemonic(plat::Value::array(
      {plat::Value::array({plat::Value(wordId), plat::Value(77), plat::Value("a 一个 chieve 首领"),
                           plat::Value("老师"), plat::Value(1)})}));
  holdReplies();
  auto card = BaseWordViewController::initWithNibName("BaseWordViewController");
  card->setShowSprcialText(true);
  card->setParentController(card.get());
  card->setWordName("achieve");
  app_->nav->pushViewController(card, false);
  settle();
  EXPECT_EQ(card->zjInfoLabel()->text(), "a 一个 chieve 首领");
  EXPECT_GT(card->goodzjView()->frame().height, 25);

  ASSERT_TRUE(host_->tap(card->acceptzjBtn()));
  EXPECT_EQ(store->getMnemonic("achieve"), "a 一个 chieve 首领") << "stored before the reply";
  ASSERT_TRUE(host_->visibleAlert()) << "the share offer does not wait for the server";
  ASSERT_TRUE(host_->pressAlertButton("确定"));
  EXPECT_EQ(value("shareZJ_noLP"), std::to_string(MyDate::calendarDayId()));
  settle();
  EXPECT_NE(card->section(1).page->displayedText().find("我的采纳"), std::string::npos);

  answerRequests(1);
  EXPECT_EQ(value("accept_count"), "5") << "the reply's server values are kept";
  EXPECT_EQ(lastTarget().rfind("/api/accept_mnemonic.php?", 0), 0u) << lastTarget();
  EXPECT_NE(lastTarget().find("&mnemonic_id=77&c_type=ios"), std::string::npos);

  ASSERT_TRUE(host_->tap(card->acceptzjBtn()));
  ASSERT_TRUE(host_->pressAlertButton("分享"));
  ASSERT_EQ(shared_.size(), 1u);
  EXPECT_EQ(shared_[0].text.find(plat::localized("share_text19", "InfoPlist").substr(0, 6)), 0u);
  EXPECT_NE(shared_[0].text.find("achieve"), std::string::npos);
  EXPECT_TRUE(shared_[0].picture);
  auto picture = card->getSharePngOne();
  EXPECT_EQ(picture->size(), (plat::Size{440, 280}));
  answerRequests(2);
}

TEST_F(WordCardServer, TheOfferComesOnlyForTheWordStillOnScreen) {
  setValue("autoAccept", "1");
  auto card = pushCard("achieve");
  ASSERT_TRUE(plat::RunLoop::main().runUntil([this] { return offers_.size() == 1; },
                                             testsupport::kPatience));
  EXPECT_EQ(offers_[0], "achieve a 一个 + chieve 首领");

  // A reply that comes after the learner moved on, or after the card left the screen, is dropped.
  holdReplies();
  card->refreshView("apple");
  card->refreshView("family");
  app_->nav->popViewController(false);
  settle();
  answerRequests(2);
  EXPECT_EQ(offers_.size(), 1u);
}

TEST_F(WordCardServer, NoOfferIsAskedForWithoutAnAccount) {
  setValue("autoAccept", "1");
  setValue("account", "");
  auto card = pushCard("achieve");
  card->refreshView("family");
  EXPECT_FALSE(plat::RunLoop::main().runUntil([this] { return requestCount() > 0; }, 1))
      << lastTarget();
}

TEST_F(WordCardServer, AReplyForADestroyedCardTouchesNothing) {
  setValue("autoAccept", "1");
  holdReplies();
  {
    auto card = pushCard("achieve");
    ASSERT_TRUE(plat::RunLoop::main().runUntil([this] { return requestCount() == 1; },
                                               testsupport::kPatience));
    app_->nav->popViewController(false);
    settle();
  }
  answerRequests(1);
  EXPECT_TRUE(offers_.empty());
  EXPECT_TRUE(offerDelegate_.expired());
}

}  // namespace
