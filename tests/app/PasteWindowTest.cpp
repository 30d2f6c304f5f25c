// The real program in its window under Xvfb takes the desktop's paste on the text page: Ctrl+V
// and Shift+Insert paste the clipboard, a middle click the primary selection (each put there
// with xclip). What was pasted is in the store a moment later without the program closing, so
// a kill keeps it. Left alone, the window draws nothing and takes next to no processor time.
// Extracting with the keyboard up and coming back leaves the page at rest as it stood before.
// A paste goes into the text area it was asked for however late the owner answers, and one over
// the page's bound is refused with a message; the own mnemonic takes one past its limit cut to it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/Utf.h"
#include "platform/host/DesktopSelection.h"
#include "store/CallDB.h"
#include "tests/app/SlowSelectionOwner.h"
#include "tests/app/StandInWindow.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

// Screen points of the phone: the tabs, the strip's text page button, the text area.
constexpr double kReviewTab[2] = {40, 545};
constexpr double kBooksTab[2] = {120, 544};
constexpr double kTextPageButton[2] = {238, 42};
constexpr double kTextArea[2] = {160, 200};
// While the keyboard is up the page stands 40 points higher: its 提取 button.
constexpr double kExtractWhileTyping[2] = {264, 452};
constexpr double kBackButton[2] = {40, 42};
constexpr double kHideKeyboard[2] = {270, 503};  // the keyboard bar's 隐藏键盘
constexpr double kAlertButton[2] = {160, 288};   // an alert's one button, 确定
// The strip's word-book page button, the whole library's row of it, its word list's search field.
constexpr double kBooksPageButton[2] = {85, 42};
constexpr double kWholeLibrary[2] = {160, 82};
constexpr double kSearchField[2] = {175, 123};
// While it is edited the search strip stands at the top, with its 取消 beside it: the grey of
// that button where the tabs stood says the strip has come to rest there.
const plat::Rect kSearchFieldText = {44, 31, 200, 16};
constexpr double kCancelSearch[2] = {290, 40};
const plat::Rect kCancelSearchAtRest = {270, 28, 40, 4};  // above its title
const plat::Rect kWholeLibraryIcon = {8, 73, 18, 18};  // its green 总
// What tells the screens apart: the strip's selected (white) text page button, the text page's
// green 提取 button, the extracted words' orange 保存; the pasted lines of text, the keyboard up.
const plat::Rect kTextPageButtonBox = {170, 25, 130, 20};
const plat::Rect kBooksPageButtonBox = {20, 25, 130, 20};
const plat::Rect kClearButtonBox = {15, 482, 45, 24};     // grey 清空
const plat::Rect kOpenFileButtonBox = {95, 482, 60, 24};  // blue 打开文件
const plat::Rect kExtractButtonBox = {230, 482, 60, 24};
bool grey(unsigned c) {
  const int r = c >> 16, g = (c >> 8) & 0xff, b = c & 0xff;
  return std::abs(r - g) < 12 && std::abs(g - b) < 12 && r > 90 && r < 170;
}
bool blue(unsigned c) {
  return int(c & 0xff) > int(c >> 16) + 60;
}
const plat::Rect kSaveButtonTop = {264, 529, 50, 7};  // above its title: whole once in place
const plat::Rect kFirstLineStart = {10, 38, 120, 12};
const plat::Rect kFirstLineEnd = {160, 38, 120, 12};
const plat::Rect kSecondLineStart = {10, 56, 150, 12};
const plat::Rect kFirstLineAtRest = {10, 77, 120, 12};  // below the strip, the keyboard down
// The first word's card: its reveal button, then its green 写助记 beside 助记; the note screen's
// two tabs, its own mnemonic and 分享. While the note is edited the tabs' green edge is gone and
// the note of 149 characters stands higher: a pasted "x" at the end of its seventh line, and
// anything after it further on.
constexpr double kReveal[2] = {160, 306};
constexpr double kWriteMnemonic[2] = {284, 387};
const plat::Rect kWriteMnemonicBox = {262, 378, 44, 18};
constexpr double kEditTab[2] = {238, 87};
const plat::Rect kSharedTabBox = {20, 72, 120, 8};
const plat::Rect kEditTabBox = {180, 72, 120, 8};
constexpr double kOwnNote[2] = {160, 200};
const plat::Rect kShareButtonBox = {240, 302, 60, 24};
const plat::Rect kTabsLeftEdge = {0, 66, 4, 36};
const plat::Rect kPastedX = {65, 211, 7, 11};
const plat::Rect kPastedYZ = {74, 211, 24, 11};

// Processor seconds the process has used (user and system), from /proc/<pid>/stat.
double processorSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // The fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 1; i <= 13 && fields >> field; ++i)
    if (i >= 12) ticks += std::stod(field);
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class PasteInWindow : public StandInWindowTest {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-paste");
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    ASSERT_TRUE(planWordsInHome(folder_ + "/home", {"apple"}, [](CallDB& store) {
      store.UpdatePersonalValue("run_machine", "1");  // past the picture guide
    }));
  }

  // Puts `text` on the display's clipboard or primary selection.
  void select(const std::string& selection, const std::string& text) {
    const std::string file = folder_ + "/selection.txt";
    ASSERT_TRUE(plat::files::writeFileAtomically(file, text));
    desktop_.run("xclip -selection " + selection + " -i " + file + " >/dev/null");
  }
  // The text page's saved text, once the program has gone (it keeps its store locked).
  std::string savedText() const {
    plat::AppHome::setHome(folder_ + "/home");
    const std::string text = CallDB::callDB()->getPersonalValue("learn_text");
    CallDB::Release_CallDB();
    plat::AppHome::setHome("");
    return text;
  }
  // A word's own mnemonic, once the program has gone.
  std::string storedNote(const std::string& word) const {
    plat::AppHome::setHome(folder_ + "/home");
    const std::string note = CallDB::callDB()->getNote(word);
    CallDB::Release_CallDB();
    plat::AppHome::setHome("");
    return note;
  }
  // The pointer's place in the window at a point of the phone's screen.
  std::string pointer(const double (&point)[2]) const {
    const double scale = phone_->frame().width / PhoneWindow::kWidth;
    return std::to_string(static_cast<int>(point[0] * scale)) + " " +
           std::to_string(static_cast<int>(point[1] * scale));
  }
  // Runs a paste and waits until the text area shows it where `pasted` says: the next selection
  // replaces what the program would read, and a slow (sanitized) program may read it only after.
  void pasteWith(const std::string& command, const plat::Rect& pasted) {
    desktop_.run(command);
    ASSERT_TRUE(until(phone_->inked(pasted))) << "nothing pasted: " << command;
  }
  // The text page come to rest: its tab alone white, and its three buttons each in its place.
  bool textPage(const ScreenShot& s) const {
    return phone_->brightShare(s, kTextPageButtonBox) > 0.9 &&
           phone_->brightShare(s, kBooksPageButtonBox) < 0.05 &&
           phone_->coloured(kClearButtonBox, grey, 0.65)(s) &&
           phone_->coloured(kOpenFileButtonBox, blue, 0.7)(s) &&
           phone_->coloured(kExtractButtonBox, PhoneWindow::green, 0.75)(s) &&
           phone_->tabSelected(kBooksTab)(s);
  }
  // The word list's search field being edited: the keyboard up and the search strip come to rest
  // at the top, its grey 取消 where the tabs stood.
  PhoneWindow::Look searchStripAtTop() const {
    return PhoneWindow::allOf(
        {phone_->keyboardUp(), phone_->coloured(kCancelSearchAtRest, grey, 0.8)});
  }
  // The word-book page: the text page's tab not white, the whole library's row first.
  bool booksPage(const ScreenShot& s) const {
    return phone_->brightShare(s, kTextPageButtonBox) < 0.05 &&
           phone_->coloured(kWholeLibraryIcon, PhoneWindow::green, 0.4)(s) &&
           phone_->tabSelected(kBooksTab)(s);
  }
  // From the first screen to the text page's text area, editing.
  void editTextArea() {
    ASSERT_TRUE(until(phone_->tabSelected(kReviewTab))) << "no review screen";
    tap(kBooksTab, "the word-book tab", phone_->tabSelected(kBooksTab));
    tap(kTextPageButton, "the text page", [&](const ScreenShot& s) { return textPage(s); });
    tap(kTextArea, "the text area, which starts editing", phone_->keyboardUp());
  }
  // The program's window, for xdotool.
  std::string window() const {
    std::string id = desktop_.run("xdotool search --onlyvisible --class vocab");
    return id.substr(0, id.find('\n'));
  }
};

TEST_F(PasteInWindow, TheClipboardAndThePrimarySelectionPasteIntoTheTextPageAndAKillKeepsThem) {
  start(folder_);
  editTextArea();
  const std::string window = this->window();

  select("clipboard", "Pasted with Ctrl+V.");
  pasteWith("xdotool windowfocus --sync " + window + " key ctrl+v", kFirstLineStart);
  select("clipboard", " And with Shift+Insert.");
  pasteWith("xdotool windowfocus --sync " + window + " key shift+Insert", kFirstLineEnd);
  select("primary", " And the primary selection.");
  pasteWith("xdotool mousemove --window " + window + " " + pointer(kTextArea) + " click 2",
            kSecondLineStart);
  phone_->write(*screen_, "paste_text_page.png");

  // Left alone on the page, the program sleeps. The quietest of three five-second spells is
  // taken: the start's delayed work (the excellent mnemonics fetched ten seconds in) is no idling.
  double quietest = 1e9;
  for (int spell = 0; spell < 3; ++spell) {
    const double before = processorSeconds(program_->pid());
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const double used = processorSeconds(program_->pid()) - before;
    std::printf("processor time while idle: %.2f s in 5 s\n", used);
    quietest = std::min(quietest, used);
  }
  EXPECT_LT(quietest, 0.05);

  tap(kExtractWhileTyping, "the extracted words after 提取 with the keyboard up",
      [&](const ScreenShot& s) {
        return phone_->coloured(kSaveButtonTop, PhoneWindow::orange, 0.95)(s) &&
               !phone_->dimmed()(s);
      });
  phone_->write(*screen_, "paste_extracted_words.png");
  // Back on the text page, the keyboard down, the strip and the buttons stand where they stood
  // before the editing. The page's look says so, not a picture of it: one taken the moment it
  // first showed that look may catch it still sliding in, a few points off where it rests.
  tap(kBackButton, "the text page as it was before the editing",
      [&](const ScreenShot& s) { return textPage(s) && !phone_->keyboardUp()(s); });
  phone_->write(*screen_, "paste_text_page_again.png");

  program_.reset();  // killed, not closed
  EXPECT_EQ(savedText(), "Pasted with Ctrl+V. And with Shift+Insert. And the primary selection.");
}

// Ctrl+V in the text area, and the clipboard's owner answers late, when the learner has gone on
// to the word library's search field: the paragraph goes into the text area it was asked for,
// there when the learner comes back, and the search field, being edited when the answer came,
// stays empty. The window host once pasted into whichever field had the keyboard by then.
TEST_F(PasteInWindow, APasteASlowOwnerAnswersLateGoesToTheFieldItWasAskedFor) {
  start(folder_);
  editTextArea();
  const std::string window = this->window();
  const std::string paragraph = "A paragraph copied in a slow program.";
  // The owner answers once the search field is being edited, or, should a busy machine hold the
  // steps up that long, when half the program's patience is gone: the text area stops being
  // edited at the first step, so only a paste that keeps its field reaches it either way.
  const auto halfPatience =
      std::chrono::milliseconds(static_cast<int>(plat::DesktopSelection::kPatienceSeconds * 500));
  SlowSelectionOwner owner(desktop_.display(), "CLIPBOARD", paragraph, halfPatience);
  ASSERT_TRUE(owner.owns());
  desktop_.run("xdotool windowfocus --sync " + window + " key ctrl+v");
  ASSERT_TRUE(program_->waitWhileRunning([&] { return owner.asked() > 0; }))
      << "the paste never asked";
  const auto asked = std::chrono::steady_clock::now();

  // The keyboard's bar ends the editing: the strip comes back.
  tap(kHideKeyboard, "the text page, the keyboard down",
      [&](const ScreenShot& s) { return textPage(s) && !phone_->keyboardUp()(s); });
  tap(kBooksPageButton, "the word-book page", [&](const ScreenShot& s) { return booksPage(s); });
  tap(kWholeLibrary, "the whole library's words",
      phone_->coloured(kSaveButtonTop, PhoneWindow::orange, 0.95));
  tap(kSearchField, "the search field, editing", searchStripAtTop());
  owner.release();
  std::printf("the owner held the paste %.1f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count());
  ASSERT_TRUE(program_->waitWhileRunning([&] { return owner.answered() > 0; }))
      << "the owner never answered";
  // Checked once the strip rests at the top: while it slides up, the tabs' figures pass
  // through where the field's text will stand.
  ASSERT_TRUE(until(searchStripAtTop()));
  picture("paste_late_search_field.png");
  EXPECT_FALSE(phone_->inked(kSearchFieldText)(*screen_)) << "the paragraph went to the search";

  tap(kCancelSearch, "the whole library's words, the keyboard down", [&](const ScreenShot& s) {
    return phone_->coloured(kSaveButtonTop, PhoneWindow::orange, 0.95)(s) &&
           !phone_->keyboardUp()(s);
  });
  tap(kBackButton, "the word-book page again", [&](const ScreenShot& s) { return booksPage(s); });
  tap(kTextPageButton, "the text page", [&](const ScreenShot& s) { return textPage(s); });
  // The paragraph came before the learner left the text page: the page shows it as it shows.
  ASSERT_TRUE(until(phone_->inked(kFirstLineAtRest), testsupport::kSoon))
      << "the text page does not hold the paragraph";
  picture("paste_late_text_page.png");
}

// A text of a megabyte and a half on the clipboard, which xclip hands over in pieces: the text
// page says it takes no more than a text file's 300 KB, and keeps what it held. The window host
// once pasted nothing and said nothing.
TEST_F(PasteInWindow, ATextOverAMegabyteInPiecesIsRefusedWithTheTextPagesBound) {
  start(folder_);
  editTextArea();
  std::string text;
  for (int line = 0; text.size() < 1536 * 1024; ++line)
    text += "Line " + std::to_string(line) + " of a long text copied in another program.\n";
  type("Kept.", phone_->inked(kFirstLineStart));
  select("clipboard", text);
  const std::string window = this->window();
  desktop_.run("xdotool windowfocus --sync " + window + " key ctrl+v");
  ASSERT_TRUE(until(phone_->dimmed(), testsupport::kSoon))
      << "the text page never said the text was too long";
  picture("paste_too_long.png");
  tap(kAlertButton, "the text page as it was", [&](const ScreenShot& s) {
    return !phone_->dimmed()(s) && phone_->keyboardUp()(s) && phone_->inked(kFirstLineStart)(s);
  });

  ASSERT_TRUE(desktop_.closeWindow(window));
  ASSERT_NE(program_->wait(XvfbDesktop::kPatience), -1) << "the program did not close";
  EXPECT_EQ(savedText(), "Kept.");
}

// The whole library's search field, which holds a search of a hundred characters: a text of a
// megabyte and a half (handed over in pieces) and one of a quarter of a megabyte (in one) are
// refused at once with a word naming the bound, the field stays empty, and the window closes at
// a close. The field once took either and laid the whole text out at every frame: the window
// stood still for half a minute, or ignored a close and SIGTERM for over ten.
TEST_F(PasteInWindow, ALongPasteIntoTheSearchFieldIsRefusedWithAWordAndTheWindowStillCloses) {
  start(folder_);
  ASSERT_TRUE(until(phone_->tabSelected(kReviewTab))) << "no review screen";
  tap(kBooksTab, "the word-book tab", phone_->tabSelected(kBooksTab));
  tap(kBooksPageButton, "the word-book page", [&](const ScreenShot& s) { return booksPage(s); });
  tap(kWholeLibrary, "the whole library's words",
      phone_->coloured(kSaveButtonTop, PhoneWindow::orange, 0.95));
  tap(kSearchField, "the search field, editing", searchStripAtTop());
  const std::string window = this->window();
  for (const size_t bytes : {size_t{1536} * 1024, size_t{256} * 1024}) {
    std::string text;
    for (int line = 0; text.size() < bytes; ++line)
      text += "Line " + std::to_string(line) + " of a long text copied in another program.\n";
    select("clipboard", text);
    desktop_.run("xdotool windowfocus --sync " + window + " key ctrl+v");
    ASSERT_TRUE(until(phone_->dimmed(), testsupport::kSoon))
        << "the search field never said a text of " << bytes << " bytes was too long";
    picture("paste_search_too_long.png");
    tap(kAlertButton, "the search field as it was", [&](const ScreenShot& s) {
      return !phone_->dimmed()(s) && phone_->keyboardUp()(s) && !phone_->inked(kSearchFieldText)(s);
    });
  }
  ASSERT_TRUE(desktop_.closeWindow(window));
  EXPECT_NE(program_->wait(testsupport::kSoon), -1) << "the window did not close";
}

// 助记's own note of the revealed word holds 149 characters; "xyz" pasted with Ctrl+V brings it
// to its limit of 150: the "x" shows at the end of its last line, and once Return ends the
// editing the store keeps what the note shows. The note once refused the paste whole with
// 文本太长，这一栏最多填150个字 and kept its 149.
TEST_F(PasteInWindow, APastePastTheOwnMnemonicsLimitIsCutToIt) {
  std::string held;
  while (plat::utf::utf16Length(held) < 149) held += "a 一个 + chieve 首领：首领一个人完成了任务。";
  held = plat::utf::substringUtf16(held, 0, 149);
  ASSERT_TRUE(planWordsInHome(folder_ + "/home", {},
                              [&](CallDB& store) { store.saveNote("apple", held); }));
  start(folder_);
  ASSERT_TRUE(until(phone_->tabSelected(kReviewTab))) << "no review screen";
  tap(kReveal, "the revealed card with its 写助记",
      phone_->coloured(kWriteMnemonicBox, PhoneWindow::green, 0.5));
  tap(kWriteMnemonic, "the word note screen", [&](const ScreenShot& s) {
    return phone_->brightShare(s, kSharedTabBox) > 0.6 && phone_->brightShare(s, kEditTabBox) < 0.3;
  });
  tap(kEditTab, "the own mnemonic with its 分享", [&](const ScreenShot& s) {
    return phone_->brightShare(s, kEditTabBox) > 0.6 &&
           phone_->coloured(kShareButtonBox, PhoneWindow::green, 0.5)(s);
  });
  // The keyboard up, and the tabs gone up behind the navigation bar: the note at rest.
  tap(kOwnNote, "the own mnemonic, editing", [&](const ScreenShot& s) {
    return phone_->keyboardUp()(s) && phone_->share(s, kTabsLeftEdge, PhoneWindow::green) == 0;
  });
  picture("paste_own_mnemonic_before.png");

  select("clipboard", "xyz");
  const std::string window = this->window();
  desktop_.run("xdotool windowfocus --sync " + window + " key ctrl+v");
  ASSERT_TRUE(until([&](const ScreenShot& s) {
    return phone_->dimmed()(s) || phone_->inked(kPastedX)(s);
  })) << "the paste showed neither in the note nor as a message";
  picture("paste_own_mnemonic.png");
  ASSERT_FALSE(phone_->dimmed()(*screen_)) << "the paste was refused with a message";
  EXPECT_FALSE(phone_->inked(kPastedYZ)(*screen_)) << "the note ran past its limit";

  desktop_.run("xdotool windowfocus --sync " + window + " key Return");
  ASSERT_TRUE(until([&](const ScreenShot& s) { return !phone_->keyboardUp()(s); }))
      << "Return did not end the editing";
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
  EXPECT_EQ(storedNote("apple"), held + "x");
}

}  // namespace
}  // namespace apptest
