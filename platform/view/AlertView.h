// An alert: a title, a message, optional text fields and buttons (the cancel button first), shown
// in the overlay above every screen. A tapped button tells the delegate which one, then the alert
// goes and the delegate hears of the dismissal.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/view/ButtonPanel.h"
#include "platform/view/Label.h"
#include "platform/view/TextField.h"

namespace plat {

class AlertView;

enum class AlertViewStyle { Default, SecureTextInput, PlainTextInput, LoginAndPasswordInput };

class AlertViewDelegate {
 public:
  virtual ~AlertViewDelegate() = default;
  virtual void clickedButtonAtIndex(AlertView&, int) {}
  virtual void willDismissWithButtonIndex(AlertView&, int) {}
  virtual void didDismissWithButtonIndex(AlertView&, int) {}
  virtual void willPresent(AlertView&) {}
  virtual void didPresent(AlertView&) {}
  // Whether the first button after the cancel button may be pressed (checked as text is typed).
  virtual bool shouldEnableFirstOtherButton(AlertView&) { return true; }
};

class AlertView : public ButtonPanel {
 public:
  static constexpr double kWidth = 270;

  AlertView(const std::string& title, const std::string& message, AlertViewDelegate* delegate,
            const std::string& cancelButtonTitle,
            const std::vector<std::string>& otherButtonTitles);
  static std::shared_ptr<AlertView> create(const std::string& title, const std::string& message,
                                           AlertViewDelegate* delegate,
                                           const std::string& cancelButtonTitle,
                                           const std::vector<std::string>& otherButtonTitles = {});
  ~AlertView() override;

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) { title_ = title; }
  const std::string& message() const { return message_; }
  void setMessage(const std::string& message) { message_ = message; }
  AlertViewDelegate* delegate() const { return delegate_; }
  void setDelegate(AlertViewDelegate* delegate) { delegate_ = delegate; }
  AlertViewStyle alertViewStyle() const { return style_; }
  void setAlertViewStyle(AlertViewStyle style);
  TextField* textFieldAtIndex(int index) const;

  int cancelButtonIndex() const { return cancelIndex_; }
  int firstOtherButtonIndex() const;

  void show();

  void layoutSubviews() override;
  std::string displayedText() const override { return title_ + "\n" + message_; }

 protected:
  void rebuild() override;
  void clicked(int index) override;
  void willDismiss(int index) override;
  void didDismiss(int index) override;

 private:
  void refreshFirstOther();
  // Keeps the alert above the keyboard while it is on screen.
  void followKeyboard();

  std::string title_;
  std::string message_;
  AlertViewDelegate* delegate_;
  AlertViewStyle style_ = AlertViewStyle::Default;
  int cancelIndex_ = -1;
  std::shared_ptr<Label> titleLabel_;
  std::shared_ptr<Label> messageLabel_;
  std::vector<std::shared_ptr<TextField>> fields_;
};

}  // namespace plat
