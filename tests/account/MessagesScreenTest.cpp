// The messages screen and its load-more footer against the stand-in server.
#include "account/LoadMoreFooterView.h"
#include "account/RecordViewController.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "tests/online/AccountUiTest.h"

namespace onlinetest {
namespace {

class MessagesScreenTest : public SignedInTest {
 protected:
  std::shared_ptr<RecordViewController> open() {
    auto screen = RecordViewController::forAccount("我的账号信息");
    push(screen);
    return screen;
  }
  static size_t rows(const RecordViewController& screen) {
    return screen.cellDataDic()["cell_data"].size();
  }
  // The page the last request asked for.
  std::string page() {
    return testsupport::StandInForm::of(server_->lastRequest("get_user_message.php"))["page"];
  }
  void send(int count, const std::string& text) {
    for (int i = 0; i < count; ++i)
      server_->sendMessage("carol", text + std::to_string(i), 1700000000 + i * 60);
  }
};

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
