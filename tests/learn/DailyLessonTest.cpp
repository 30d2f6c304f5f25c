// The daily lesson against the stand-in server: a lesson shown, stepping through the days, and
// planning the lucky words in one transaction, with a failing store that plans nothing.
#include "learn/EveryDayViewController.h"
#include "platform/base/Bundle.h"
#include "platform/view/AlertView.h"
#include "platform/view/Application.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "tests/learn/ScreenFixture.h"
#include "ui/MyAlerView.h"

namespace {

using learntest::ScreenTest;

// 2013-05-20 12:00 UTC: the same calendar day in every zone the tests may run in.
constexpr int64_t kLessonTime = 1369051200;

std::string text(const std::string& key) {
  return plat::localized(key, "InfoPlist");
}

class DailyLesson : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    startServer();
    server_->setLesson(0,
                       {"Practice makes perfect.", "熟能生巧。", "achieve support supports quiet",
                        "<p>今天抽取三名幸运学员</p>", kLessonTime});
    server_->setLesson(1, {"Well begun is half done.", "好的开始是成功的一半。", "achieve",
                           "<p>昨天的抽奖</p>", kLessonTime - 86400});
    CallDB::callDB()->InsertStudyWord("achieve", 0);
  }

  // The lesson screen once its first lesson has arrived.
  std::shared_ptr<EveryDayViewController> open() {
    auto screen = std::make_shared<EveryDayViewController>();
    push(screen);
    EXPECT_TRUE(waitFor([&] { return !screen->isLoadNewInfo(); }));
    return screen;
  }
  bool bubbleShown() const { return host_->findByTag(MyAlerView::kTag) != nullptr; }
  // The message bubble takes the screen's touches until it has faded.
  void waitForBubble() {
    host_->advance(10);
    ASSERT_FALSE(bubbleShown());
  }
};

TEST_F(DailyLesson, ALessonShownAndTheDayButtons) {
  // A refusal without a message text shows nothing and keeps the screen as it was.
  server_->replaceNext("daily_lesson.php", testsupport::ServerReply::text(R"({"result":0})"));
  auto screen = open();
  EXPECT_FALSE(bubbleShown());
  EXPECT_EQ(screen->label_info()->text(), "");

  ASSERT_TRUE(host_->tap(screen->dayBtn(3)));
  ASSERT_TRUE(waitFor([&] { return !screen->isLoadNewInfo(); }));
  const testsupport::ServerRequest request = server_->lastRequest("daily_lesson.php");
  EXPECT_EQ(request.header("User-Agent"), "0");
  EXPECT_NE(request.target.find("day_index=0&account=&c_type=ios&v_client="), std::string::npos);
  EXPECT_EQ(request.target.find("identifie"), std::string::npos);
  EXPECT_EQ(screen->label_text()->text(), "Practice makes perfect.\n熟能生巧。");
  EXPECT_EQ(screen->label_info()->text(), "achieve support supports quiet");
  EXPECT_EQ(screen->label_time()->text(), "2013年05月20日");
  EXPECT_NE(screen->awardWebView()->displayedText().find("今天抽取三名幸运学员"),
            std::string::npos);
  EXPECT_EQ(screen->addBtnImage(), "gui/ed_aw_nbtn.png");
  write("daily_lesson.png");
  host_->scroll(screen->scrollView(), 0, -350);
  write("daily_lesson_bottom.png");
  screen->openURL(screen->linkBtn(1));
  ASSERT_FALSE(plat::Application::shared().openedURLs().empty());
  EXPECT_EQ(plat::Application::shared().openedURLs().back(), server_->base())
      << "no referral id: the server's address alone";

  // Below day 0 nothing is sent.
  const int sent = server_->count("daily_lesson.php");
  ASSERT_TRUE(host_->tap(screen->dayBtn(2)));
  EXPECT_TRUE(showing(text("alermsg_eg44")));
  EXPECT_EQ(server_->count("daily_lesson.php"), sent);
  waitForBubble();

  // A second tap while a lesson loads is ignored.
  server_->delayNext("daily_lesson.php", 0.5);
  ASSERT_TRUE(host_->tap(screen->dayBtn(1)));
  ASSERT_TRUE(host_->tap(screen->dayBtn(1)));
  ASSERT_TRUE(waitFor([&] { return !screen->isLoadNewInfo(); }));
  landReply();
  EXPECT_EQ(server_->count("daily_lesson.php"), sent + 1);
  EXPECT_EQ(screen->currIndex(), 1);
  EXPECT_EQ(screen->label_time()->text(), "2013年05月19日");
  EXPECT_EQ(screen->addBtnImage(), "gui/ed_aw_sbtn.png") << "every lucky word is planned";

  // A day without a lesson shows the server's message and keeps the day shown.
  ASSERT_TRUE(host_->tap(screen->dayBtn(1)));
  ASSERT_TRUE(waitFor([&] { return !screen->isLoadNewInfo(); }));
  EXPECT_TRUE(showing("今天没有课程"));
  EXPECT_EQ(screen->currIndex(), 1);
  EXPECT_NE(server_->lastRequest("daily_lesson.php").target.find("day_index=2"), std::string::npos);
}

TEST_F(DailyLesson, PlanningTheLuckyWordsIsOneTransactionThatMakesThemDueAndReportsOnce) {
  auto screen = open();
  ASSERT_TRUE(host_->tap(screen->addBtn()));
  EXPECT_TRUE(showing(text("alermsg_eg13"))) << "no account: nothing is planned";
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  waitForBubble();

  // The second word's insertion fails with an error of the database, as a full disk makes one.
  setValue("account", "learner");
  CallDB* store = CallDB::callDB();
  store->sqlMgr().RecordExec(
      "create temp trigger refuse_quiet before insert on Study_List when new.sl_uWordID = " +
      std::to_string(store->getWordID("quiet")) +
      " begin select abs(-9223372036854775807 - 1); end");
  ASSERT_TRUE(host_->tap(screen->addBtn()));
  ASSERT_TRUE(host_->pressAlertButton("加入规划"));
  landReply(0.5);
  EXPECT_FALSE(planned("support")) << "the first insertion is rolled back with the second";
  EXPECT_FALSE(planned("quiet"));
  EXPECT_TRUE(showing(text("ed_eg2")));
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_TRUE(server_->luckyWordReports().empty());
  EXPECT_EQ(screen->addBtnImage(), "gui/ed_aw_nbtn.png");
  waitForBubble();

  store->sqlMgr().RecordExec("drop trigger refuse_quiet");
  ASSERT_TRUE(host_->tap(screen->addBtn()));
  plat::AlertView* confirm = host_->visibleAlert();
  ASSERT_NE(confirm, nullptr);
  EXPECT_NE(confirm->message().find("2"), std::string::npos) << confirm->message();
  ASSERT_TRUE(host_->pressAlertButton("加入规划"));
  landReply();
  EXPECT_TRUE(planned("support"));
  EXPECT_TRUE(planned("quiet"));
  EXPECT_EQ(CallDB::callDB()->GetReviewWords("newlearn").size(), 3u) << "due with \"achieve\"";
  ASSERT_TRUE(waitFor([&] { return !server_->luckyWordReports().empty(); }));
  EXPECT_EQ(server_->luckyWordReports(),
            (std::vector<std::pair<int64_t, std::string>>{{kLessonTime, "learner"}}));
  EXPECT_EQ(screen->addBtnImage(), "gui/ed_aw_sbtn.png");
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), text("alermsg_eg24"));
  ASSERT_TRUE(host_->pressAlertButton("确定"));
  landReply();
  EXPECT_EQ(app_->nav->topViewController(), app_->root.get()) << "back to the review screen";
}

// On a tablet turned on its side the lesson stays whole in the middle of the wider screen, and
// the date stands clear of the stroke under it: the learner reads every figure of it.
class DailyLessonOnATablet : public DailyLesson {
 protected:
  void startApp() override {
    plat::Screen::main().configure({768, 1024}, 2, plat::UserInterfaceIdiom::Pad);
    DailyLesson::startApp();
  }
  void TearDown() override {
    DailyLesson::TearDown();
    plat::Screen::main().reset();
  }
};

TEST_F(DailyLessonOnATablet, TurnedTheLessonStaysWholeAndItsDateClearOfItsStroke) {
  auto screen = open();
  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::LandscapeLeft));
  settle();
  const plat::View& root = *screen->view();
  ASSERT_GT(root.bounds().width, root.bounds().height);
  auto onScreen = [](const plat::View& v) { return v.convertRectTo(v.bounds(), nullptr); };
  const plat::Rect sentence = onScreen(*screen->label_text());
  EXPECT_NEAR(sentence.midX(), root.bounds().midX(), 1) << "the content is centred";
  for (int link = 1; link <= 3; ++link) {
    const plat::Rect button = screen->linkBtn(link)->frame();
    EXPECT_GE(onScreen(*screen->linkBtn(link)).x, 0) << link;
    EXPECT_LE(onScreen(*screen->linkBtn(link)).maxX(), root.bounds().width) << link;
    EXPECT_LE(button.maxY(), screen->scrollView()->contentSize().height) << "scrolled to";
  }
  write("daily_lesson_tablet_turned.png");

  // Rows of the date label's span, from its top down past the stroke: with yellow ink or not.
  const std::shared_ptr<plat::Image> picture = host_->renderScreen();
  ASSERT_TRUE(picture);
  const plat::Rect date = onScreen(*screen->label_time());
  const double scale = picture->scale();
  std::vector<double> yellowShare;
  for (int y = int(date.y * scale); y < int((date.maxY() + 20) * scale); ++y) {
    int yellow = 0, all = 0;
    for (int x = int(date.x * scale); x < int(date.maxX() * scale); ++x, ++all) {
      const plat::Color c = picture->pixel(x, y);
      yellow += c.r > 0.8 && c.g > 0.65 && c.b < 0.35;
    }
    yellowShare.push_back(double(yellow) / all);
  }
  size_t stroke = 0;  // the first row of the stroke, yellow across the whole label
  while (stroke < yellowShare.size() && yellowShare[stroke] < 0.9) ++stroke;
  ASSERT_LT(stroke, yellowShare.size()) << "the stroke under the date";
  size_t lastInk = 0;  // the date's lowest row of ink above it
  for (size_t y = 0; y < stroke; ++y)
    if (yellowShare[y] > 0) lastInk = y;
  ASSERT_GT(lastInk, 0u) << "the date is drawn";
  EXPECT_GE(stroke - lastInk, 3u) << "the date's figures run into its stroke";
}

// Read to its end on its side and turned upright, the lesson shows its links at the foot of the
// taller screen, with no blank space below them.
TEST_F(DailyLessonOnATablet, ScrolledToItsEndAndTurnedUprightItShowsNoBlankSpaceBelowItsLinks) {
  auto screen = open();
  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::LandscapeLeft));
  settle();
  plat::ScrollView& scroll = *screen->scrollView();
  host_->scroll(&scroll, 0, -2000);
  ASSERT_EQ(scroll.contentOffset(), scroll.maximumOffset());
  ASSERT_GT(scroll.contentOffset().y, 0) << "the turned lesson is taller than the screen";

  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::Portrait));
  settle();
  write("daily_lesson_tablet_upright_at_its_end.png");
  EXPECT_LE(scroll.contentOffset().y + scroll.bounds().height, scroll.contentSize().height)
      << "blank space below the content";
  const plat::Rect lastLink = screen->linkBtn(3)->convertRectTo(screen->linkBtn(3)->bounds(),
                                                                scroll.superview());
  EXPECT_LE(lastLink.maxY(), scroll.frame().maxY()) << "the last link is on screen";
}

}  // namespace
