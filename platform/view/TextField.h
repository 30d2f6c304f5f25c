// A one-line text input: text or placeholder in a border or background image, editing as first
// responder with the keyboard (or an input view such as a date picker) up, typed characters
// offered to the delegate first, and the editing events and notifications on the way.
#pragma once

#include <memory>
#include <string>

#include "platform/draw/Image.h"
#include "platform/view/Control.h"
#include "platform/view/Keyboard.h"
#include "platform/view/TextEditing.h"

namespace plat {

class TextField;

inline const std::string kTextFieldTextDidBeginEditingNotification =
    "UITextFieldTextDidBeginEditingNotification";
inline const std::string kTextFieldTextDidEndEditingNotification =
    "UITextFieldTextDidEndEditingNotification";
inline const std::string kTextFieldTextDidChangeNotification =
    "UITextFieldTextDidChangeNotification";

enum class TextBorderStyle { None, Line, Bezel, RoundedRect };
enum class TextFieldViewMode { Never, WhileEditing, UnlessEditing, Always };

class TextFieldDelegate {
 public:
  virtual ~TextFieldDelegate() = default;
  virtual bool shouldBeginEditing(TextField&) { return true; }
  virtual void didBeginEditing(TextField&) {}
  virtual bool shouldEndEditing(TextField&) { return true; }
  virtual void didEndEditing(TextField&) {}
  virtual bool shouldChangeCharacters(TextField&, TextRange, const std::string& /*replacement*/) {
    return true;
  }
  virtual bool shouldClear(TextField&) { return true; }
  virtual bool shouldReturn(TextField&) { return true; }
};

class TextField : public Control, public TextInput {
 public:
  explicit TextField(const Rect& frame = {});

  const std::string& text() const { return text_; }
  void setText(const std::string& text) { text_ = text; }  // no events, as in code
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(const std::string& placeholder) { placeholder_ = placeholder; }
  const Font& font() const { return font_; }
  void setFont(const Font& font) { font_ = font; }
  Color textColor() const { return textColor_; }
  void setTextColor(const Color& color) { textColor_ = color; }
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
  TextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(TextBorderStyle style) { borderStyle_ = style; }
  const std::shared_ptr<Image>& background() const { return background_; }
  void setBackground(std::shared_ptr<Image> image) { background_ = std::move(image); }
  TextFieldViewMode clearButtonMode() const { return clearMode_; }
  void setClearButtonMode(TextFieldViewMode mode) { clearMode_ = mode; }
  bool clearsOnBeginEditing() const { return clearsOnBegin_; }
  void setClearsOnBeginEditing(bool clears) { clearsOnBegin_ = clears; }
  bool isSecureTextEntry() const { return secure_; }
  void setSecureTextEntry(bool secure) { secure_ = secure; }
  KeyboardType keyboardType() const override { return keyboardType_; }
  void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  void setInputView(std::shared_ptr<View> view) { inputView_ = std::move(view); }
  std::shared_ptr<View> inputView() const override { return inputView_; }
  TextFieldDelegate* delegate() const { return delegate_; }
  void setDelegate(TextFieldDelegate* delegate) { delegate_ = delegate; }
  bool isEditing() const { return editing_; }

  // Where the text is drawn: subclasses move it (5 points in from the sides, say).
  virtual Rect textRectForBounds(const Rect& bounds) const;
  virtual Rect editingRectForBounds(const Rect& bounds) const;
  virtual Rect placeholderRectForBounds(const Rect& bounds) const;

  // The clear button: empties the field when the delegate agrees. It shows, at the field's right
  // end, when its mode says so and there is text to clear.
  void clear();
  bool showsClearButton() const;
  Rect clearButtonRectForBounds(const Rect& bounds) const;

  bool canBecomeFirstResponder() const override { return isEnabled(); }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void insertText(const std::string& text) override;
  void insertPasted(const std::string& text) override;
  std::string_view heldText() const override { return text_; }
  // What the field holds at most after a paste, in characters (kFieldCharacters unless set).
  PasteBound pasteBound() const override { return PasteBound::ofCharacters(mostCharacters_); }
  void setMostCharacters(size_t characters) { mostCharacters_ = characters; }
  void deleteBackward() override;
  void returnKey() override;

  void touchesEnded(const TouchSet& touches) override;
  void drawRect(DrawContext& context, const Rect& rect) override;
  std::string displayedText() const override { return text_; }
  // What a frame draws of the text (bullets for a secure one) or of the placeholder: as much of
  // its start, or of its end while it is edited, as fills the field, not the whole text.
  std::string shownText() const;

 private:
  // Where the text or the placeholder is drawn: the rect for what the field shows now.
  Rect shownArea() const;
  std::string shownText(double width) const;
  static void drawClearButton(DrawContext& context, const Rect& rect);
  void changed();
  bool askToEnd();
  void tellEnded();
  textedit::ChangeCheck changeCheck();  // the delegate's say on a change

  std::string text_;
  std::string placeholder_;
  Font font_ = Font::system(17);
  Color textColor_ = Color::black();
  TextAlignment alignment_ = TextAlignment::Left;
  TextBorderStyle borderStyle_ = TextBorderStyle::None;
  std::shared_ptr<Image> background_;
  TextFieldViewMode clearMode_ = TextFieldViewMode::Never;
  bool clearsOnBegin_ = false;
  bool secure_ = false;
  KeyboardType keyboardType_ = KeyboardType::Default;
  ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
  std::shared_ptr<View> inputView_;
  TextFieldDelegate* delegate_ = nullptr;
  bool editing_ = false;
  size_t mostCharacters_ = kFieldCharacters;
};

}  // namespace plat
