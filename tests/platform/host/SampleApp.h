// A small application for the host tests: a tab bar with a navigation stack (a label, a button, a
// button that asks with an alert, a web page) and a table of words, as the real screens are built.
// It records what its delegates hear.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/view/AlertView.h"
#include "platform/view/Application.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "platform/view/TableView.h"
#include "platform/view/WebView.h"
#include "platform/view/Window.h"

namespace testsupport {

class SampleApp : public plat::ApplicationDelegate, public plat::AlertViewDelegate {
 public:
  std::vector<std::string> events;
  std::shared_ptr<plat::Window> window;
  std::shared_ptr<plat::TabBarController> tabs;
  std::shared_ptr<plat::NavigationController> nav;
  std::vector<int> alertButtons;
  std::vector<int> selectedRows;

  bool didFinishLaunching(plat::Application&, const plat::Value&) override;
  void didBecomeActive(plat::Application&) override { events.push_back("active"); }
  void didReceiveMemoryWarning(plat::Application&) override { events.push_back("memory"); }
  void didDismissWithButtonIndex(plat::AlertView&, int index) override {
    alertButtons.push_back(index);
  }
};

}  // namespace testsupport
