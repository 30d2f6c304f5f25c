// A multi-line, scrolling text input: the text wrapped to its width inside an 8-point inset,
// editing as first responder with the delegate asked before every change, and the did-change
// notification for what the user types (not for text set in code).
#pragma once

#include <memory>
#include <string>

#include "platform/draw/TextColumn.h"
#include "platform/view/Keyboard.h"
#include "platform/view/ScrollView.h"
#include "platform/view/TextEditing.h"

namespace plat {

class TextView;

inline const std::string kTextViewTextDidBeginEditingNotification =
    "UITextViewTextDidBeginEditingNotification";
inline const std::string kTextViewTextDidEndEditingNotification =
    "UITextViewTextDidEndEditingNotification";
inline const std::string kTextViewTextDidChangeNotification = "UITextViewTextDidChangeNotification";

class TextViewDelegate : public ScrollViewDelegate {
 public:
  virtual bool shouldBeginEditing(TextView&) { return true; }
  virtual void didBeginEditing(TextView&) {}
  virtual bool shouldEndEditing(TextView&) { return true; }
  virtual void didEndEditing(TextView&) {}
  virtual bool shouldChangeText(TextView&, TextRange, const std::string& /*replacement*/) {
    return true;
  }
  virtual void didChange(TextView&) {}
  // A paste past the view's bound was refused whole; by default an alert names the bound.
  virtual void pasteTooLong(TextView& view);
};

class TextView : public ScrollView, public TextInput {
 public:
  static constexpr double kInset = 8;

  explicit TextView(const Rect& frame = {});

  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  Color textColor() const { return textColor_; }
  void setTextColor(const Color& color) { textColor_ = color; }
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  bool isEditable() const { return editable_; }
  void setEditable(bool editable);
  KeyboardType keyboardType() const override { return keyboardType_; }
  void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  void setInputView(std::shared_ptr<View> view) { inputView_ = std::move(view); }
  std::shared_ptr<View> inputView() const override { return inputView_; }
  void setInputAccessoryView(std::shared_ptr<View> view) { accessoryView_ = std::move(view); }
  std::shared_ptr<View> inputAccessoryView() const override { return accessoryView_; }
  TextViewDelegate* textDelegate() const { return textDelegate_; }
  void setTextDelegate(TextViewDelegate* delegate);
  bool isEditing() const { return editing_; }
  // The caret's range (the end of the text after typing).
  TextRange selectedRange() const { return selected_; }
  void setSelectedRange(TextRange range) { selected_ = range; }
  // The height of the text's lines at the view's width (the content without its insets).
  double textHeight() const { return column_->height(); }
  // Scrolls the content so that the end of the text shows.
  void scrollToEnd(bool animated);

  bool canBecomeFirstResponder() const override { return editable_; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void insertText(const std::string& text) override;
  void deleteBackward() override;
  void returnKey() override { insertText("\n"); }
  void insertPasted(const std::string& text) override;
  std::string_view heldText() const override { return text_; }
  PasteBound pasteBound() const override { return pasteBound_; }
  // The longest paste, in bytes (a text file's size, say).
  void setMostPastedBytes(size_t bytes) { pasteBound_.bytes = bytes; }
  // What the view holds at most after a paste, in characters.
  void setMostCharacters(size_t characters) { pasteBound_.characters = characters; }
  // What the view holds at most after a paste, in UTF-16 units, for a view whose owner keeps
  // the start of a long text rather than refusing it: a paste past it goes in cut to fit, never
  // inside a character. Only what fits is laid out, however long the paste (0: no cut).
  void setPasteCutAtUnits(size_t units) { pasteCutAtUnits_ = units; }
  void pasteTooLong() override;
  // The alert that names the bound, whatever the delegate does.
  void sayPasteTooLong() { TextInput::pasteTooLong(); }

  void setBounds(const Rect& bounds) override;
  void touchesEnded(const TouchSet& touches) override;
  void drawRect(DrawContext& context, const Rect& rect) override;
  Size sizeThatFits(Size size) const override;
  std::string displayedText() const override { return text_; }

 private:
  void updateContentSize();
  void userChanged();
  bool askToEnd();
  void tellEnded();
  textedit::ChangeCheck changeCheck();  // the delegate's say on a change
  std::string fittingPaste(const std::string& pasted) const;
  Size textSize(double width) const;
  TextLayout::Options layoutOptions(double width) const;

  std::string text_;
  Font font_ = Font::system(12);
  Color textColor_ = Color::black();
  TextAlignment alignment_ = TextAlignment::Left;
  bool editable_ = true;
  KeyboardType keyboardType_ = KeyboardType::Default;
  ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
  std::shared_ptr<View> inputView_;
  std::shared_ptr<View> accessoryView_;
  TextViewDelegate* textDelegate_ = nullptr;
  bool editing_ = false;
  PasteBound pasteBound_;
  size_t pasteCutAtUnits_ = 0;
  TextRange selected_;
  // The text as laid out at the view's width; drawing shows only the lines in view.
  std::unique_ptr<TextColumn> column_;
};

}  // namespace plat
