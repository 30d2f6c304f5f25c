// The word note screen against the stand-in server: shared notes, the own note, and sharing.
#include "account/HelpRemMgrViewCtrl.h"
#include "online/AccountText.h"
#include "online/LoginUIWindow.h"
#include "online/LoginViewController.h"
#include "platform/base/Utf.h"
#include "platform/view/AlertView.h"
#include "platform/view/Animation.h"
#include "platform/view/BarItems.h"
#include "platform/view/Keyboard.h"
#include "platform/view/NavigationController.h"
#include "platform/view/PasteBound.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/online/AccountUiTest.h"
#include "tests/support/Patience.h"

namespace onlinetest {
namespace {

using accounttext::text;
using testsupport::StandInForm;

constexpr const char* kWord = "achieve";

class SharedNotesTest : public SignedInTest {
 protected:
  // The card's mnemonic (1) or grammar (2) button opens the note screen.
  std::shared_ptr<HelpRemMgrViewCtrl> openNotes(int type) {
    card_ = pushCard(kWord);
    if (type == 1)
      card_->down();
    else
      card_->yf_down();
    host_->advance(1);  // the push slides in
    auto screen = std::dynamic_pointer_cast<HelpRemMgrViewCtrl>(
        app_->nav->topViewController()->shared_from_this());
    EXPECT_TRUE(screen);
    return screen;
  }
  static size_t rows(const HelpRemMgrViewCtrl& screen, int order) {
    return screen.otherView().sortData(order)["cell_data"].size();
  }
  static std::string rowText(const HelpRemMgrViewCtrl& screen, int order, size_t row) {
    return screen.otherView().sortData(order)["cell_data"].at(row).at(1).asString();
  }
  // `sentence` said again and again, `units` UTF-16 units of it.
  static std::string noteOf(const std::string& sentence, size_t units) {
    std::string note;
    while (plat::utf::utf16Length(note) < units) note += sentence;
    return plat::utf::substringUtf16(note, 0, units);
  }
  StandInForm lastForm(const std::string& script) {
    return StandInForm::of(server_->lastRequest(script));
  }

  std::shared_ptr<BaseWordViewController> card_;
};

TEST_F(SharedNotesTest, MnemonicsInBothOrdersPageAndAdoptWithTheRepliesKeptToTheirRow) {
  const int64_t word = wordId(kWord);
  for (int i = 0; i < 11; ++i)
    server_->addNote(false, word, "记法" + std::to_string(i), "dave", 1690000000 + i * 3600, i,
                     i == 10);
  server_->addNote(false, word, "a-chieve\\n一个 chief 完成", "erin", 1600000000, 50);
  server_->addNote(false, word, "我自己的记法", "carol", 1650000000, 2);
  auto screen = openNotes(1);
  ASSERT_TRUE(waitFor([&] { return rows(*screen, 0) == 11; }));
  StandInForm first = lastForm("find_mnemonic.php");
  EXPECT_EQ(first["word_id"], std::to_string(word));
  EXPECT_EQ(first["order_type"], "1");
  const plat::Value& own = screen->otherView().sortData(0)["cell_data"].at(0);
  EXPECT_EQ(own.at(4).asString(), "自己") << "the learner's own note first";
  EXPECT_EQ(rowText(*screen, 0, 1), "a-chieve\\n一个 chief 完成") << "most adopted next";
  plat::TableView& table = screen->otherView().tableView();
  EXPECT_EQ(cellLabel(table, 1, SharedNoteListController::kTextTag)->text(),
            "a-chieve\n一个 chief 完成");
  picture("shared_mnemonics.png");

  // By time: a first page of its own; back by adoptions from memory.
  ASSERT_TRUE(host_->tap(screen->timeBtn()));
  ASSERT_TRUE(waitFor([&] { return rows(*screen, 1) == 11; }));
  EXPECT_EQ(lastForm("find_mnemonic.php")["order_type"], "2");
  EXPECT_EQ(rowText(*screen, 1, 1), "记法10") << "newest first";
  ASSERT_TRUE(host_->tap(screen->acceptBtn()));
  settle();
  EXPECT_EQ(server_->count("find_mnemonic.php"), 2);
  EXPECT_EQ(screen->otherView().currSortType(), 0);

  // A next page asked for the order by adoptions lands there, though the learner switched.
  server_->delayNext("find_mnemonic.php", 0.5);
  pullUp(table, 66);
  ASSERT_TRUE(waitFor([&] { return server_->count("find_mnemonic.php") == 3; }));
  ASSERT_TRUE(host_->tap(screen->timeBtn()));
  ASSERT_TRUE(waitFor([&] { return rows(*screen, 0) == 13; }));
  EXPECT_EQ(lastForm("find_mnemonic.php")["page"], "1");
  EXPECT_EQ(rows(*screen, 1), 11u);
  EXPECT_EQ(screen->otherView().sortData(0)["is_end"].asInt(), 1);
  EXPECT_EQ(rowText(*screen, 0, 12), "记法0");

  // Adopting row 2 by time, then switching before the reply: row 2 by time is adopted.
  const std::string tapped = rowText(*screen, 1, 2);
  server_->delayNext("accept_mnemonic.php", 0.5);
  ASSERT_TRUE(host_->tap(table.cellForRow({0, 2})));
  ASSERT_TRUE(waitFor([&] { return server_->count("accept_mnemonic.php") == 1; }));
  ASSERT_TRUE(host_->tap(screen->acceptBtn()));
  ASSERT_TRUE(waitFor([&] { return app_->nav->topViewController() == card_.get(); }));
  EXPECT_EQ(CallDB::callDB()->getMnemonic(kWord), tapped);
  EXPECT_EQ(screen->otherView().sortData(1)["cell_data"].at(2).at(2).asInt(), 10);
  EXPECT_EQ(rows(*screen, 0), 13u);
  EXPECT_NE(rowText(*screen, 0, 2), tapped);

  // The share offer comes until the learner silences it for today.
  ASSERT_TRUE(host_->pressAlertButton(text("alermsg_cancel1")));
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("shareZJ_noLP"),
            std::to_string(MyDate::calendarDayId()));
}

TEST_F(SharedNotesTest, GrammarNotesShareTheOwnNoteAndAdoptWithoutAnAlert) {
  auto screen = openNotes(2);
  ASSERT_TRUE(waitFor([&] { return !screen->otherView().sortData(0).isNull(); }));
  EXPECT_EQ(screen->myHelpView().wordsLimit(), MyHelpRemViewCtrl::kGrammarLimit);
  plat::TableView& list = screen->otherView().tableView();
  EXPECT_EQ(cellLabel(list, 0, SharedNoteListController::kTextTag)->text(), text("helprem_eg2"));
  ASSERT_TRUE(host_->tap(list.cellForRow({0, 0})));
  host_->advance(1);
  EXPECT_EQ(screen->tabbar().selectedIndex(), 1) << "an empty list's row leads to the own note";

  MyHelpRemViewCtrl& own = screen->myHelpView();
  own.helpRemText().setText("achieve sth.\n达到某事");
  ASSERT_TRUE(host_->tap(&own.sharedBtn()));
  ASSERT_TRUE(waitFor([&] { return bubble() == "分享成功"; }));
  EXPECT_EQ(lastForm("upload_yufa.php")["yufa"], "achieve sth. 达到某事");
  EXPECT_EQ(server_->lastRequest("upload_yufa.php").header("User-Agent"), "yufa");

  // The list starts again and holds the shared note; adopting it goes back without an alert.
  ASSERT_TRUE(waitFor([&] { return rows(*screen, 0) == 1; }));
  EXPECT_EQ(server_->count("find_yufa.php"), 2);
  screen->selectTabBtn(0);
  host_->advance(1);
  screen->otherView().didSelectRow(screen->otherView().tableView(), {0, 0});
  ASSERT_TRUE(waitFor([&] { return app_->nav->topViewController() == card_.get(); }));
  EXPECT_EQ(CallDB::callDB()->getYuFa(kWord), "achieve sth. 达到某事");
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_EQ(lastForm("accept_yufa.php")["yufa_id"], std::to_string(server_->notes(true).at(0).id));
}

// A tab tapped while the screen still slides in: its page is the one shown once the screen is in.
TEST_F(SharedNotesTest, TheEditTabTappedWhileTheScreenSlidesInShowsTheOwnNote) {
  card_ = pushCard(kWord);
  card_->down();
  host_->advance(plat::NavigationController::kTransitionSeconds / 2);
  auto screen = std::dynamic_pointer_cast<HelpRemMgrViewCtrl>(
      app_->nav->topViewController()->shared_from_this());
  ASSERT_TRUE(screen);
  ASSERT_TRUE(host_->tap(screen->tabbar().viewWithTag(MyTabbarView::kButtonTagBase + 1)));
  host_->advance(1);
  EXPECT_EQ(screen->tabbar().selectedIndex(), 1);
  const plat::ScrollView& pager = screen->scrollView();
  EXPECT_EQ(pager.contentOffset().x, pager.bounds().width) << "the own note's page";
}

// The back button tapped as the share's reply brings its message, while the page still slides
// down after the keyboard: the learner is back on the card.
TEST_F(SharedNotesTest, TheBackButtonTappedAsTheSharedMessageComesGoesBack) {
  auto screen = openNotes(1);
  ASSERT_TRUE(host_->tap(screen->tabbar().viewWithTag(MyTabbarView::kButtonTagBase + 1)));
  host_->advance(1);
  MyHelpRemViewCtrl& own = screen->myHelpView();
  ASSERT_TRUE(host_->tap(&own.helpRemText()));
  host_->advance(1);
  host_->type("tide: the sea comes in on time");
  ASSERT_TRUE(host_->tap(&own.sharedBtn()));
  // The reply is handled with the virtual clock standing still: the message fades in, the page
  // slides.
  ASSERT_TRUE(plat::RunLoop::main().runUntil([&] { return bubble() == "分享成功"; },
                                             testsupport::kPatience));
  ASSERT_TRUE(plat::Animation::isAnimating(screen->scrollView()));
  const plat::View& back = *screen->navigationItem().leftBarButtonItem()->customView();
  const plat::Rect onScreen = back.convertRectTo(back.bounds(), nullptr);
  host_->tapAt({onScreen.midX(), onScreen.midY()});
  host_->advance(1);
  EXPECT_EQ(app_->nav->topViewController(), card_.get());
}

TEST_F(SharedNotesTest, AListThatCouldNotBeFetchedSaysSoRatherThanThatNobodyShared) {
  server_->dropNext("find_mnemonic.php");
  auto dropped = openNotes(1);
  plat::TableView& list = dropped->otherView().tableView();
  ASSERT_TRUE(waitFor([&] {
    return cellLabel(list, 0, SharedNoteListController::kTextTag)->text() ==
           text("helprem_load_failed");
  }));
  app_->nav->popToRootViewController(false);
  host_->advance(1);

  server_->failNext("find_mnemonic.php", 503);
  auto refused = openNotes(1);
  plat::TableView& refusedList = refused->otherView().tableView();
  ASSERT_TRUE(waitFor([&] { return server_->count("find_mnemonic.php") == 2; }));
  ASSERT_TRUE(waitFor([&] {
    return cellLabel(refusedList, 0, SharedNoteListController::kTextTag)->text() ==
           text("helprem_load_failed");
  }));
  picture("shared_mnemonics_failed.png");
}

TEST_F(SharedNotesTest, TheOwnNoteKeepsItsLimitAndSavesWhenEditingEnds) {
  auto screen = openNotes(1);
  ASSERT_TRUE(host_->tap(screen->tabbar().viewWithTag(MyTabbarView::kButtonTagBase + 1)));
  host_->advance(1);
  MyHelpRemViewCtrl& own = screen->myHelpView();
  picture("own_mnemonic.png");

  // Return ends editing and saves; the store turns tabs into spaces.
  ASSERT_TRUE(host_->tap(&own.helpRemText()));
  host_->type("a-chieve\t完成");
  picture("own_mnemonic_editing.png");
  host_->pressReturn();
  host_->runUntilIdle();
  EXPECT_FALSE(own.helpRemText().isEditing());
  EXPECT_EQ(own.helpRemText().text(), "a-chieve\t完成");
  EXPECT_EQ(CallDB::callDB()->getNote(kWord), "a-chieve 完成");

  // 150 units: typing stops there, deleting works, a paste is cut without splitting a pair.
  ASSERT_TRUE(host_->tap(&own.helpRemText()));
  own.helpRemText().setText(std::string(149, 'a'));
  host_->type("bcd");
  EXPECT_EQ(own.helpRemText().text(), std::string(149, 'a') + "b");
  host_->type("x");
  EXPECT_EQ(plat::utf::utf16Length(own.helpRemText().text()), 150u);
  host_->deleteBackward();
  EXPECT_EQ(own.helpRemText().text(), std::string(149, 'a'));
  host_->type("😀");
  EXPECT_EQ(own.helpRemText().text(), std::string(149, 'a')) << "half a pair is no character";
  own.helpRemText().resignFirstResponder();

  // A paste that comes after the editing ended (a slow owner of the clipboard) is saved as the
  // end of an editing saves; one past the limit is saved as the note shows it, cut.
  ASSERT_TRUE(host_->tap(&own.helpRemText()));
  own.helpRemText().setText("tide");
  own.helpRemText().resignFirstResponder();
  EXPECT_TRUE(plat::Keyboard::pasteInto(own.helpRemText(), ": the sea comes in on time"));
  EXPECT_EQ(CallDB::callDB()->getNote(kWord), "tide: the sea comes in on time");
  EXPECT_TRUE(plat::Keyboard::pasteInto(own.helpRemText(), std::string(121, 'a')));
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_EQ(own.helpRemText().text(), "tide: the sea comes in on time" + std::string(120, 'a'));
  EXPECT_EQ(CallDB::callDB()->getNote(kWord), own.helpRemText().text());

  // The declined marker shows as nothing adopted; clearing allows offers again.
  CallDB::callDB()->saveMnemonic(kWord, CallDB::DeclinedMnemonic);
  screen->myHelpView().willAppearView();
  EXPECT_EQ(own.acceptRemText().text(), "");
  ASSERT_TRUE(host_->tap(&own.clearBtn()));
  EXPECT_EQ(CallDB::callDB()->getMnemonic2(kWord), "");
  EXPECT_EQ(server_->requests().size(), size_t(server_->count("find_mnemonic.php")))
      << "clearing sends nothing";
}

// A paste into a note that runs past its limit goes in and is cut to the limit in UTF-16 units,
// never inside a character; at the limit typing is refused and deleting works. Every other field
// keeps refusing a paste past its bound with a word naming it, and a paste over 4 MB stays refused.
TEST_F(SharedNotesTest, APastePastANotesLimitIsCutToItAndTypingGoesOnAsAtTheLimit) {
  // 149 units: "xyz" brings the note to its first 150.
  const std::string held = noteOf("a 一个 + chieve 首领：首领一个人完成了任务。", 149);
  auto screen = openNotes(1);
  ASSERT_TRUE(host_->tap(screen->tabbar().viewWithTag(MyTabbarView::kButtonTagBase + 1)));
  host_->advance(1);
  MyHelpRemViewCtrl& own = screen->myHelpView();
  plat::TextView& note = own.helpRemText();
  ASSERT_TRUE(host_->tap(&note));
  host_->advance(1);  // the keyboard up, the tabs gone
  note.setText(held);
  EXPECT_TRUE(plat::Keyboard::paste("xyz"));
  EXPECT_EQ(host_->visibleAlert(), nullptr) << host_->visibleAlert()->message();
  EXPECT_EQ(note.text(), held + "x");
  picture("own_mnemonic_paste_cut.png");

  // At the limit a typed character and another paste are refused; a deleted one makes room.
  host_->type("q");
  EXPECT_TRUE(plat::Keyboard::paste("q"));
  EXPECT_EQ(note.text(), held + "x");
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  host_->deleteBackward();
  host_->type("qr");
  EXPECT_EQ(note.text(), held + "q");
  host_->pressReturn();
  EXPECT_EQ(CallDB::callDB()->getNote(kWord), held + "q");

  // A sign outside the basic plane is two units: it goes in whole where both fit, and not at all
  // where one does. A combining accent is a unit of its own, cut as any other.
  const std::string smile = "\xF0\x9F\x98\x80";
  ASSERT_TRUE(host_->tap(&note));
  const std::string shorter = plat::utf::substringUtf16(held, 0, 148);
  note.setText(shorter);
  EXPECT_TRUE(plat::Keyboard::paste(smile + "more"));
  EXPECT_EQ(note.text(), shorter + smile);
  EXPECT_EQ(plat::utf::utf16Length(note.text()), 150u);
  note.setText(held);
  EXPECT_TRUE(plat::Keyboard::paste(smile + "more"));
  EXPECT_EQ(note.text(), held) << "half a pair is no character";
  EXPECT_TRUE(plat::Keyboard::paste("e\xCC\x81"));
  EXPECT_EQ(note.text(), held + "e");

  // A paste of 4 MB is cut as a short one; one over 4 MB is refused whole, as in any text area.
  note.setText(held);
  EXPECT_TRUE(plat::Keyboard::paste("x" + std::string(plat::kMostPastedBytes - 1, 'y')));
  EXPECT_EQ(note.text(), held + "x");
  note.setText(held);
  EXPECT_TRUE(plat::Keyboard::paste(std::string(plat::kMostPastedBytes + 1, 'y')));
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), "文本太长，只能粘贴4MB以内的文本");
  host_->pressAlertButton("确定");
  EXPECT_EQ(note.text(), held);
  note.resignFirstResponder();

  // The share's login window: its account field refuses a name past 64 with its word.
  CallDB::callDB()->UpdatePersonalValue("account", "");
  own.shareHelpInfo();
  ASSERT_TRUE(LoginUIWindow::shown());
  host_->runUntilIdle();
  MyTextField& name = LoginUIWindow::shown()->form().nameText();
  ASSERT_TRUE(host_->tap(&name));
  EXPECT_TRUE(plat::Keyboard::paste(std::string(65, 'a')));
  EXPECT_EQ(name.text(), "");
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), "文本太长，这一栏最多填64个字");
  host_->pressAlertButton("确定");
  LoginUIWindow::shown()->dialogIsRemoved();
}

// The grammar note the same at its 280: 279 units and "xyz" give the first 280, also when the
// paste comes after the editing ended, and the store keeps what the note shows.
TEST_F(SharedNotesTest, APastePastAGrammarNotesLimitIsCutToIt) {
  const std::string held = noteOf("achieve sth. 达到某事；achieve a goal 实现目标。", 279);
  auto screen = openNotes(2);
  screen->selectTabBtn(1);
  host_->advance(1);
  plat::TextView& note = screen->myHelpView().helpRemText();
  ASSERT_TRUE(host_->tap(&note));
  note.setText(held);
  EXPECT_TRUE(plat::Keyboard::paste("xyz"));
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_EQ(note.text(), held + "x");
  note.resignFirstResponder();
  EXPECT_EQ(CallDB::callDB()->getMyYuFa(kWord), held + "x");

  ASSERT_TRUE(host_->tap(&note));
  host_->deleteBackward();
  host_->deleteBackward();
  note.resignFirstResponder();
  EXPECT_TRUE(plat::Keyboard::pasteInto(note, "xyz"));
  EXPECT_EQ(note.text(), plat::utf::substringUtf16(held, 0, 278) + "xy");
  EXPECT_EQ(CallDB::callDB()->getMyYuFa(kWord), note.text());
}

TEST_F(SharedNotesTest, SharingNeedsATextAndAnAccount) {
  auto screen = openNotes(1);
  MyHelpRemViewCtrl& own = screen->myHelpView();
  own.shareHelpInfo();
  EXPECT_EQ(bubble(), text("alermsg_eg28"));
  CallDB::callDB()->UpdatePersonalValue("account", "");
  own.helpRemText().setText("   ");
  own.shareHelpInfo();
  EXPECT_EQ(bubble(), text("alermsg_eg26"));
  EXPECT_TRUE(LoginUIWindow::shown());
  LoginUIWindow::shown()->dialogIsRemoved();
  EXPECT_EQ(server_->count("upload_mnemonic.php"), 0);

  // Spaces only are sent; the mnemonic goes as "help".
  CallDB::callDB()->UpdatePersonalValue("account", "carol");
  own.shareHelpInfo();
  ASSERT_TRUE(waitFor([&] { return server_->count("upload_mnemonic.php") == 1; }));
  EXPECT_EQ(server_->lastRequest("upload_mnemonic.php").header("User-Agent"), "help");
  EXPECT_EQ(lastForm("upload_mnemonic.php")["mnemonic"], "   ");
}

}  // namespace
}  // namespace onlinetest
