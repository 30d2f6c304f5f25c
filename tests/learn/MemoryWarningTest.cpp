// Memory pressure on the learning screens, from a pressure file the test writes and the window
// host's watcher reads: the review screen lets the player and the store's connection go once per
// episode and, off screen, its view and card, writing the pending answer first; a word card off
// screen drops its views and shows the same word, drawn the same, when it comes back.
#include "learn/ReViewController.h"
#include "platform/base/Files.h"
#include "platform/host/MemoryPressure.h"
#include "platform/view/TabBarController.h"
#include "tests/learn/ScreenFixture.h"
#include "voice/AudioControl.h"

namespace {

constexpr double kMorning = 1700013600.0;  // 2023-11-15 10:00 in UTC+8
const std::vector<std::string> kNewWords = {"achieve", "support", "quiet"};

class ReviewTabs : public plat::ApplicationDelegate {
 public:
  std::shared_ptr<plat::Window> window;
  std::shared_ptr<plat::TabBarController> tabs;
  std::shared_ptr<ReViewController> review;

  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window = std::make_shared<plat::Window>();
    review = std::make_shared<ReViewController>();
    tabs = std::make_shared<plat::TabBarController>();
    tabs->setViewControllers({std::make_shared<plat::NavigationController>(review),
                              std::make_shared<plat::ViewController>()});
    window->setRootViewController(tabs);
    window->makeKeyAndVisible();
    return true;
  }
};

class MemoryWarning : public learntest::ScreenTest {
 protected:
  void SetUp() override {
    learntest::ScreenTest::SetUp();
    pressureFile_ = plat::files::join(home_->path(), "pressure");
    ease();
  }
  void press() { plat::files::writeFileAtomically(pressureFile_, "some avg10=42.00 total=1\n"); }
  void ease() { plat::files::writeFileAtomically(pressureFile_, "some avg10=0.00 total=1\n"); }
  std::string picture(const std::string& name) {
    write(name);
    return plat::files::readFile(::testing::TempDir() + name).value_or("");
  }

  std::string pressureFile_;
};

}  // namespace

TEST_F(MemoryWarning, TheReviewScreenReleasesOncePerEpisodeAndKeepsThePendingAnswer) {
  quit();
  CallDB::callDB()->UpdatePersonalValue("run_machine", "1");
  auto app = std::make_shared<ReviewTabs>();
  start(app, kMorning);
  for (const std::string& word : kNewWords)
    CallDB::callDB()->InsertStudyWord(word, int64_t(kMorning - plat::kReferenceDateOffset));
  ReViewController::addNewWordFinish(kNewWords);
  settle();
  ReViewController& screen = *app->review;
  const std::string answered = screen.queue().reallyName();
  ASSERT_TRUE(host_->tap(screen.showBtn()));
  ASSERT_TRUE(host_->tap(screen.answerButton(2)));
  ASSERT_TRUE(screen.queue().WaitSaveWord()) << "written one answer late";
  ASSERT_EQ(CallDB::callDB()->GetStudyLog(answered).at(0).at(0).asInt(), 0);
  const std::string live = screen.queue().reallyName();
  const plat::Rect answerFrame = screen.answerButton(2)->frame();
  AudioControl::sharedAudio();
  CallDB* store = CallDB::callDB();

  // On screen, a warning lets the player and the connection go but keeps the view.
  plat::MemoryPressure watch(pressureFile_);
  press();
  EXPECT_TRUE(watch.poll());
  EXPECT_FALSE(store->isOpen());
  EXPECT_FALSE(AudioControl::exists());
  EXPECT_TRUE(screen.isViewLoaded());
  // The same episode warns no more: what reopened stays open.
  CallDB::callDB();
  AudioControl::sharedAudio();
  EXPECT_FALSE(watch.poll());
  EXPECT_TRUE(store->isOpen());
  EXPECT_TRUE(AudioControl::exists());

  // Another tab shown, the next episode takes the view and the card; the answer is written.
  app->tabs->setSelectedIndex(1);
  settle();
  ease();
  watch.poll();
  press();
  EXPECT_TRUE(watch.poll());
  EXPECT_FALSE(store->isOpen());
  EXPECT_FALSE(screen.isViewLoaded());
  EXPECT_EQ(screen.wordView(), nullptr);
  // Its study record's last test time.
  EXPECT_NE(CallDB::callDB()->GetStudyLog(answered).at(0).at(0).asInt(), 0) << answered;
  ReViewController::refreshMsgNum(2);  // the class operations still reach the screen
  settle();

  // Back on the review tab the screen is built again and goes on with the live word.
  app->tabs->setSelectedIndex(0);
  settle();
  ASSERT_TRUE(screen.isViewLoaded());
  ASSERT_NE(screen.wordView(), nullptr);
  EXPECT_EQ(screen.queue().reallyName(), live);
  EXPECT_EQ(screen.wordBtn()->currentTitle(), live);
  EXPECT_FALSE(screen.showBtn()->isHidden());
  ASSERT_TRUE(host_->tap(screen.showBtn()));
  EXPECT_EQ(screen.wordView()->view()->alpha(), 1) << "the rebuilt card shows the meaning";
  EXPECT_EQ(screen.answerButton(2)->frame(), answerFrame) << "laid out as before";
  EXPECT_EQ(screen.answerButton(2)->window(), app->window.get());
  write("memory_review_rebuilt.png");
}

TEST_F(MemoryWarning, AWordCardOffScreenDropsItsViewsAndComesBackTheSame) {
  auto card = pushCard("quiet");
  const std::string before = picture("memory_card_before.png");
  ASSERT_FALSE(before.empty());
  push(std::make_shared<BaseViewController>());  // a note editor over the card

  plat::MemoryPressure watch(pressureFile_);
  press();
  ASSERT_TRUE(watch.poll());
  EXPECT_FALSE(card->isViewLoaded());
  EXPECT_EQ(card->wordInfo(), nullptr);
  EXPECT_EQ(card->myScrollView(), nullptr);
  EXPECT_EQ(card->MeaningLabel(), nullptr);
  EXPECT_EQ(card->wordName(), "quiet") << "kept, so that the card can show it again";

  app_->nav->popViewController(false);
  settle();
  ASSERT_TRUE(card->isViewLoaded());
  EXPECT_EQ(card->wordBtn()->currentTitle(), "quiet");
  EXPECT_FALSE(card->upWordBtn()->isHidden()) << "the owner's paging buttons stay shown";
  EXPECT_TRUE(picture("memory_card_after.png") == before) << "drawn as before the warning";
}
