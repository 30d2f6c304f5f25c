// The settings' new-word amount in the real program's window under Xvfb: "0012" pasted with
// Ctrl+V (put on the clipboard with xclip) shows as 12, the number stored, once Enter ends the
// editing; a paste that comes after the editing ended is stored as it shows. Each step waits for
// the look it checks: the settings tab lit, the digits in the field.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/host/DesktopSelection.h"
#include "store/CallDB.h"
#include "tests/app/PhoneWindow.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/SlowSelectionOwner.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

// Screen points of the phone: the review and settings tabs, the settings tab's icon and the 新词
// field inside its border.
constexpr double kReviewTab[2] = {40, 545};
constexpr double kSettingsTab[2] = {280, 545};
const plat::Rect kSettingsIcon = {268, 530, 24, 22};
const plat::Rect kNewWordsField = {212, 208, 37, 19};

class AmountInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::makeTempDir("vocab-amount");
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    ASSERT_TRUE(planWordsInHome(folder_ + "/home", {"apple"}, [](CallDB& store) {
      store.UpdatePersonalValue("run_machine", "1");  // past the picture guide
      store.UpdatePersonalValue("StudyLimitCount", "12");
    }));
    program_ = std::make_unique<ProgramProcess>(
        folder_, "",
        std::map<std::string, std::string>{{"DISPLAY", desktop_.display()},
                                           {"WAYLAND_DISPLAY", ""},
                                           {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}});
    ASSERT_TRUE(program_->started());
    window_ = desktop_.waitForWindow("vocab", XvfbDesktop::kPatience,
                                     [this] { return program_->wait(0) != -1; });
    ASSERT_FALSE(window_.empty()) << program_->log();
    phone_ = std::make_unique<PhoneWindow>(desktop_, window_);
  }
  void TearDown() override {
    program_.reset();
    plat::files::remove(folder_);
  }

  // The first picture that passes `check`, taken within the desktop's generous deadline.
  std::optional<ScreenShot> waitFor(const std::function<bool(const ScreenShot&)>& check) {
    return phone_->when(check);
  }
  // How many point-wide columns of the field hold dark pixels: the width of its digits (and of
  // the caret while editing).
  int inkColumns(const ScreenShot& shot) const {
    int columns = 0;
    for (double x = kNewWordsField.x; x < kNewWordsField.x + kNewWordsField.width; ++x) {
      const plat::Rect column = {x, kNewWordsField.y, 1, kNewWordsField.height};
      columns += phone_->share(shot, column, [](unsigned rgb) {
        return (rgb >> 16) < 0x60 && ((rgb >> 8) & 0xff) < 0x60 && (rgb & 0xff) < 0x60;
      }) > 0;
    }
    return columns;
  }
  bool settingsTabLit(const ScreenShot& shot) const {
    return phone_->share(shot, kSettingsIcon, [](unsigned rgb) {
      const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
      return g > 100 && g > r + 40 && g > b + 20;
    }) > 0.05;
  }
  // The review screen, then the settings screen with its tab lit and the stored amount.
  std::optional<ScreenShot> settingsScreen() {
    if (!waitFor(phone_->tabSelected(kReviewTab))) return std::nullopt;
    return phone_->tapUntil(kSettingsTab[0], kSettingsTab[1], [&](const ScreenShot& s) {
      return settingsTabLit(s) && inkColumns(s) > 8;
    });
  }
  // Taps 新词 and deletes the `twoDigits` columns of its stored amount.
  bool emptyNewWords(int twoDigits) {
    phone_->tap(kNewWordsField.x + kNewWordsField.width / 2,
                kNewWordsField.y + kNewWordsField.height / 2);
    desktop_.run("xdotool key --window " + window_ + " BackSpace BackSpace");
    return waitFor([&](const ScreenShot& s) { return inkColumns(s) < twoDigits / 2; }).has_value();
  }
  // The stored amount, once the program has gone (it keeps its store locked).
  std::string storedAmount() const {
    plat::AppHome::setHome(folder_ + "/home");
    const std::string amount = CallDB::callDB()->getPersonalValue("StudyLimitCount");
    CallDB::Release_CallDB();
    plat::AppHome::setHome("");
    return amount;
  }

  XvfbDesktop desktop_;
  std::string folder_;
  std::unique_ptr<ProgramProcess> program_;
  std::string window_;
  std::unique_ptr<PhoneWindow> phone_;
};

TEST_F(AmountInWindow, APastedAmountShowsTheNumberStoredOnceEditingEnds) {
  std::optional<ScreenShot> stored = settingsScreen();
  ASSERT_TRUE(stored) << program_->log();
  const int twoDigits = inkColumns(*stored);
  phone_->write(*stored, "amount_stored.png");

  ASSERT_TRUE(emptyNewWords(twoDigits)) << "the field was not emptied";

  const std::string clip = folder_ + "/clip.txt";
  ASSERT_TRUE(plat::files::writeFileAtomically(clip, "0012"));
  desktop_.run("xclip -selection clipboard -i " + clip + " >/dev/null");
  desktop_.run("xdotool windowfocus --sync " + window_ + " key ctrl+v");
  std::optional<ScreenShot> pasted =
      waitFor([&](const ScreenShot& s) { return inkColumns(s) > twoDigits * 3 / 2; });
  ASSERT_TRUE(pasted) << "nothing pasted";
  phone_->write(*pasted, "amount_pasted.png");

  desktop_.run("xdotool key --window " + window_ + " Return");
  std::optional<ScreenShot> ended = waitFor(
      [&](const ScreenShot& s) { return phone_->changed(*stored, s, kNewWordsField) < 0.01; });
  std::optional<ScreenShot> last = phone_->shot();
  ASSERT_TRUE(last);
  phone_->write(ended ? *ended : *last, "amount_ended.png");
  EXPECT_TRUE(ended) << "the field still shows " << inkColumns(*last)
                     << " columns of digits, not the stored 12's " << twoDigits;

  EXPECT_EQ(program_->terminate(), 0);
  EXPECT_EQ(storedAmount(), "12");
}

// 新词 emptied, 2 typed, Ctrl+V of 30 whose owner answers only once Enter (the bar's 完成) has
// ended the editing: the field shows 230 and the store keeps 230, also for the next start. The
// field once showed 230 while the store kept 2.
TEST_F(AmountInWindow, APasteThatComesAfterTheEditingEndedIsKeptAsItShows) {
  std::optional<ScreenShot> stored = settingsScreen();
  ASSERT_TRUE(stored) << program_->log();
  const int twoDigits = inkColumns(*stored);

  ASSERT_TRUE(emptyNewWords(twoDigits)) << "the field was not emptied";
  desktop_.run("xdotool key --window " + window_ + " 2");
  ASSERT_TRUE(waitFor([&](const ScreenShot& s) {
    return inkColumns(s) >= twoDigits / 2 && phone_->keyboardUp()(s);
  })) << "the 2 typed never showed";

  // The owner holds its answer until the editing has ended, or half the program's patience.
  SlowSelectionOwner owner(
      desktop_.display(), "CLIPBOARD", "30",
      std::chrono::milliseconds(static_cast<int>(plat::DesktopSelection::kPatienceSeconds * 500)));
  ASSERT_TRUE(owner.owns());
  desktop_.run("xdotool windowfocus --sync " + window_ + " key ctrl+v");
  ASSERT_TRUE(program_->waitWhileRunning([&] { return owner.asked() > 0; }))
      << "the paste never asked";
  desktop_.run("xdotool key --window " + window_ + " Return");
  ASSERT_TRUE(waitFor([&](const ScreenShot& s) { return !phone_->keyboardUp()(s); }))
      << "the editing did not end";
  owner.release();
  ASSERT_TRUE(program_->waitWhileRunning([&] { return owner.answered() > 0; }))
      << "the owner never answered";
  std::optional<ScreenShot> pasted = phone_->when(
      [&](const ScreenShot& s) { return inkColumns(s) > twoDigits * 5 / 4; }, testsupport::kSoon);
  ASSERT_TRUE(pasted) << "the late paste never showed";
  phone_->write(*pasted, "amount_pasted_late.png");

  EXPECT_EQ(program_->terminate(testsupport::kSoon), 0) << "SIGTERM was not heard";
  EXPECT_EQ(storedAmount(), "230");
}

}  // namespace
}  // namespace apptest
