// The message bubble: a short text in a rounded box in the middle of the screen that fades in,
// stays for a time that grows with the text and fades out by itself. One per root view.
#pragma once

#include <memory>
#include <string>

#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/View.h"

class MyAlerView : public plat::View {
 public:
  static constexpr int kTag = 1234;
  static constexpr int kLabelTag = 101;
  static constexpr int kImageTag = 102;
  static constexpr double kFadeSeconds = 0.7;

  explicit MyAlerView(const plat::Rect& frame);

  // The bubble of the key window's root view, made there on first use.
  static std::shared_ptr<MyAlerView> sharedAler();

  // Shows `text`; "" shows nothing, a text starting with "@" goes to a standard alert instead.
  void ViewShow(const std::string& text);
  // The text shown for `text`: the HTTP client's fixed error texts become our own.
  static std::string netError(const std::string& text);
  // Lays the bubble out for `text`.
  void setHight(const std::string& text);
  // Fades out after the hold time.
  void ViewHide();
  // A pop animation that blocks the caller until it ends.
  void animate();

  // How long the current text stays fully visible, in seconds.
  double delay() const { return _delay; }
  // How long a text of `text`'s length stays.
  static double holdSeconds(const std::string& text);

 private:
  void fadeIn();

  double _delay = 0;
  std::shared_ptr<plat::ImageView> image_;
  std::shared_ptr<plat::Label> label_;
};
