// The screen of a tab whose real screen is not part of the application yet: the tab's title in
// the navigation bar over an empty page that says so.
#pragma once

#include <memory>
#include <string>

#include "ui/BaseViewController.h"

class PlaceholderScreen : public BaseViewController {
 public:
  explicit PlaceholderScreen(const std::string& title);
  void viewDidLoad() override;

  // The screen inside its tab's navigation controller.
  static std::shared_ptr<plat::ViewController> tab(const std::string& title);
};
