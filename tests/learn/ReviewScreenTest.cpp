// The review screen on the shipped learn.db, driven through the headless host as a learner does:
// new words learnt and answered with each grade, re-tests, browsing back, a restart within the
// study day, and the queue rebuilt after 03:00.
#include <algorithm>
#include <map>

#include "learn/ReViewController.h"
#include "learn/ReviewListSort.h"
#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/view/TabBarController.h"
#include "store/CallDB.h"
#include "tests/learn/PagingButtonsClear.h"
#include "tests/learn/ScreenFixture.h"
#include "tests/learn/WholeText.h"
#include "ui/MyAlerView.h"

namespace {

// 2023-11-15 10:00 in UTC+8.
constexpr double kMorning = 1700013600.0;
const std::vector<std::string> kNewWords = {"achieve", "support", "quiet", "close", "teacher"};

class ReviewApp : public plat::ApplicationDelegate {
 public:
  std::shared_ptr<plat::Window> window;
  std::shared_ptr<plat::TabBarController> tabs;
  std::shared_ptr<ReViewController> review;

  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window = std::make_shared<plat::Window>();
    review = std::make_shared<ReViewController>();
    std::vector<std::shared_ptr<plat::ViewController>> screens = {
        std::make_shared<plat::NavigationController>(review)};
    for (int i = 0; i < 3; ++i) screens.push_back(std::make_shared<plat::ViewController>());
    tabs = std::make_shared<plat::TabBarController>();
    tabs->setViewControllers(screens);
    window->setRootViewController(tabs);
    window->makeKeyAndVisible();
    return true;
  }
};

class ReviewScreen : public learntest::ScreenTest {
 protected:
  void startApp() override {
    // The first-start guide has been seen.
    CallDB::callDB()->UpdatePersonalValue("run_machine", "1");
    launch(kMorning);
  }
  void launch(double time) {
    start(std::make_shared<ReviewApp>(), time);
    host_->clock()->setZone(plat::TimeZone::fixed(8 * 3600));
    host_->runUntilIdle();
  }

  ReviewApp& app() { return static_cast<ReviewApp&>(*running_); }
  ReViewController& screen() { return *app().review; }
  std::string live() { return screen().queue().reallyName(); }
  std::vector<std::string> queued() {
    std::vector<std::string> words;
    for (const P_Review& entry : screen().queue().ArrayReview()) words.push_back(entry.sWord);
    return words;
  }
  std::vector<int> retestPositions() {
    std::vector<int> positions;
    for (const P_Review& entry : screen().queue().ArrayReview())
      positions.push_back(entry.nReTestPos);
    return positions;
  }
  // Two words learnt, then the server's notice shows on the idle screen.
  void idleWithANotice() {
    for (const char* word : {"achieve", "support"})
      CallDB::callDB()->InsertStudyWord(word, int64_t(kMorning - plat::kReferenceDateOffset));
    ReViewController::addNewWordFinish({"achieve", "support"});
    host_->runUntilIdle();
    answer(2);
    answer(2);
    ASSERT_TRUE(queued().empty());
    CallDB* store = CallDB::callDB();
    store->UpdatePersonalValue("sNewsTitle", "公告");
    store->UpdatePersonalValue("sNewsContent",
                               "<p>这是本机的练习服务器：注册、登录、备份与恢复、消息、签到、"
                               "每日课堂和助记分享都可以在这里试用。</p>");
    ReViewController::refreshADInfo();
    settle();
    ASSERT_FALSE(screen().adView()->isHidden()) << "the notice shows";
    ASSERT_FALSE(screen().upWordBtn()->isHidden()) << "answered words can be browsed";
    ASSERT_FALSE(screen().backupDataBtn()->isHidden());
  }
  // The idle screen's browse-back, backup and today's-review buttons each keep off every text,
  // the notice's lines included.
  void expectIdleControlsClearOfText() {
    const plat::View& root = *screen().view();
    for (const plat::Button* control :
         {screen().upWordBtn(), screen().backupDataBtn(), screen().today_reBtn()})
      EXPECT_EQ(learntest::textsUnder(root, *control), std::vector<std::string>{})
          << "under "
          << (control->currentTitle().empty() ? "the browse-back button" : control->currentTitle());
  }
  void learnTwoWordsThenCheckTheIdleScreen(const std::string& picture) {
    idleWithANotice();
    write(picture);
    expectIdleControlsClearOfText();
    // The browse-back button still takes the learner back to the last word.
    ASSERT_TRUE(host_->tap(screen().upWordBtn()));
    EXPECT_EQ(screen().wordBtn()->currentTitle(), screen().queue().finishWords().back());
    EXPECT_FALSE(screen().answerButton(2)->isHidden()) << "its answer can still change";
  }
  // Reveals the word on screen and answers it with `grade` as the learner's fingers do.
  void answer(int grade) {
    ASSERT_TRUE(host_->tap(screen().showBtn())) << live();
    ASSERT_FALSE(screen().answerButton(grade)->isHidden());
    ASSERT_TRUE(host_->tap(screen().answerButton(grade)));
  }
};

TEST_F(ReviewScreen, ALearnerLearnsNewWordsBrowsesBackRestartsAndComesBackTheNextDay) {
  EXPECT_FALSE(screen().infoLabel()->isHidden());
  EXPECT_EQ(screen().infoLabel()->text(), plat::localized("review_eg7", "InfoPlist"));
  EXPECT_TRUE(screen().backupDataBtn()->isHidden()) << "nothing planned: no backup";

  for (const std::string& word : kNewWords)
    CallDB::callDB()->InsertStudyWord(word, int64_t(kMorning - plat::kReferenceDateOffset));
  ReViewController::addNewWordFinish(kNewWords);
  host_->runUntilIdle();
  EXPECT_EQ(screen().queue().ReviewState(), ReviewQueue::kStateLearn);
  EXPECT_EQ(app().tabs->viewControllers()[0]->tabBarItem().title(), "学习中");
  EXPECT_EQ(app().tabs->viewControllers()[0]->tabBarItem().badgeValue(), "5");
  EXPECT_FALSE(screen().showBtn()->isHidden());
  EXPECT_EQ(screen().wordView()->view()->alpha(), 0) << "the meaning waits for the reveal";
  EXPECT_FALSE(screen().deleteWordBtn()->isHidden()) << "a word never tested can be removed";

  ASSERT_TRUE(host_->writeScreen(::testing::TempDir() + "review_word.png"));
  ASSERT_TRUE(host_->tap(screen().showBtn()));
  EXPECT_EQ(screen().wordView()->view()->alpha(), 1);
  ASSERT_TRUE(host_->writeScreen(::testing::TempDir() + "review_revealed.png"));
  const std::string firstWord = live();
  ASSERT_TRUE(host_->tap(screen().answerButton(2)));
  ASSERT_NE(live(), firstWord);

  // Each new word answered once: know, fuzzy, don't know, know, fuzzy.
  std::map<std::string, int> grades = {{firstWord, 2}};
  for (int grade : {3, 4, 2, 3}) {
    const std::string word = live();
    answer(grade);
    grades[word] = grade;
    EXPECT_EQ(screen().wordView()->view()->alpha(), 0) << "the next word is hidden again";
  }
  ASSERT_EQ(grades.size(), 5u) << "five different words came first";
  // The weak answers come back as re-tests; the known words do not.
  const std::vector<std::string> retests = queued();
  for (const auto& [word, grade] : grades) {
    const bool back = std::count(retests.begin(), retests.end(), word) > 0;
    EXPECT_EQ(back, grade != 2) << word;
  }

  // Browsing back to the last answer, still pending, and changing it.
  const std::string last = screen().queue().finishWords().back();
  ASSERT_FALSE(screen().upWordBtn()->isHidden());
  auto onScreen = [](const plat::View& v) { return v.convertRectTo(v.bounds(), nullptr); };
  const plat::Rect up = onScreen(*screen().upWordBtn());
  EXPECT_LE(up.y + up.height, onScreen(*screen().wordBtn()->superview()).y)
      << "the browse-back button stays above the word strip";
  ASSERT_TRUE(host_->tap(screen().upWordBtn()));
  EXPECT_EQ(screen().wordBtn()->currentTitle(), last);
  EXPECT_EQ(screen().remindLabel()->text(), plat::localized("review_eg2", "InfoPlist"));
  EXPECT_TRUE(screen().deleteWordBtn()->isHidden()) << "only the live word can be removed";
  ASSERT_TRUE(host_->tap(screen().answerButton(2)));
  EXPECT_EQ(screen().queue().WaitSaveWord()->grade, 2);
  const std::vector<std::string> afterChange = queued();
  EXPECT_EQ(std::count(afterChange.begin(), afterChange.end(), last), 0) << "known now: no re-test";
  ASSERT_FALSE(screen().returnReviewBtn()->isHidden());
  EXPECT_EQ(learntest::textsUnderPagingButtonsWhileScrolling(*screen().wordView()),
            std::vector<std::string>{})
      << "browsing back, the paging buttons keep off the card's text";
  // Further back, an older answer can only be looked at.
  ASSERT_TRUE(host_->tap(screen().wordView()->upWordBtn()));
  EXPECT_TRUE(screen().answerButton(3)->isHidden());
  EXPECT_EQ(learntest::textsUnderPagingButtonsWhileScrolling(*screen().wordView()),
            std::vector<std::string>{});
  ASSERT_TRUE(host_->writeScreen(::testing::TempDir() + "review_browsing_back.png"));
  ASSERT_TRUE(host_->tap(screen().returnReviewBtn()));
  const std::string liveBefore = live();
  EXPECT_EQ(screen().wordBtn()->currentTitle(), liveBefore);
  EXPECT_FALSE(screen().showBtn()->isHidden());
  // Revealed with answered words behind it: the card offers to page back without covering text.
  ASSERT_TRUE(host_->tap(screen().showBtn()));
  EXPECT_FALSE(screen().wordView()->upWordBtn()->isHidden());
  EXPECT_EQ(learntest::textsUnderPagingButtonsWhileScrolling(*screen().wordView()),
            std::vector<std::string>{});
  ASSERT_TRUE(host_->writeScreen(::testing::TempDir() + "review_revealed_with_paging.png"));

  // The app goes to the background and is started again within the study day: the queue resumes
  // from its mirror, re-tests at their positions, still learning.
  const std::vector<std::string> before = queued();
  const std::vector<int> positions = retestPositions();
  ReViewController::closeProgram();
  quit();
  launch(kMorning + 3600);
  EXPECT_EQ(queued(), before);
  EXPECT_EQ(retestPositions(), positions);
  EXPECT_EQ(screen().queue().ReviewState(), ReviewQueue::kStateLearn);
  EXPECT_EQ(live(), liveBefore);
  EXPECT_FALSE(CallDB::callDB()->GetStudyLog(last)[size_t(0)].isNull());

  // Past 03:00 the next day the queue is rebuilt from the words now due.
  host_->clock()->set(kMorning + 17 * 3600 + 60);  // 03:01 on the 16th
  ReViewController::downDataFinish();
  host_->runUntilIdle();
  EXPECT_EQ(screen().queue().ReviewState(), ReviewQueue::kStateReview);
  EXPECT_EQ(app().tabs->viewControllers()[0]->tabBarItem().title(), "复习中");
  const std::vector<std::string> due = queued();
  ASSERT_FALSE(due.empty());
  EXPECT_TRUE(screen().queue().finishWords().empty()) << "yesterday's answers are not browsed";
  for (const std::string& word : due) EXPECT_TRUE(grades.count(word)) << word;
}

TEST_F(ReviewScreen, ARemovalThatFailsLeavesTheWordAndSaysSo) {
  CallDB::callDB()->InsertStudyWord("achieve", int64_t(kMorning - plat::kReferenceDateOffset));
  ReViewController::addNewWordFinish({"achieve"});
  host_->runUntilIdle();
  ASSERT_EQ(live(), "achieve");
  ASSERT_FALSE(screen().deleteWordBtn()->isHidden());

  // The store refuses to write: the removal is rolled back.
  CallDB* store = CallDB::callDB();
  store->sql_update("PRAGMA query_only = 1", "", plat::Value::array());
  screen().delete_word();
  store->sql_update("PRAGMA query_only = 0", "", plat::Value::array());
  EXPECT_EQ(queued(), (std::vector<std::string>{"achieve"}));
  EXPECT_EQ(live(), "achieve");
  host_->advance(0.8);  // the message fades in
  auto* bubble = MyAlerView::sharedAler()->viewWithTag(MyAlerView::kLabelTag);
  EXPECT_EQ(bubble->displayedText().substr(0, 12),
            plat::localized("review_eg9", "InfoPlist").substr(0, 12));

  screen().delete_word();
  EXPECT_TRUE(queued().empty());
  EXPECT_TRUE(CallDB::callDB()->GetStudyLog("achieve").size() == 0);
  EXPECT_FALSE(screen().infoLabel()->isHidden());
}

// The hidden card is laid out just after the screen showing the word is drawn, so that the word
// shows first; a reveal before then lays it out at once, and a later word replaces a waiting one.
TEST_F(ReviewScreen, TheHiddenCardIsLaidOutJustAfterTheWordShowsAndAtOnceOnTheReveal) {
  for (const char* word : {"achieve", "support"})
    CallDB::callDB()->InsertStudyWord(word, int64_t(kMorning - plat::kReferenceDateOffset));
  ReViewController::addNewWordFinish({"achieve", "support"});
  host_->runUntilIdle();
  BaseWordViewController& card = *screen().wordView();
  const BaseWordViewController::Section& examples = card.section(ReviewListSort::kExamples);
  EXPECT_NE(card.wordBtn()->currentTitle(), live()) << "not before the screen is drawn";
  host_->advance(BaseWordViewController::kCoveredLayoutDelay);
  EXPECT_EQ(card.wordBtn()->currentTitle(), live()) << "ready before the learner asks";
  EXPECT_EQ(screen().wordView()->view()->alpha(), 0);
  const std::string firstExamples = examples.page->displayedText();
  EXPECT_FALSE(firstExamples.empty());
  EXPECT_GT(examples.measuredHeight, 1);

  // The next word is revealed before its layout was due: the card shows it complete.
  answer(2);
  ASSERT_NE(card.wordBtn()->currentTitle(), live());
  ASSERT_TRUE(host_->tap(screen().showBtn()));
  EXPECT_EQ(card.wordBtn()->currentTitle(), live());
  EXPECT_FALSE(examples.page->isHidden());
  EXPECT_FALSE(examples.page->displayedText().empty());
  EXPECT_NE(examples.page->displayedText(), firstExamples);
}

}  // namespace

// A long word on the strip: the word and both of its transcriptions show whole.
TEST_F(ReviewScreen, ALongWordShowsWholeOnTheStrip) {
  CallDB::callDB()->InsertStudyWord("telecommunication",
                                    int64_t(kMorning - plat::kReferenceDateOffset));
  ReViewController::addNewWordFinish({"telecommunication"});
  host_->runUntilIdle();
  ASSERT_EQ(live(), "telecommunication");
  ASSERT_NE(screen().PhoneticsBtn()->currentTitle().find("英["), std::string::npos);
  EXPECT_TRUE(learntest::showsWholeTitle(*screen().PhoneticsBtn()))
      << screen().PhoneticsBtn()->currentTitle();
  EXPECT_TRUE(learntest::showsWholeTitle(*screen().wordBtn()));
  write("review_long_word.png");
  // Revealed, the word stands clear of the remove button beside it on the card.
  ASSERT_TRUE(host_->tap(screen().showBtn()));
  ASSERT_FALSE(screen().deleteWordBtn()->isHidden());
  EXPECT_EQ(learntest::textsUnder(*screen().view(), *screen().deleteWordBtn()),
            std::vector<std::string>{});
  write("review_long_word_revealed.png");
}

TEST_F(ReviewScreen, IdleWithANoticeTheControlsCoverNoText) {
  learnTwoWordsThenCheckTheIdleScreen("review_idle_notice.png");
}

// A tablet lays the idle screen out by the same rules: nothing stacks on the notice.
class ReviewScreenOnATablet : public ReviewScreen {
 protected:
  void startApp() override {
    plat::DeviceInfo tablet = plat::Device::current();
    tablet.idiom = plat::DeviceIdiom::Tablet;
    tablet.screenWidth = 768;
    tablet.screenHeight = 1024;
    plat::Device::override(tablet);
    ReviewScreen::startApp();
  }
  void TearDown() override {
    ReviewScreen::TearDown();
    plat::Device::resetOverride();
  }
};

TEST_F(ReviewScreenOnATablet, IdleWithANoticeTheControlsCoverNoText) {
  learnTwoWordsThenCheckTheIdleScreen("review_idle_notice_tablet.png");
}

// Turned on its side, the idle screen keeps its shape: the notice's page and its daily-lesson
// link keep their margins in the wider panel; the text and the buttons below stay centred.
TEST_F(ReviewScreenOnATablet, TurnedTheIdleScreenKeepsItsShape) {
  idleWithANotice();
  const plat::View& panel = *screen().adView();
  const plat::View* lesson = host_->findButton("每日课堂");
  ASSERT_NE(lesson, nullptr);
  const plat::View* page = nullptr;
  for (const auto& child : panel.subviews())
    if (dynamic_cast<const plat::WebView*>(child.get())) page = child.get();
  ASSERT_NE(page, nullptr);
  auto rightMargin = [&](const plat::View& v) { return panel.bounds().width - v.frame().maxX(); };
  const double pageMargin = rightMargin(*page), lessonMargin = rightMargin(*lesson);
  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::LandscapeLeft));
  settle();
  const plat::View& root = *screen().view();
  ASSERT_GT(root.bounds().width, root.bounds().height);
  EXPECT_EQ(rightMargin(*page), pageMargin);
  EXPECT_EQ(rightMargin(*lesson), lessonMargin);
  for (const plat::View* centred : {static_cast<const plat::View*>(screen().infoLabel()),
                                    static_cast<const plat::View*>(screen().backupDataBtn()),
                                    static_cast<const plat::View*>(screen().today_reBtn())})
    EXPECT_NEAR(centred->frame().midX(), root.bounds().midX(), 1) << centred->displayedText();
  expectIdleControlsClearOfText();
  write("review_idle_notice_turned.png");
}

// Turned, the reveal button stays under the centred word, and with the word revealed the three
// answer buttons share the wider bottom row: none reaches over its neighbour, and turning back
// gives each its first place.
TEST_F(ReviewScreenOnATablet, TurnedTheAnswerButtonsStaySideBySide) {
  for (const char* word : {"achieve", "support"})
    CallDB::callDB()->InsertStudyWord(word, int64_t(kMorning - plat::kReferenceDateOffset));
  ReViewController::addNewWordFinish({"achieve", "support"});
  settle();
  const std::vector<plat::Rect> upright = {screen().answerButton(2)->frame(),
                                           screen().answerButton(3)->frame(),
                                           screen().answerButton(4)->frame()};
  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::LandscapeLeft));
  settle();
  const plat::View& root = *screen().view();
  ASSERT_GT(root.bounds().width, root.bounds().height);
  EXPECT_NEAR(screen().showBtn()->frame().midX(), root.bounds().midX(), 1);
  ASSERT_TRUE(host_->tap(screen().showBtn()));
  for (int grade = 2; grade <= 4; ++grade) {
    const plat::Rect frame = screen().answerButton(grade)->frame();
    EXPECT_GE(frame.x, 0) << grade;
    EXPECT_LE(frame.maxX(), root.bounds().width) << grade;
    if (grade < 4) {
      EXPECT_LT(frame.maxX(), screen().answerButton(grade + 1)->frame().x)
          << "button " << grade << " reaches over the next one";
    }
  }
  write("review_answers_turned.png");
  // The learner can still answer each grade where its title stands.
  ASSERT_TRUE(host_->tap(screen().answerButton(3)));
  EXPECT_EQ(screen().queue().finishWords().size(), 1u);
  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::Portrait));
  settle();
  for (int grade = 2; grade <= 4; ++grade) {
    const plat::Rect frame = screen().answerButton(grade)->frame();
    const plat::Rect& before = upright[size_t(grade - 2)];
    EXPECT_NEAR(frame.x, before.x, 0.5) << grade;
    EXPECT_NEAR(frame.width, before.width, 0.5) << grade;
  }
}

TEST_F(ReviewScreen, OnlyAWordNeverTestedOffersItsRemoval) {
  answered("quiet", -600, 2, 2, 2);                // tested yesterday, due by the end of today
  host_->clock()->set(kMorning + 17 * 3600 + 60);  // 03:01 the next day: it is due now
  ReViewController::downDataFinish();
  host_->runUntilIdle();
  ASSERT_EQ(live(), "quiet");
  EXPECT_TRUE(screen().deleteWordBtn()->isHidden()) << "its study record would go with it";
}
