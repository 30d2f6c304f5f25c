// The mnemonic offer window and the excellent mnemonics, against the stand-in server.
#include "account/AcceptUIWindow.h"
#include "books/WordsUIViewController.h"
#include "online/EMListNSObject.h"
#include "platform/view/Application.h"
#include "store/CallDB.h"
#include "tests/online/AccountUiTest.h"

namespace onlinetest {
namespace {

using testsupport::ServerReply;
using testsupport::StandInForm;

constexpr const char* kWord = "achieve";
constexpr const char* kOffered = "a 一个 + chieve 首领：首领一个人完成";

struct ClosedCounter : AcceptUIWindowDeleage, EMListNSObjectDeleage {
  int closed = 0, fetched = 0;
  void closeAcceptUIWindow_callback() override { ++closed; }
  void GetEMList_finish_callback() override { ++fetched; }
};

class MnemonicOfferTest : public SignedInTest {
 protected:
  void SetUp() override {
    SignedInTest::SetUp();
    CallDB::callDB()->UpdatePersonalValue("autoAccept", "1");
    server_->addNote(false, wordId(kWord), "较少人采纳的", "erin", 1690000000, 1);
    server_->addNote(false, wordId(kWord), kOffered, "dave", 1690000000, 5, true);
  }
  bool gone() {
    return waitFor([] { return AcceptUIWindow::shown() == nullptr; });
  }
};

TEST_F(MnemonicOfferTest, TheCardOffersTheBestMnemonicAndAdoptsItOnce) {
  pushCard(kWord);
  ASSERT_TRUE(waitFor([] { return AcceptUIWindow::shown() != nullptr; }));
  AcceptUIWindow* window = AcceptUIWindow::shown();
  EXPECT_EQ(plat::Application::shared().keyWindow(), window);
  AcceptViewController& offer = window->content();
  EXPECT_EQ(offer.helpInfo().text(), kOffered);
  host_->advance(1);
  picture("offer_window.png");

  server_->delayNext("accept_mnemonic.php", 0.3);
  ASSERT_TRUE(host_->tap(&offer.acceptBtn()));
  ASSERT_TRUE(host_->tap(&offer.acceptBtn()));
  ASSERT_TRUE(gone());
  EXPECT_EQ(server_->count("accept_mnemonic.php"), 1) << "a second tap waits for the first";
  EXPECT_EQ(StandInForm::of(server_->lastRequest("accept_mnemonic.php"))["mnemonic_id"],
            std::to_string(server_->notes(false).at(1).id));
  EXPECT_EQ(CallDB::callDB()->getMnemonic(kWord), kOffered);
  EXPECT_EQ(plat::Application::shared().keyWindow(), app_->window.get());
}

TEST_F(MnemonicOfferTest, RefusalsKeepTheWindowAndClosingDeclinesTheWord) {
  auto counter = std::make_shared<ClosedCounter>();
  plat::Value row =
      plat::Value::array({server_->notes(false).at(1).id, kOffered, 5, 1690000000, "dave", 0});
  AcceptUIWindow::show(counter, kWord, row);
  host_->advance(1);
  AcceptViewController& offer = AcceptUIWindow::shown()->content();

  // "不再提示" toggles the offers.
  ASSERT_TRUE(host_->tap(&offer.noPromptBtn()));
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("autoAccept"), "0");
  ASSERT_TRUE(host_->tap(&offer.noPromptBtn()));
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("autoAccept"), "1");

  // A refusal shows its message, a bad status nothing; the window stays and accepts again.
  server_->replaceNext("accept_mnemonic.php",
                       ServerReply::text(R"({"result":0,"msg":"今天采纳太多了"})"));
  ASSERT_TRUE(host_->tap(&offer.acceptBtn()));
  ASSERT_TRUE(waitFor([&] { return bubble() == "今天采纳太多了"; }));
  ASSERT_TRUE(waitFor([&] { return bubble().empty(); }));
  server_->failNext("accept_mnemonic.php");
  ASSERT_TRUE(host_->tap(&offer.acceptBtn()));
  ASSERT_TRUE(waitFor([&] { return server_->count("accept_mnemonic.php") == 2; }));
  settle();
  ASSERT_TRUE(AcceptUIWindow::shown());
  EXPECT_EQ(CallDB::callDB()->getMnemonic2(kWord), "");

  // Closing declines: the word shows no mnemonic and gets no further offer.
  ASSERT_TRUE(host_->tap(&offer.closeBtn()));
  ASSERT_TRUE(gone());
  EXPECT_EQ(counter->closed, 1);
  EXPECT_EQ(CallDB::callDB()->getMnemonic2(kWord), CallDB::DeclinedMnemonic);
  EXPECT_EQ(CallDB::callDB()->getMnemonic(kWord), "");
}

TEST_F(MnemonicOfferTest, ExcellentMnemonicsFollowTheLastEntryId) {
  const int64_t achieve = wordId(kWord);
  const int64_t other = wordId("abandon");
  server_->addExcellent({5, achieve, 11, 3, "a 一个 chieve 首领", "老师"});
  server_->addExcellent({7, other, 12, 4, "a band on 一个乐队在上面", "同学"});
  ClosedCounter told;
  EMListNSObject list;
  list.setDeleage(&told);
  list.getExcellentMnemonic();
  ASSERT_TRUE(waitFor([&] { return told.fetched == 1; }));
  EXPECT_EQ(StandInForm::of(server_->lastRequest("update_excellent_mnemonic.php"))["last_em_id"],
            "0");
  CallDB* db = CallDB::callDB();
  EXPECT_EQ(db->getPersonalValue("last_em_id"), "7");
  EXPECT_EQ(db->getSpecialMnemonicInfo(kWord).at(1).asString(), "a 一个 chieve 首领");

  // Only what came after the last entry.
  server_->addExcellent({9, achieve, 13, 5, "新的推荐", "老师"});
  list.getExcellentMnemonic();
  ASSERT_TRUE(waitFor([&] { return told.fetched == 2; }));
  EXPECT_EQ(StandInForm::of(server_->lastRequest("update_excellent_mnemonic.php"))["last_em_id"],
            "7");
  EXPECT_EQ(db->getSpecialMnemonicInfo(kWord).at(1).asString(), "新的推荐");
  EXPECT_EQ(db->getPersonalValue("last_em_id"), "9");

  // The special book's refresh button fetches too, and the book's lists follow.
  auto book = std::make_shared<WordsUIViewController>();
  book->setNavName("优秀助记");
  book->setParentName("单词本");
  book->setBookID(CallDB::SpecialBookID);
  book->setWordsDic({}, {}, {});
  push(book);
  ASSERT_NE(book->emptyHint(), nullptr);
  EXPECT_FALSE(book->emptyHint()->isHidden()) << "an empty book says where its words come from";
  EXPECT_NE(book->emptyHint()->text().find("刷新"), std::string::npos);
  picture("excellent_book_empty.png");
  server_->addExcellent({10, wordId("ability"), 15, 7, "能力", "老师"});
  ASSERT_TRUE(host_->tap(host_->findButton("刷新")));
  ASSERT_TRUE(waitFor([&] { return book->allWordsNum() == 3; })) << "the three words";
  EXPECT_TRUE(book->emptyHint()->isHidden());
  EXPECT_EQ(db->getPersonalValue("last_em_id"), "10");

  // A failed request tells nobody and keeps the last id.
  server_->dropNext("update_excellent_mnemonic.php", 2);
  list.getExcellentMnemonic();
  ASSERT_TRUE(waitFor([&] { return server_->count("update_excellent_mnemonic.php") >= 4; }));
  settle();
  EXPECT_EQ(told.fetched, 2);
  EXPECT_EQ(bubble(), "");
}

}  // namespace
}  // namespace onlinetest
