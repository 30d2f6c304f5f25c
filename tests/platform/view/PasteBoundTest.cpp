// What a paste may bring into a field and what a field with a huge text costs to draw: a one-line
// field holds what fits its bound and says so of a longer paste, draws only what it shows, and a
// paste that comes after its editing ended ends it once more, so that its owner keeps it.
#include <gtest/gtest.h>

#include "platform/view/AlertView.h"
#include "platform/view/DatePicker.h"
#include "platform/view/FieldLine.h"
#include "platform/view/TextField.h"
#include "platform/view/TextView.h"
#include "platform/view/ViewRenderer.h"
#include "tests/platform/view/ViewFixture.h"
#include "tests/support/EndsWithin.h"

using namespace plat;

namespace {

// What measuring a field's shown part may take, far beyond the milliseconds it takes, also with
// every core busy.
constexpr double kMeasuringSeconds = 10;

// Words of varied widths, `bytes` long.
std::string longText(size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) text += "word" + std::to_string(i) + " 词 ";
  text.resize(bytes);
  return text;
}

// The alert shown over the screen, if one is.
AlertView* alertIn(View& view) {
  if (auto* alert = dynamic_cast<AlertView*>(&view); alert && alert->isVisible()) return alert;
  for (const auto& subview : view.subviews())
    if (AlertView* alert = alertIn(*subview)) return alert;
  return nullptr;
}
AlertView* shownAlert() {
  Window* overlay = ModalOverlay::window();
  return overlay ? alertIn(*overlay) : nullptr;
}
std::string alertShown() {
  const AlertView* alert = shownAlert();
  return alert ? alert->message() : "";
}

// Keeps the field's text as it ends, as the settings keep an amount.
class KeepsAtEnd : public TextFieldDelegate, public TextViewDelegate {
 public:
  std::string kept;
  int endings = 0;
  bool shouldEndEditing(TextField& field) override {
    kept = field.text();
    return true;
  }
  void didEndEditing(TextField&) override { ++endings; }
  bool shouldEndEditing(TextView& view) override {
    kept = view.text();
    return true;
  }
  void didEndEditing(TextView&) override { ++endings; }
};

class PasteBounds : public testsupport::ViewFixture {
 protected:
  std::shared_ptr<TextField> addField(double y) {
    auto field = std::make_shared<TextField>(Rect(20, y, 200, 30));
    window_->addSubview(field);
    return field;
  }
  void dismissAlert() {
    if (AlertView* alert = shownAlert()) alert->dismissWithClickedButtonIndex(0, false);
    advance(1);
  }
};

}  // namespace

// A field counts what it would hold with the paste, in characters (a Chinese one is one); a paste
// past that is refused whole and an alert names the bound. A text area without a bound of its
// own takes 4 MB, and says so of more.
TEST_F(PasteBounds, APastePastAFieldsBoundIsRefusedWholeAndTheAlertNamesIt) {
  auto field = addField(100);
  ASSERT_TRUE(field->becomeFirstResponder());
  Keyboard::type("12345678");
  EXPECT_TRUE(Keyboard::paste(std::string(kFieldCharacters - 7, 'x')));
  EXPECT_EQ(field->text(), "12345678") << "258 characters with the paste";
  EXPECT_EQ(alertShown(), "文本太长，这一栏最多填256个字");
  dismissAlert();
  EXPECT_TRUE(Keyboard::paste(std::string(kFieldCharacters - 8, 'x')));
  EXPECT_EQ(field->text().size(), kFieldCharacters);
  EXPECT_EQ(alertShown(), "");

  auto amount = addField(150);
  amount->setMostCharacters(4);
  ASSERT_TRUE(amount->becomeFirstResponder());
  Keyboard::type("1");
  Keyboard::paste("两百");
  Keyboard::paste("五");
  EXPECT_EQ(amount->text(), "1两百五");
  Keyboard::paste("0");
  EXPECT_EQ(alertShown(), "文本太长，这一栏最多填4个字");
  dismissAlert();
  // The reader of the desktop's clipboard stops a little past what could fit.
  EXPECT_EQ(amount->pasteBound().mostBytesRead(), 16u);

  auto area = std::make_shared<TextView>(Rect(20, 200, 200, 100));
  window_->addSubview(area);
  ASSERT_TRUE(area->becomeFirstResponder());
  Keyboard::paste(longText(kMostPastedBytes + 1));
  EXPECT_EQ(area->text(), "");
  EXPECT_EQ(alertShown(), "文本太长，只能粘贴4MB以内的文本");
  dismissAlert();
  KeepsAtEnd quiet;  // a delegate that says nothing of it leaves the alert to the view
  area->setTextDelegate(&quiet);
  area->setMostCharacters(3);
  Keyboard::paste("abcd");
  EXPECT_EQ(alertShown(), "文本太长，这一栏最多填3个字");
  EXPECT_EQ(area->text(), "");
}

// A field of 4 MB draws as the same field holding only the end it shows while edited, or the
// start it shows otherwise, secure or not: a frame lays out what fits, not the whole text. It
// once laid the whole text out at every frame, and a window with a pasted megabyte froze.
TEST_F(PasteBounds, AFieldOfMegabytesDrawsWhatItShowsAndLaysOutNoMore) {
  const std::string huge = longText(kMostPastedBytes);
  auto field = addField(100);
  auto same = addField(150);
  field->setText(huge);
  for (const bool secure : {false, true}) {
    field->setSecureTextEntry(secure);
    same->setSecureTextEntry(secure);
    for (const bool editing : {false, true}) {
      if (editing) {
        ASSERT_TRUE(field->becomeFirstResponder());
      }
      EXPECT_LT(field->shownText().size(), 1000u) << "secure " << secure << ", editing " << editing;
      const std::string picture = ViewRenderer::renderView(*field, 2)->pngData();
      same->setText(
          std::string(editing ? fieldline::last(huge, 400) : fieldline::first(huge, 400)));
      if (editing) {
        ASSERT_TRUE(same->becomeFirstResponder());
      }
      EXPECT_EQ(picture, ViewRenderer::renderView(*same, 2)->pngData())
          << "secure " << secure << ", editing " << editing;
      same->resignFirstResponder();
    }
    field->resignFirstResponder();
  }
  // Marks of no width are looked at up to a bound, not to the text's end, from either end.
  // Without the bound the look would double on until the whole text or for ever.
  std::string zeroWidth;
  for (int i = 0; i < 100000; ++i) zeroWidth += "\u200b";
  const Font font = Font::system(17);
  const auto [head, tail] = testsupport::endsWithin(
      kMeasuringSeconds, "a one-line field measuring 100,000 marks of no width", [&] {
        return std::pair(fieldline::head(zeroWidth, font, 200).size(),
                         fieldline::tail(zeroWidth, font, 200).size());
      });
  EXPECT_LE(head, fieldline::kMostShownCharacters * 3);
  EXPECT_LE(tail, fieldline::kMostShownCharacters * 3);
}

// Ctrl+V, then the editing ended before the slow clipboard's owner answered: the paste goes in
// and the field's editing ends once more, so that its owner, which keeps the text as an editing
// ends, keeps what the field shows. A field whose input is a picker takes no paste.
TEST_F(PasteBounds, APasteAfterTheEditingEndedIsKeptAsTheEditingsEnd) {
  KeepsAtEnd owner;
  auto field = addField(100);
  field->setDelegate(&owner);
  int ended = 0;
  field->addTarget([&](Control&) { ++ended; }, kEditingDidEnd);
  ASSERT_TRUE(field->becomeFirstResponder());
  Keyboard::type("2");
  ASSERT_TRUE(field->resignFirstResponder());
  EXPECT_EQ(owner.kept, "2");
  EXPECT_TRUE(Keyboard::pasteInto(*field, "30"));
  EXPECT_EQ(field->text(), "230");
  EXPECT_EQ(owner.kept, "230");
  EXPECT_EQ(owner.endings, 2);
  EXPECT_EQ(ended, 2);
  EXPECT_FALSE(field->isEditing());

  auto area = std::make_shared<TextView>(Rect(20, 200, 200, 100));
  window_->addSubview(area);
  area->setTextDelegate(&owner);
  ASSERT_TRUE(area->becomeFirstResponder());
  Keyboard::type("A note");
  ASSERT_TRUE(area->resignFirstResponder());
  Keyboard::pasteInto(*area, " pasted late.");
  EXPECT_EQ(owner.kept, "A note pasted late.");
  EXPECT_EQ(owner.endings, 4);

  auto time = addField(150);
  time->setText("08:00");
  time->setInputView(std::make_shared<DatePicker>(Rect(0, 0, 320, 216)));
  ASSERT_TRUE(time->becomeFirstResponder());
  Keyboard::paste("tomorrow");
  EXPECT_EQ(time->text(), "08:00");
}
