// The real program in its window under Xvfb takes the desktop's paste on the text page: Ctrl+V
// and Shift+Insert paste the clipboard, a middle click the primary selection (each put there
// with xclip). What was pasted is in the store a moment later without the program closing, so
// a kill keeps it. Left alone, the window draws nothing and takes next to no processor time.
// Extracting with the keyboard up and coming back leaves the page as it was.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/app/PhoneWindow.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

// Screen points of the phone: the word-book tab, the strip's text page button, the text area.
constexpr double kBooksTab[2] = {120, 544};
constexpr double kTextPageButton[2] = {238, 42};
constexpr double kTextArea[2] = {160, 200};
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

class PasteInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-paste");
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    ASSERT_TRUE(planWordsInHome(folder_ + "/home", {"apple"}, [](CallDB& store) {
      store.UpdatePersonalValue("run_machine", "1");  // past the picture guide
    }));
  }
  void TearDown() override {
    program_.reset();
    plat::files::remove(folder_);
  }

  void start() {
    std::map<std::string, std::string> env = {{"DISPLAY", desktop_.display()},
                                              {"WAYLAND_DISPLAY", ""},
                                              // SDL's D-Bus library keeps data the leak checker
                                              // cannot trace; the window test says more.
                                              {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}};
    program_ = std::make_unique<ProgramProcess>(folder_, "", env);
    ASSERT_TRUE(program_->started());
    window_ = desktop_.waitForWindow("vocab", 60, [this] { return program_->wait(0) != -1; });
    ASSERT_FALSE(window_.empty()) << program_->log();
    phone_ = std::make_unique<PhoneWindow>(desktop_, window_);
    screen_ = phone_->still(1.5);
    ASSERT_TRUE(screen_);
  }
  void tap(const double (&point)[2], const std::string& what) {
    std::optional<ScreenShot> next = phone_->tapAndSettle(point[0], point[1], *screen_);
    ASSERT_TRUE(next) << what << "\n" << program_->log();
    screen_ = next;
  }
  // Puts `text` on the display's clipboard or primary selection.
  void select(const std::string& selection, const std::string& text) {
    const std::string file = folder_ + "/selection.txt";
    ASSERT_TRUE(plat::files::writeFileAtomically(file, text));
    desktop_.run("xclip -selection " + selection + " -i " + file + " >/dev/null");
  }
  // The text page's saved text in the program's store (which the running program keeps locked).
  std::string savedText() const {
    const std::string path = folder_ + "/home/Library/Application Support/learn.db";
    sqlite3* db = nullptr;
    std::string text;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_busy_timeout(db, 5000);
      sqlite3_stmt* statement = nullptr;
      if (sqlite3_prepare_v2(db,
                             "select vc_tValue from Var_Config where vc_tVarName = 'learn_text'",
                             -1, &statement, nullptr) == SQLITE_OK &&
          sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* value = sqlite3_column_text(statement, 0);
        text = value ? reinterpret_cast<const char*>(value) : "";
      }
      sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return text;
  }
  // The window's pixel at a point of the phone's screen.
  std::string pointer(const double (&point)[2]) const {
    const plat::Rect frame = phone_->frame();
    const double s = frame.width / PhoneWindow::kWidth;
    return std::to_string(static_cast<int>(point[0] * s)) + " " +
           std::to_string(static_cast<int>(point[1] * s));
  }

  std::string folder_;
  XvfbDesktop desktop_;
  std::unique_ptr<ProgramProcess> program_;
  std::string window_;
  std::unique_ptr<PhoneWindow> phone_;
  std::optional<ScreenShot> screen_;
};

TEST_F(PasteInWindow, TheClipboardAndThePrimarySelectionPasteIntoTheTextPageAndAKillKeepsThem) {
  start();
  tap(kBooksTab, "the word-book tab");
  tap(kTextPageButton, "the text page");
  const std::optional<ScreenShot> textPage = screen_;
  tap(kTextArea, "the text area, which starts editing");

  select("clipboard", "Pasted with Ctrl+V.");
  desktop_.run("xdotool windowfocus --sync " + window_ + " key ctrl+v");
  select("clipboard", " And with Shift+Insert.");
  desktop_.run("xdotool windowfocus --sync " + window_ + " key shift+Insert");
  select("primary", " And the primary selection.");
  desktop_.run("xdotool mousemove --window " + window_ + " " + pointer(kTextArea) + " click 2");
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
