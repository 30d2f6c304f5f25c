// The server writes its integers as JSON numbers or as numeric texts, in the rows of its lists as
// in the envelope: the account screens read both alike.
#include "account/AcceptUIWindow.h"
#include "account/HelpRemMgrViewCtrl.h"
#include "account/RecordViewController.h"
#include "online/AccountText.h"
#include "online/EMListNSObject.h"
#include "platform/base/DateFormat.h"
#include "store/CallDB.h"
#include "tests/online/AccountUiTest.h"

namespace onlinetest {
namespace {

using testsupport::ServerReply;
using testsupport::StandInForm;

constexpr const char* kWord = "achieve";

std::string localMinute(int64_t unixTime) {
  return plat::DateFormat("yyyy-MM-dd HH:mm", plat::TimeZone::local()).format(double(unixTime));
}

class NumericTextRepliesTest : public SignedInTest {
 protected:
  std::string sent(const std::string& script, const std::string& name) {
    return StandInForm::of(server_->lastRequest(script))[name];
  }
};

TEST_F(NumericTextRepliesTest, MessagesEndMarkAndDateByNumericTexts) {
  server_->replaceNext(
      "get_user_message.php",
      ServerReply::text(R"({"result":1,"is_end":"1","syn_var":{"nNewMsgCount":"1"},)"
                        R"("msg_list":[["1700000000","第一条"],["1700000060","第二条"]]})"));
  auto screen = push(RecordViewController::forAccount("我的账号信息"));
  ASSERT_TRUE(waitFor([&] { return screen->cellDataDic()["cell_data"].size() == 2; }));
  EXPECT_EQ(screen->footer().state(), LoadMoreFooterView::kNoMore) << "the last page came";
  plat::TableView& table = screen->tableView();
  EXPECT_EQ(cellLabel(table, 0, RecordViewController::kTimeLabelTag)->text(),
            localMinute(1700000000));
  EXPECT_EQ(cellLabel(table, 0, RecordViewController::kTextLabelTag)->text(), "【新】第一条");
  EXPECT_EQ(cellLabel(table, 1, RecordViewController::kTextLabelTag)->text(), "第二条");
  pullUp(table, 90);
  settle();
  EXPECT_EQ(server_->count("get_user_message.php"), 1) << "nothing is asked after the last page";
}

TEST_F(NumericTextRepliesTest, SharedNotesAndTheOfferAdoptTheIdTheServerSent) {
  // A shared mnemonic whose id, count, time and flag are texts.
  server_->replaceNext(
      "find_mnemonic.php",
      ServerReply::text(R"({"result":1,"is_end":"1","mnemonic_list":)"
                        R"([["42","a-chieve 完成","7","1690000000","dave","1"]]})"));
  auto card = pushCard(kWord);
  card->down();
  host_->advance(1);
  auto screen = std::dynamic_pointer_cast<HelpRemMgrViewCtrl>(
      app_->nav->topViewController()->shared_from_this());
  ASSERT_TRUE(screen);
  SharedNoteListController& list = screen->otherView();
  ASSERT_TRUE(waitFor([&] { return list.sortData(0)["cell_data"].size() == 1; }));
  EXPECT_EQ(list.sortData(0)["is_end"].asInt(), 1);
  plat::TableView& table = list.tableView();
  EXPECT_EQ(cellLabel(table, 0, SharedNoteListController::kCountTag)->text(), "7");
  EXPECT_EQ(cellLabel(table, 0, SharedNoteListController::kDateTag)->text(),
            plat::DateFormat("yyyy-MM-dd", plat::TimeZone::local()).format(1690000000.0));

  server_->replaceNext("accept_mnemonic.php",
                       ServerReply::text(R"({"result":1,"accept_num":"8"})"));
  list.didSelectRow(table, {0, 0});
  ASSERT_TRUE(waitFor([&] { return server_->count("accept_mnemonic.php") == 1; }));
  EXPECT_EQ(sent("accept_mnemonic.php", "mnemonic_id"), "42");
  ASSERT_TRUE(waitFor([&] { return app_->nav->topViewController() == card.get(); }));
  EXPECT_EQ(list.sortData(0)["cell_data"].at(0).at(2).asInt(), 8);
  EXPECT_EQ(CallDB::callDB()->getMnemonic(kWord), "a-chieve 完成");
  if (host_->visibleAlert()) host_->pressAlertButton(accounttext::text("alermsg_cancel1"));

  // The offer window's row, as the word card passes it on.
  AcceptUIWindow::show({}, "abandon",
                       plat::Value::array({"43", "a band on", "5", "1690000000", "erin", "0"}));
  host_->advance(1);
  AcceptViewController& offer = AcceptUIWindow::shown()->content();
  EXPECT_EQ(offer.acceptNum().text(), "5");
  server_->replaceNext("accept_mnemonic.php", ServerReply::text(R"({"result":1})"));
  ASSERT_TRUE(host_->tap(&offer.acceptBtn()));
  ASSERT_TRUE(waitFor([] { return AcceptUIWindow::shown() == nullptr; }));
  EXPECT_EQ(sent("accept_mnemonic.php", "mnemonic_id"), "43");
}

TEST_F(NumericTextRepliesTest, ExcellentMnemonicsKeepATextualLastId) {
  const std::string word = std::to_string(wordId(kWord));
  server_->replaceNext("update_excellent_mnemonic.php",
                       ServerReply::text(R"({"last_em_id":"17","em_list":[[")" + word +
                                         R"(","11","a 一个 chieve 首领","老师","3"]]})"));
  EMListNSObject list;
  list.getExcellentMnemonic();
  ASSERT_TRUE(waitFor([] { return CallDB::callDB()->getPersonalValue("last_em_id") == "17"; }));
  EXPECT_EQ(CallDB::callDB()->getSpecialMnemonicInfo(kWord).at(1).asString(), "a 一个 chieve 首领");
}

}  // namespace
}  // namespace onlinetest
