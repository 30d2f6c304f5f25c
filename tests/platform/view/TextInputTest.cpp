#include <gtest/gtest.h>

#include "platform/base/NotificationCenter.h"
#include "platform/view/DatePicker.h"
#include "platform/view/KeyboardBar.h"
#include "platform/view/TextField.h"
#include "platform/view/TextView.h"
#include "platform/view/ViewRenderer.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class FieldLog : public TextFieldDelegate {
 public:
  std::vector<std::string> calls;
  std::vector<TextRange> ranges;
  bool allowEnd = true;
  bool allowClear = true;
  std::string refused;  // a replacement to refuse
  bool shouldBeginEditing(TextField&) override {
    calls.push_back("should begin");
    return true;
  }
  void didBeginEditing(TextField&) override { calls.push_back("did begin"); }
  bool shouldEndEditing(TextField&) override {
    calls.push_back("should end");
    return allowEnd;
  }
  void didEndEditing(TextField&) override { calls.push_back("did end"); }
  bool shouldChangeCharacters(TextField&, TextRange range, const std::string& text) override {
    ranges.push_back(range);
    return text != refused;
  }
  bool shouldClear(TextField&) override { return allowClear; }
  bool shouldReturn(TextField& field) override {
    calls.push_back("return");
    field.resignFirstResponder();
    return false;
  }
};

class Observer {
 public:
  std::vector<std::string> names;
  std::vector<Rect> endFrames;
  explicit Observer(const std::vector<std::string>& watched) {
    for (const auto& name : watched) {
      NotificationCenter::defaultCenter().addObserver(
          this, name, nullptr, [this](const Notification& n) {
            names.push_back(n.name);
            if (n.userInfo.has(kKeyboardFrameEndKey)) {
              endFrames.push_back(Keyboard::rectFromValue(n.userInfo.get(kKeyboardFrameEndKey)));
            }
          });
    }
  }
  ~Observer() { NotificationCenter::defaultCenter().removeObserver(this); }
};

using Typing = testsupport::ViewFixture;

}  // namespace

TEST_F(Typing, ATappedFieldEditsWithTheKeyboardUp) {
  auto field = std::make_shared<TextField>(Rect(20, 100, 200, 30));
  FieldLog log;
  field->setDelegate(&log);
  window_->addSubview(field);
  Observer keyboard({kKeyboardWillShowNotification, kKeyboardWillHideNotification,
                     kTextFieldTextDidChangeNotification});

  tap(centerOf(*field));
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_EQ(log.calls, (std::vector<std::string>{"should begin", "did begin"}));
  ASSERT_EQ(keyboard.endFrames.size(), 1u);
  EXPECT_EQ(keyboard.endFrames[0], Rect(0, 568 - keyboardbar::kHeight, 320, keyboardbar::kHeight));

  log.refused = "x";
  Keyboard::type("a中x😀");
  EXPECT_EQ(field->text(), "a中😀");
  EXPECT_EQ(log.ranges, (std::vector<TextRange>{{0, 0}, {1, 0}, {2, 0}, {2, 0}}));
  Keyboard::deleteBackward();
  EXPECT_EQ(field->text(), "a中");
  EXPECT_EQ(log.ranges.back(), (TextRange{2, 2})) << "an emoji is two UTF-16 units";

  Keyboard::pressReturn();
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_FALSE(Keyboard::isVisible());
  ASSERT_EQ(keyboard.names.size(), 6u) << "shown, three typed and one deleted, hidden";
  EXPECT_EQ(keyboard.names[4], kTextFieldTextDidChangeNotification);
  EXPECT_EQ(keyboard.names[5], kKeyboardWillHideNotification);
  EXPECT_FALSE(Keyboard::type("z")) << "nothing takes text now";
}

TEST_F(Typing, MovingBetweenFieldsKeepsTheKeyboardUp) {
  auto a = std::make_shared<TextField>(Rect(20, 100, 200, 30));
  auto b = std::make_shared<TextField>(Rect(20, 200, 200, 30));
  FieldLog logA;
  a->setDelegate(&logA);
  window_->addSubview(a);
  window_->addSubview(b);
  Observer keyboard({kKeyboardWillShowNotification, kKeyboardWillHideNotification});
  a->becomeFirstResponder();
  b->becomeFirstResponder();
  EXPECT_EQ(keyboard.names, (std::vector<std::string>{kKeyboardWillShowNotification}));

  // A field that will not end editing keeps the keyboard.
  a->becomeFirstResponder();
  logA.allowEnd = false;
  EXPECT_FALSE(b->becomeFirstResponder());
  EXPECT_TRUE(a->isFirstResponder());
  logA.allowEnd = true;
  window_->endEditing(true);
  EXPECT_FALSE(Keyboard::isVisible());
  // Removing the editing view from the screen ends its editing too.
  b->becomeFirstResponder();
  b->removeFromSuperview();
  EXPECT_EQ(Keyboard::firstResponder(), nullptr);
  EXPECT_FALSE(Keyboard::isVisible());
}

TEST_F(Typing, AnInputViewTakesTheKeyboardsPlaceOverTheFieldsWindow) {
  auto field = std::make_shared<TextField>(Rect(20, 100, 200, 30));
  auto picker = std::make_shared<DatePicker>();
  picker->setMode(DatePickerMode::CountDownTimer);
  field->setInputView(picker);
  window_->addSubview(field);
  int changes = 0;
  picker->addTarget([&](Control&) { ++changes; }, kValueChanged);
  field->becomeFirstResponder();
  ASSERT_NE(Keyboard::window(), nullptr);
  EXPECT_EQ(picker->window(), Keyboard::window());
  picker->pickCountDown(90 * 60 + 25);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(picker->countDownDuration(), 90 * 60);
  EXPECT_EQ(picker->displayedValue(), "1 小时 30 分钟");
  picker->setCountDownDuration(60);
  EXPECT_EQ(changes, 1) << "values set in code send nothing";
  // The arrows over and under the hours and the minutes step them, round the clock.
  auto tapPicker = [&](double across, double down) {
    Window* keyboard = picker->window();
    const Rect shown = picker->convertRectTo(picker->bounds(), keyboard);
    const Point p{shown.x + shown.width * across, shown.midY() + down};
    keyboard->sendTouch(TouchPhase::Began, p);
    keyboard->sendTouch(TouchPhase::Ended, p);
  };
  tapPicker(0.25, -40);
  EXPECT_EQ(picker->countDownDuration(), 3600 + 60);
  for (int i = 0; i < 2; ++i) tapPicker(0.75, 40);
  EXPECT_EQ(picker->countDownDuration(), 3600 + 59 * 60);
  EXPECT_EQ(changes, 4);
  field->resignFirstResponder();
  EXPECT_EQ(picker->superview(), nullptr);

  // The keyboard comes up over the window of its field, as the login form's.
  auto form = std::make_shared<Window>();
  form->setWindowLevel(kWindowLevelStatusBar);
  form->makeKeyAndVisible();
  auto onForm = std::make_shared<TextField>(Rect(20, 100, 200, 30));
  form->addSubview(onForm);
  onForm->becomeFirstResponder();
  ASSERT_NE(Keyboard::window(), nullptr);
  EXPECT_EQ(Application::shared().windowAt(Keyboard::frame().center()), Keyboard::window());
  onForm->resignFirstResponder();
}

TEST_F(Typing, TextViewsTellOfTypingButNotOfTextSetInCode) {
  auto view = std::make_shared<TextView>(Rect(0, 0, 200, 100));
  window_->addSubview(view);
  Observer changes({kTextViewTextDidChangeNotification});
  view->setText("preset");
  EXPECT_TRUE(changes.names.empty());
  tap(centerOf(*view));
  ASSERT_TRUE(view->isFirstResponder());
  Keyboard::type("ab");
  Keyboard::pressReturn();
  EXPECT_EQ(view->text(), "presetab\n");
  EXPECT_EQ(changes.names.size(), 3u);
  double oneLine = view->contentSize().height;
  Keyboard::type("more\nand more\nlines\nof text\nthat grow\nthe content");
  EXPECT_GT(view->contentSize().height, oneLine * 2);
  // The line being typed is in view, with the caret at its end.
  EXPECT_EQ(view->contentOffset().y, view->contentSize().height - view->bounds().height);
  auto image = ViewRenderer::renderView(*view, 1);
  int caretPixels = 0;
  for (int y = 0; y < image->pixelHeight(); ++y)
    for (int x = 0; x < image->pixelWidth(); ++x)
      if (!testsupport::differs(image->pixel(x, y), Color::rgb255(0, 122, 255), 0.05))
        ++caretPixels;
  EXPECT_GT(caretPixels, 10);
}

TEST_F(Typing, ALongTextScrollsToTheCaretAndTheClearButtonEmptiesTheField) {
  auto field = std::make_shared<TextField>(Rect(20, 100, 200, 30));
  field->setClearButtonMode(TextFieldViewMode::WhileEditing);
  window_->addSubview(field);
  tap(centerOf(*field));
  Keyboard::type(std::string(40, 'm') + "W");
  ASSERT_TRUE(field->showsClearButton());

  const double scale = 2;
  auto image = ViewRenderer::renderView(*field, scale);
  auto pixel = [&](double x, double y) { return image->pixel(int(x * scale), int(y * scale)); };
  const Rect area = field->editingRectForBounds(field->bounds());
  const Rect button = field->clearButtonRectForBounds(field->bounds());
  EXPECT_LE(area.maxX(), button.x);
  // The caret stands inside the field at the end of the text, which was scrolled to it.
  EXPECT_FALSE(
      testsupport::differs(pixel(area.maxX() - 1, area.midY()), Color::rgb255(0, 122, 255), 0.05));
  EXPECT_FALSE(testsupport::differs(pixel(button.x + 3, button.midY()), Color::white(0.7), 0.05))
      << "the clear button is drawn";

  FieldLog log;
  field->setDelegate(&log);
  int changes = 0;
  field->addTarget([&](Control&) { ++changes; }, kEditingChanged);
  log.allowClear = false;
  tap(field->convertPointTo(button.center(), nullptr));
  EXPECT_EQ(field->text().size(), 41u) << "the delegate may keep the text";
  log.allowClear = true;
  tap(field->convertPointTo(button.center(), nullptr));
  EXPECT_EQ(field->text(), "");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(field->isFirstResponder());
}

TEST_F(Typing, DatePickersKeepWithinTheirLimits) {
  DatePicker picker;
  picker.setTimeZone(TimeZone::fixed(8 * 3600));
  picker.setMode(DatePickerMode::Time);
  picker.setDate(1'700'000'000);
  EXPECT_EQ(picker.displayedValue(), "06:13");
  picker.setMode(DatePickerMode::Date);
  EXPECT_EQ(picker.displayedValue(), "2023-11-15");
  picker.setMinimumDate(1'700'000'100);
  EXPECT_EQ(picker.date(), 1'700'000'100);
  picker.setMaximumDate(1'700'000'200);
  picker.pick(1'800'000'000);
  EXPECT_EQ(picker.date(), 1'700'000'200);
  picker.setMinuteInterval(5);
  picker.setCountDownDuration(17 * 60);
  EXPECT_EQ(picker.countDownDuration(), 15 * 60);
  picker.setCountDownDuration(48 * 3600);
  EXPECT_EQ(picker.countDownDuration(), 23 * 3600 + 55 * 60);
}

// Each keypad takes its own keys, typed or pasted, in half or full width; a paste holding a key it
// lacks is refused whole and asks the delegate nothing. Other keyboards take any text as it is.
TEST_F(Typing, KeypadsTakeTheirOwnKeysInEitherWidthAndRefuseAPasteWithOthers) {
  auto field = std::make_shared<TextField>(Rect(20, 100, 200, 30));
  FieldLog log;
  field->setDelegate(&log);
  window_->addSubview(field);
  auto pasteInto = [&](KeyboardType type, const std::string& pasted) {
    field->setKeyboardType(type);
    field->setText("");
    log.ranges.clear();
    EXPECT_TRUE(Keyboard::paste(pasted));
    return field->text();
  };
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(pasteInto(KeyboardType::DecimalPad, "３．５"), "3.5");
  EXPECT_EQ(log.ranges.size(), 1u) << "one insertion";
  EXPECT_EQ(pasteInto(KeyboardType::PhonePad, "＋８６ 10"), "") << "a space has no key";
  EXPECT_TRUE(log.ranges.empty()) << "a refused paste asks nothing";
  EXPECT_EQ(pasteInto(KeyboardType::PhonePad, "＋８６＃"), "+86#");
  EXPECT_EQ(pasteInto(KeyboardType::NumberPad, "1２３"), "123");
  EXPECT_EQ(pasteInto(KeyboardType::NumberPad, "٣"), "") << "another script's digit";
  EXPECT_EQ(pasteInto(KeyboardType::NumberPad, "\xEF\xBC"), "") << "a broken character";
  EXPECT_EQ(pasteInto(KeyboardType::Default, "１２ ab-0"), "１２ ab-0");

  field->setKeyboardType(KeyboardType::NumberPad);
  field->setText("");
  Keyboard::type("４a2．");
  EXPECT_EQ(field->text(), "42") << "typing drops each key the keypad lacks";
}

namespace {

class AreaLog : public TextViewDelegate {
 public:
  std::vector<std::string> asked;  // the replacements the view asked about
  int tooLong = 0;
  bool shouldChangeText(TextView&, TextRange, const std::string& text) override {
    asked.push_back(text);
    return true;
  }
  void pasteTooLong(TextView&) override { ++tooLong; }
};

}  // namespace

// On the desktop a paste may come seconds after it was asked for, when the learner has moved on
// to another field: it goes into the field it was asked for, whose editing has ended, asking its
// delegate as typing does, and the field being edited keeps its text. A paste longer than the
// view's bound is refused whole and its delegate told; a view made read-only takes none.
TEST_F(Typing, ALatePasteGoesIntoTheFieldItWasAskedForAndOneTooLongIsRefusedWhole) {
  auto area = std::make_shared<TextView>(Rect(20, 40, 200, 100));
  auto field = std::make_shared<TextField>(Rect(20, 160, 200, 30));
  AreaLog log;
  area->setTextDelegate(&log);
  window_->addSubview(area);
  window_->addSubview(field);
  ASSERT_TRUE(area->becomeFirstResponder());
  ASSERT_TRUE(field->becomeFirstResponder());
  ASSERT_FALSE(area->isEditing());

  EXPECT_TRUE(Keyboard::pasteInto(*area, "Pasted late."));
  EXPECT_EQ(area->text(), "Pasted late.");
  EXPECT_EQ(log.asked, std::vector<std::string>{"Pasted late."});
  EXPECT_EQ(field->text(), "");
  EXPECT_EQ(Keyboard::firstResponder(), field.get());

  area->setMostPastedBytes(5);
  EXPECT_TRUE(Keyboard::pasteInto(*area, "123456"));
  EXPECT_EQ(log.tooLong, 1);
  EXPECT_EQ(log.asked.size(), 1u) << "a paste too long asks nothing";
  EXPECT_TRUE(Keyboard::pasteInto(*area, " 1234"));
  EXPECT_EQ(area->text(), "Pasted late. 1234") << "the bound is the paste's, not the text's";

  area->setEditable(false);
  Keyboard::pasteInto(*area, "!");
  EXPECT_EQ(area->text(), "Pasted late. 1234");
  EXPECT_FALSE(Keyboard::pasteInto(*window_, "!")) << "a view that takes no text";
}
