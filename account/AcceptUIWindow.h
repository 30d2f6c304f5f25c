// The one mnemonic offer window of the application: a dimmed window above every other one, made
// key while it shows, holding the offer box. It goes after an adoption or a decline, gives the
// key back to the window that had it, then tells the card that opened it.
#pragma once

#include <memory>
#include <string>

#include "account/AcceptViewController.h"
#include "online/AcceptUIWindowDeleage.h"
#include "platform/base/Value.h"
#include "platform/view/Window.h"

class AcceptUIWindow : public plat::Window, public AcceptViewDeleage {
 public:
  static constexpr double kFadeSeconds = 0.2;

  // Opens the window (made when none is shown; one already shown keeps its delegate) and fills
  // it with the offered row.
  static void show(std::weak_ptr<AcceptUIWindowDeleage> deleage, const std::string& wordName,
                   const plat::Value& helpInfo);
  // Fills the shown window; nothing when none is shown.
  static void showHelpInfo(const std::string& wordName, const plat::Value& helpInfo);
  // The shown window, or nullptr.
  static AcceptUIWindow* shown();

  AcceptUIWindow();
  ~AcceptUIWindow() override;

  void close_callback() override;  // fades out, then dialogIsRemoved
  void dialogIsRemoved();

  AcceptViewController& content() const { return *content_; }

 private:
  std::weak_ptr<AcceptUIWindowDeleage> deleage_;
  std::shared_ptr<AcceptViewController> content_;
  bool closing_ = false;  // a second close while fading changes nothing
};
