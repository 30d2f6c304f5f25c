// The messages screen and its load-more footer against the stand-in server.
#include "account/LoadMoreFooterView.h"
#include "account/RecordViewController.h"
#include "platform/base/RunLoop.h"
#include "platform/view/ViewController.h"
#include "store/CallDB.h"
#include "tests/online/AccountUiTest.h"

namespace onlinetest {
namespace {

template <typename Signed>
class MessagesFixture : public Signed {
 protected:
  std::shared_ptr<RecordViewController> open() {
    auto screen = RecordViewController::forAccount("我的账号信息");
    this->push(screen);
    return screen;
  }
  static size_t rows(const RecordViewController& screen) {
    return screen.cellDataDic()["cell_data"].size();
  }
  // The page the last request asked for.
  std::string page() {
    return testsupport::StandInForm::of(this->server_->lastRequest("get_user_message.php"))["page"];
  }
  void send(int count, const std::string& text) {
    for (int i = 0; i < count; ++i)
      this->server_->sendMessage("carol", text + std::to_string(i), 1700000000 + i * 60);
  }

  // The rows a learner can see: scrolled to each row in turn, every row drawn as a cell that
  // stands above the footer. The footer is opaque and as tall as the table, so a row it covers
  // is lost to the learner although the table holds it.
  static int shownRows(RecordViewController& screen) {
    plat::TableView& table = screen.tableView();
    table.layoutIfNeeded();
    const double footerTop = screen.footer().frame().y;
    EXPECT_GE(footerTop, table.contentSize().height) << "the footer starts below the last row";
    int shown = 0;
    for (int row = 0; row < table.numberOfRows(0); ++row) {
      table.scrollToRow({0, row}, plat::TableViewScrollPosition::Bottom, false);
      table.layoutIfNeeded();
      if (table.rectForRow({0, row}).maxY() > footerTop || !table.cellForRow({0, row})) continue;
      ++shown;
      const plat::Label* text = Signed::cellLabel(table, row, RecordViewController::kTextLabelTag);
      const plat::Rect inTable = text->convertRectTo(text->bounds(), &table);
      EXPECT_LE(inTable.maxX(), table.bounds().width - 5) << "row " << row << " runs off";
    }
    return shown;
  }

  // Twelve messages: a first page of ten, then the last two, every one of them shown. The ten
  // rows of the first page must fill more than the screen.
  void pageThroughTwelve(const std::string& text, const std::string& pictureName) {
    send(12, text);
    auto screen = open();
    ASSERT_TRUE(this->waitFor([&] { return screen->tableView().numberOfRows(0) == 10; }));
    EXPECT_EQ(shownRows(*screen), 10);
    this->pullUp(screen->tableView(), 66);
    ASSERT_TRUE(
        this->waitFor([&] { return screen->footer().state() == LoadMoreFooterView::kNoMore; }));
    EXPECT_EQ(page(), "1");
    EXPECT_EQ(screen->tableView().numberOfRows(0), 12);
    EXPECT_EQ(shownRows(*screen), 12) << "the second page is seen below the first";
    this->host_->runUntilIdle();
    this->picture(pictureName);
  }
};

using MessagesScreenTest = MessagesFixture<SignedInTest>;
using MessagesOnATabletTest = MessagesFixture<SignedInOnATabletTest>;

TEST_F(MessagesScreenTest, EveryPageIsShownAboveTheFooter) {
  pageThroughTwelve("消息", "messages_all_twelve.png");
}

TEST_F(MessagesOnATabletTest, EveryPageIsShownAboveTheFooter) {
  std::string text;
  for (int i = 0; i < 6; ++i) text += "欢迎注册！读过之后，设置页上的消息数就会消失。";
  pageThroughTwelve(text, "messages_all_twelve_tablet.png");
}

TEST_F(MessagesScreenTest, PagesToTheEndMarkingTheNewRowsAndClearingTheBadge) {
  send(15, "欢迎使用，这是第");
  auto screen = open();
  ASSERT_TRUE(waitFor([&] { return rows(*screen) == 10; }));
  EXPECT_EQ(page(), "0");
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("nNewMsgCount"), "0");
  EXPECT_EQ(told_.back(), "badge:0") << "the server's count, then none";

  pullUp(screen->tableView(), 66);
  ASSERT_TRUE(waitFor([&] { return rows(*screen) == 15; }));
  EXPECT_EQ(page(), "1");
  EXPECT_EQ(screen->footer().state(), LoadMoreFooterView::kNoMore);
  EXPECT_TRUE(screen->footer().arrowImage().isHidden());
  pullUp(screen->tableView(), 90);
  settle();
  EXPECT_EQ(server_->count("get_user_message.php"), 2) << "nothing after the last page";
  // Shown again when a screen over it goes, the list read to its end asks for nothing.
  app_->nav->pushViewController(std::make_shared<plat::ViewController>(), false);
  app_->nav->popViewController(false);
  settle();
  EXPECT_EQ(screen->footer().state(), LoadMoreFooterView::kNoMore);
  EXPECT_FALSE(screen->loadMoreFooterDataSourceIsLoading(screen->footer()));
  EXPECT_EQ(server_->count("get_user_message.php"), 2);

  // Three new messages: those rows are marked and black, the rest grey; the marks stay.
  app_->nav->popViewController(false);
  screen.reset();
  send(3, "新消息");
  screen = open();
  ASSERT_TRUE(waitFor([&] { return rows(*screen) == 10; }));
  EXPECT_EQ(screen->newNews(), 3);
  plat::TableView& table = screen->tableView();
  EXPECT_EQ(cellLabel(table, 0, RecordViewController::kTextLabelTag)->text(), "【新】新消息2");
  EXPECT_EQ(cellLabel(table, 2, RecordViewController::kTextLabelTag)->textColor(),
            plat::Color::black());
  plat::Label* old = cellLabel(table, 3, RecordViewController::kTextLabelTag);
  EXPECT_EQ(old->text(), "欢迎使用，这是第14");
  EXPECT_NE(old->textColor(), plat::Color::black());
  picture("messages.png");
}

TEST_F(MessagesScreenTest, TheFooterLoadsPastItsThresholdOneRequestAtATime) {
  send(24, "消息");
  server_->sendMessage(
      "carol",
      std::string(40, 'w') + " 很长的一条消息，会换成好几行显示在列表里。" + std::string(60, 'x'),
      1800000000);
  auto screen = open();
  ASSERT_TRUE(waitFor([&] { return rows(*screen) == 10; }));
  plat::TableView& table = screen->tableView();
  EXPECT_GT(table.rectForRow({0, 0}).height, 100) << "a long message grows its row";

  pullUp(table, 64);
  settle();
  EXPECT_EQ(server_->count("get_user_message.php"), 1) << "not far enough";

  // Past the threshold the footer offers to load; letting go loads with the footer in view.
  server_->delayNext("get_user_message.php", 1);
  const plat::Point start = table.convertPointTo({100, table.contentOffset().y + 100}, nullptr);
  table.beginDrag(start);
  table.dragTo({start.x, start.y - 120});
  EXPECT_EQ(screen->footer().state(), LoadMoreFooterView::kPulling);
  table.endDrag({start.x, start.y - 120});
  EXPECT_EQ(screen->footer().state(), LoadMoreFooterView::kLoading);
  EXPECT_EQ(table.contentInset().bottom, LoadMoreFooterView::kThreshold);
  pullUp(table, 100);
  ASSERT_TRUE(waitFor([&] { return rows(*screen) == 20; }));
  settle();
  EXPECT_EQ(server_->count("get_user_message.php"), 2) << "a pull while loading sends nothing";
  EXPECT_EQ(screen->footer().state(), LoadMoreFooterView::kNormal);
  EXPECT_EQ(table.contentInset().bottom, 0);

  // A failed page changes nothing and is asked for again.
  server_->failNext("get_user_message.php");
  pullUp(table, 66);
  ASSERT_TRUE(waitFor([&] { return server_->count("get_user_message.php") == 3; }));
  settle();
  EXPECT_EQ(rows(*screen), 20u);
  EXPECT_EQ(screen->footer().state(), LoadMoreFooterView::kNormal);
  pullUp(table, 66);
  ASSERT_TRUE(waitFor([&] { return rows(*screen) == 25; }));
  EXPECT_EQ(page(), "2");
}

// A learner pulling again and again past the end, each pull begun before the last one has
// sprung back: the first loads the last page, and however the pulls add up, rows stay in view
// above the footer's 没有更多消息了.
TEST_F(MessagesScreenTest, PullsBegunBeforeTheLastSprangBackKeepRowsInView) {
  send(12, "消息");
  auto screen = open();
  ASSERT_TRUE(waitFor([&] { return rows(*screen) == 10; }));
  plat::TableView& table = screen->tableView();
  table.setContentOffset(table.maximumOffset());
  host_->runUntilIdle();
  // The rows' share of the table's height, the footer standing below them.
  auto rowsInView = [&] {
    table.layoutIfNeeded();
    return (screen->footer().frame().y - table.contentOffset().y) / table.bounds().height;
  };
  for (int pull = 0; pull < 4; ++pull) {
    const plat::Point from = table.convertPointTo(
        {table.bounds().width / 2, table.contentOffset().y + table.bounds().height - 20}, nullptr);
    host_->swipe(from, {from.x, from.y - 300}, 10, 0.3);
    EXPECT_GT(rowsInView(), 0.4) << "pull " << pull;
    if (pull == 0) {
      ASSERT_TRUE(waitFor([&] { return screen->footer().state() == LoadMoreFooterView::kNoMore; }));
    }
    if (pull == 3) picture("messages_pulled_again_and_again.png");
    host_->advance(0.1);  // partly sprung back
  }
  host_->advance(1);
  EXPECT_EQ(table.numberOfRows(0), 12);
  EXPECT_EQ(table.contentOffset().y, table.maximumOffset().y) << "back at the list's end";
  EXPECT_EQ(server_->count("get_user_message.php"), 2);
}

TEST_F(MessagesScreenTest, AReplyForAScreenThatWentIsDropped) {
  send(2, "消息");
  CallDB::callDB()->UpdatePersonalValue("nNewMsgCount", "2");
  server_->delayNext("get_user_message.php", 0.2);
  auto screen = open();
  ASSERT_TRUE(waitFor([&] { return server_->count("get_user_message.php") == 1; }));
  app_->nav->popViewController(false);
  std::weak_ptr<RecordViewController> gone = screen;
  screen.reset();
  host_->runUntilIdle();
  ASSERT_TRUE(gone.expired());
  plat::RunLoop::main().runUntil([] { return false; }, 0.5);
  host_->runUntilIdle();
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("nNewMsgCount"), "2") << "nothing was handled";
}

}  // namespace
}  // namespace onlinetest
