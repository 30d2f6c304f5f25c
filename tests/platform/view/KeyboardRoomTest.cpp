// What the keyboard leaves of the screen: the typing bar that stands for it on the desktop, the
// edited field kept in sight above it, and alerts raised over it.
#include <gtest/gtest.h>

#include "platform/view/AlertView.h"
#include "platform/view/DatePicker.h"
#include "platform/view/KeyboardBar.h"
#include "platform/view/Label.h"
#include "platform/view/ScrollView.h"
#include "platform/view/TabBarController.h"
#include "platform/view/TextField.h"
#include "platform/view/ViewRenderer.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class ReturnLog : public TextFieldDelegate {
 public:
  int returns = 0;
  bool shouldReturn(TextField& field) override {
    ++returns;
    field.resignFirstResponder();
    return false;
  }
};

Rect onScreen(const View& view) {
  return view.convertRectTo(view.bounds(), nullptr);
}

double bottomOf(const Rect& r) {
  return r.y + r.height;
}

// Every label in the tree, depth first.
void collectTexts(const View& view, std::vector<std::string>& out) {
  if (auto* label = dynamic_cast<const Label*>(&view)) out.push_back(label->text());
  for (const auto& child : view.subviews()) collectTexts(*child, out);
}

std::string picturePath(const std::string& name) {
  return ::testing::TempDir() + name;
}

using KeyboardRoom = testsupport::ViewFixture;

}  // namespace

// Typing on a tab's screen: the bar covers the tab bar whole, no strip of its icons and badges
// left peeking out above it.
TEST_F(KeyboardRoom, TheBarCoversATabBarWhole) {
  auto screen = std::make_shared<ViewController>();
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({screen});
  window_->setRootViewController(tabs);
  auto field = std::make_shared<TextField>(Rect(20, 100, 200, 30));
  screen->view()->addSubview(field);
  field->becomeFirstResponder();
  const Rect bar = onScreen(tabs->tabBar()), keys = Keyboard::frame();
  EXPECT_LE(keys.y, bar.y) << "the tab bar's top shows above the keys";
  EXPECT_GE(bottomOf(keys), bottomOf(bar));
}

TEST_F(KeyboardRoom, TypingShowsASlimLabelledBarWhoseReturnKeyWorks) {
  auto field = std::make_shared<TextField>(Rect(20, 100, 200, 30));
  field->setBorderStyle(TextBorderStyle::RoundedRect);
  ReturnLog log;
  field->setDelegate(&log);
  window_->addSubview(field);
  field->becomeFirstResponder();

  ASSERT_NE(Keyboard::window(), nullptr);
  EXPECT_EQ(Keyboard::frame(), Rect(0, 568 - keyboardbar::kHeight, 320, keyboardbar::kHeight));
  std::vector<std::string> texts;
  collectTexts(*Keyboard::window(), texts);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "请用电脑键盘输入"), texts.end());
  ASSERT_TRUE(ViewRenderer::renderScreen(2)->writePNG(picturePath("keyboard_bar.png")));

  // The bar's return key, tapped with the mouse, is the return key.
  Window* keys = Keyboard::window();
  const Point onKey = keys->convertFromSuperview({320 - 30, 568 - keyboardbar::kHeight / 2});
  keys->sendTouch(TouchPhase::Began, onKey);
  keys->sendTouch(TouchPhase::Ended, onKey);
  EXPECT_EQ(log.returns, 1);
  EXPECT_FALSE(Keyboard::isVisible());
}

// A number field's keypad has no return key, so the bar's key would do nothing there: it is the
// key that finishes the field instead, and a text field typed into next has its return key back.
TEST_F(KeyboardRoom, OnANumberKeypadTheBarsKeyFinishesTheField) {
  struct Ends : TextFieldDelegate {
    int ended = 0;
    void didEndEditing(TextField&) override { ++ended; }
  } amountLog;
  auto amount = std::make_shared<TextField>(Rect(20, 100, 60, 30));
  amount->setKeyboardType(KeyboardType::NumberPad);
  amount->setDelegate(&amountLog);
  window_->addSubview(amount);
  auto name = std::make_shared<TextField>(Rect(20, 200, 200, 30));
  ReturnLog nameLog;
  name->setDelegate(&nameLog);
  window_->addSubview(name);

  auto keyLabels = [] {
    std::vector<std::string> texts;
    collectTexts(*Keyboard::window(), texts);
    return std::make_pair(std::count(texts.begin(), texts.end(), "完成"),
                          std::count(texts.begin(), texts.end(), "回车"));
  };
  const Point onKey = {320 - 30, 568 - keyboardbar::kHeight / 2};
  auto tapKey = [&] {
    Window* keys = Keyboard::window();
    keys->sendTouch(TouchPhase::Began, keys->convertFromSuperview(onKey));
    keys->sendTouch(TouchPhase::Ended, keys->convertFromSuperview(onKey));
  };

  name->becomeFirstResponder();
  amount->becomeFirstResponder();  // straight from one field to the other: the bar stays up
  ASSERT_TRUE(Keyboard::isVisible());
  EXPECT_EQ(keyLabels(), std::make_pair(1L, 0L));
  ASSERT_TRUE(ViewRenderer::renderScreen(2)->writePNG(picturePath("keyboard_bar_keypad.png")));
  tapKey();
  EXPECT_EQ(amountLog.ended, 1);
  EXPECT_FALSE(amount->isFirstResponder());
  EXPECT_FALSE(Keyboard::isVisible());

  name->becomeFirstResponder();
  EXPECT_EQ(keyLabels(), std::make_pair(0L, 1L));
  tapKey();
  EXPECT_EQ(nameLog.returns, 1) << "a text field's key is its return key again";
  EXPECT_EQ(amountLog.ended, 1);
}

TEST_F(KeyboardRoom, TheEditedFieldRisesAboveTheKeyboardAndTheScrollViewSettlesAfter) {
  auto scroll = std::make_shared<ScrollView>(Rect(0, 0, 320, 568));
  scroll->setContentSize({320, 600});
  window_->addSubview(scroll);
  // The last row of the content, edited with a picker as tall as the phone's keyboard.
  auto field = std::make_shared<TextField>(Rect(200, 565, 60, 27));
  field->setInputView(std::make_shared<DatePicker>());
  scroll->addSubview(field);
  auto upper = std::make_shared<TextField>(Rect(20, 60, 200, 30));
  scroll->addSubview(upper);

  field->becomeFirstResponder();
  const double keyboardTop = Keyboard::frame().y;
  EXPECT_EQ(keyboardTop, 568 - 216);
  const Rect seen = onScreen(*field);
  EXPECT_LE(bottomOf(seen), keyboardTop) << "the field is fully above the picker";
  EXPECT_GE(seen.y, 0);

  // A field scrolled out of sight at the top comes back down when it is edited.
  upper->becomeFirstResponder();
  EXPECT_GE(onScreen(*upper).y, 0);
  EXPECT_LE(bottomOf(onScreen(*upper)), Keyboard::frame().y);

  upper->resignFirstResponder();
  EXPECT_EQ(scroll->contentInset().bottom, 0) << "the room given for the keyboard comes back";
  EXPECT_LE(scroll->contentOffset().y, scroll->maximumOffset().y);
}

TEST_F(KeyboardRoom, AlertsRiseAboveTheKeyboardAndFollowItDown) {
  auto field = std::make_shared<TextField>(Rect(20, 400, 200, 30));
  field->setInputView(std::make_shared<DatePicker>());
  window_->addSubview(field);
  field->becomeFirstResponder();
  const double keyboardTop = Keyboard::frame().y;

  auto confirm = AlertView::create("清空重学",
                                   "确定要清空全部学习记录、从头开始吗？这一步不能撤销，"
                                   "已经学过的单词都要重新学习。",
                                   nullptr, "取消", {"确定"});
  confirm->show();
  for (int i = 0; i < 2; ++i) {
    const Rect button = onScreen(*confirm->buttonAtIndex(i));
    EXPECT_LE(bottomOf(button), keyboardTop) << "button " << i;
    EXPECT_GE(onScreen(*confirm).y, 0);
  }
  ASSERT_TRUE(ViewRenderer::renderScreen(2)->writePNG(picturePath("alert_over_keyboard.png")));

  // With the keyboard gone the alert is centred on the screen again.
  window_->endEditing(true);
  EXPECT_NEAR(onScreen(*confirm).center().y, 568 / 2.0, 1);
  confirm->dismissWithClickedButtonIndex(0, false);

  // An alert with fields brings its own keyboard up and stays above it.
  auto login = AlertView::create("登录", "请输入账号和密码", nullptr, "取消", {"登录"});
  login->setAlertViewStyle(AlertViewStyle::LoginAndPasswordInput);
  login->show();
  ASSERT_TRUE(Keyboard::isVisible());
  for (int i = 0; i < 2; ++i)
    EXPECT_LE(bottomOf(onScreen(*login->buttonAtIndex(i))), Keyboard::frame().y) << i;
  login->dismissWithClickedButtonIndex(0, false);
}
