// The real program in its window under Xvfb takes the desktop's paste on the text page: Ctrl+V
// and Shift+Insert paste the clipboard, a middle click the primary selection (each put there
// with xclip). What was pasted is in the store a moment later without the program closing, so
// a kill keeps it. Left alone, the window draws nothing and takes next to no processor time.
// Extracting with the keyboard up and coming back leaves the page as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/app/StandInWindow.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

// Screen points of the phone: the word-book tab, the strip's text page button, the text area.
constexpr double kBooksTab[2] = {120, 544};
constexpr double kTextPageButton[2] = {238, 42};
constexpr double kTextArea[2] = {160, 200};
const plat::Rect kTextAreaBox = {5, 25, 310, 100};  // its first lines, the keyboard up
// While the keyboard is up the page stands 40 points higher: its 提取 button.
constexpr double kExtractWhileTyping[2] = {264, 452};
constexpr double kBackButton[2] = {40, 42};

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
  // The pointer's place in the window at a point of the phone's screen.
  std::string pointer(const double (&point)[2]) const {
    const double scale = phone_->frame().width / PhoneWindow::kWidth;
    return std::to_string(static_cast<int>(point[0] * scale)) + " " +
           std::to_string(static_cast<int>(point[1] * scale));
  }
  // Runs a paste and waits until the text area shows it: the next selection replaces what the
  // program would read, and a slow (sanitized) program may read it only after that.
  void pasteWith(const std::string& command) {
    const std::optional<ScreenShot> before = phone_->still(0.5);
    ASSERT_TRUE(before);
    desktop_.run(command);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    for (;;) {
      const std::optional<ScreenShot> now = phone_->shot();
      if (now && phone_->changed(*before, *now, kTextAreaBox) > 0) return;
      ASSERT_LT(std::chrono::steady_clock::now(), until) << "nothing pasted: " << command;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  // The program's window, for xdotool.
  std::string window() const {
    std::string id = desktop_.run("xdotool search --onlyvisible --class vocab");
    return id.substr(0, id.find('\n'));
  }
};

TEST_F(PasteInWindow, TheClipboardAndThePrimarySelectionPasteIntoTheTextPageAndAKillKeepsThem) {
  start(folder_);
  const std::string window = this->window();
  tap(kBooksTab, "the word-book tab");
  tap(kTextPageButton, "the text page");
  const std::optional<ScreenShot> textPage = screen_;
  tap(kTextArea, "the text area, which starts editing");

  select("clipboard", "Pasted with Ctrl+V.");
  pasteWith("xdotool windowfocus --sync " + window + " key ctrl+v");
  select("clipboard", " And with Shift+Insert.");
  pasteWith("xdotool windowfocus --sync " + window + " key shift+Insert");
  select("primary", " And the primary selection.");
  pasteWith("xdotool mousemove --window " + window + " " + pointer(kTextArea) + " click 2");
  screen_ = phone_->still(1.5);
  ASSERT_TRUE(screen_);
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

  tap(kExtractWhileTyping, "提取 with the keyboard up");
  screen_ = phone_->still(1.5);
  ASSERT_TRUE(screen_);
  phone_->write(*screen_, "paste_extracted_words.png");
  tap(kBackButton, "back to the text page");
  screen_ = phone_->still(1.5);
  ASSERT_TRUE(screen_);
  phone_->write(*screen_, "paste_text_page_again.png");
  // The strip and the buttons are back where they stood before the editing.
  EXPECT_LT(phone_->changed(*textPage, *screen_, {0, 20, 320, 40}), 0.01);
  EXPECT_LT(phone_->changed(*textPage, *screen_, {0, 470, 320, 45}), 0.01);

  program_.reset();  // killed, not closed
  EXPECT_EQ(savedText(), "Pasted with Ctrl+V. And with Shift+Insert. And the primary selection.");
}

}  // namespace
}  // namespace apptest
