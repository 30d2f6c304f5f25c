// A paste into the settings' amounts, which are typed on a number keypad: only what the keypad
// could type is taken, so a pasted text never stores an amount the learner did not mean.
#include <gtest/gtest.h>

#include "platform/view/AlertView.h"
#include "platform/view/Keyboard.h"
#include "settings/SetViewController.h"
#include "settings/SettingsHooks.h"
#include "tests/stats/ScreenFixture.h"

using namespace plat;

namespace {

class AmountPaste : public screentest::ScreenTest<SetViewController> {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    SettingsHooks::shared().closeProgram = [] {};
    SettingsHooks::shared().downDataFinish = [] {};
  }
  void TearDown() override {
    SettingsHooks::shared() = {};
    ScreenTest::TearDown();
  }
  // Types `typed`, pastes `pasted` after it as the desktop's paste does, and ends the editing.
  void typeAndPaste(TextField& field, const std::string& typed, const std::string& pasted) {
    ASSERT_TRUE(field.becomeFirstResponder());
    field.setText("");
    host_->type(typed);
    EXPECT_TRUE(Keyboard::paste(pasted));
    field.resignFirstResponder();
  }
};

TEST_F(AmountPaste, FullWidthDigitsAreDigitsAndAnythingElseIsRefusedWhole) {
  open();
  TextField& fresh = *screen().aw_textField();
  TextField& review = *screen().fx_textField();

  // A Chinese input method types full-width digits: they are the keypad's digits.
  typeAndPaste(fresh, "", "１２");
  EXPECT_EQ(fresh.text(), "12");
  EXPECT_EQ(personal("StudyLimitCount"), "12");
  typeAndPaste(review, "3", "０5");
  EXPECT_EQ(review.text(), "305");
  EXPECT_EQ(personal("ReviewLimitCount"), "305");

  // A text the keypad could not type changes nothing: not 3 for "3.5", not 10 for "ab-0".
  typeAndPaste(fresh, "25", "3.5");
  EXPECT_EQ(fresh.text(), "25");
  EXPECT_EQ(personal("StudyLimitCount"), "25");
  typeAndPaste(review, "40", "ab-0");
  EXPECT_EQ(review.text(), "40");
  EXPECT_EQ(personal("ReviewLimitCount"), "40");
  for (const std::string refused : {" 12", "12\n", "１２个", "１.２", "-5", "+5"}) {
    typeAndPaste(fresh, "7", refused);
    EXPECT_EQ(fresh.text(), "7") << "pasted \"" << refused << "\"";
  }
  EXPECT_EQ(personal("StudyLimitCount"), "7");
}

TEST_F(AmountPaste, TheFieldShowsTheNumberStoredNotTheZerosBeforeIt) {
  open();
  TextField& fresh = *screen().aw_textField();
  TextField& review = *screen().fx_textField();

  typeAndPaste(fresh, "", "0012");
  EXPECT_EQ(fresh.text(), "12");
  EXPECT_EQ(personal("StudyLimitCount"), "12");
  typeAndPaste(fresh, "00", "00");
  EXPECT_EQ(fresh.text(), "0");
  EXPECT_EQ(personal("StudyLimitCount"), "0");
  typeAndPaste(review, "0", "０50");  // full-width zero too
  EXPECT_EQ(review.text(), "50");
  EXPECT_EQ(personal("ReviewLimitCount"), "50");
  typeAndPaste(review, "", "0009");  // below the review amount's floor
  EXPECT_EQ(review.text(), "10");
  EXPECT_EQ(personal("ReviewLimitCount"), "10");
}

// Ctrl+V, then the editing ended before the clipboard's slow owner answered: the amount the
// field then shows is the one stored. A paste past the four digits is refused with a word.
TEST_F(AmountPaste, APasteThatComesAfterTheEditingEndedIsStoredAsItShows) {
  open();
  TextField& fresh = *screen().aw_textField();
  ASSERT_TRUE(fresh.becomeFirstResponder());
  fresh.setText("");
  host_->type("2");
  fresh.resignFirstResponder();
  EXPECT_EQ(personal("StudyLimitCount"), "2");
  EXPECT_TRUE(Keyboard::pasteInto(fresh, "30"));
  EXPECT_EQ(fresh.text(), "230");
  EXPECT_EQ(personal("StudyLimitCount"), "230");

  EXPECT_TRUE(Keyboard::pasteInto(fresh, "12"));
  EXPECT_EQ(fresh.text(), "230");
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), "文本太长，这一栏最多填4个字");
  writeScreen("amount_paste_too_long.png");
  host_->pressAlertButton("确定");
  EXPECT_EQ(personal("StudyLimitCount"), "230");
}

}  // namespace
