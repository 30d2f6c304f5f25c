// The review screen's daily screens on the shipped learn.db through the headless host on the
// virtual clock: a window whose navigation stack starts at an opener titled as the review screen,
// the stand-in server on loopback (its replies waited for in real time), and the share sheet
// recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw/Image.h"
#include "platform/host/HeadlessHost.h"
#include "tests/support/NavApp.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempDeviceStore.h"
#include "tests/support/TempHome.h"

namespace dailytest {

struct SharedItem {
  std::string text;
  std::shared_ptr<plat::Image> picture;
};

class DailyTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void push(const std::shared_ptr<plat::ViewController>& screen);
  // Serves replies on the main run loop until `done` holds or `seconds` of real time pass.
  bool waitFor(const std::function<bool()>& done, double seconds = 10);
  // Lets a reply on its way arrive, then `seconds` of virtual time pass (slides, fades).
  void settle(double seconds = 1);
  void write(const std::string& name);
  bool showing(const std::string& text) const { return host_->findByText(text) != nullptr; }
  void setValue(const std::string& key, const std::string& value);
  // Plants an answered word: last answered `minutesIntoDay` after today's study day began
  // (negative: the day before), with its last three grades, the latest first.
  void answered(const std::string& word, int minutesIntoDay, int g1, int g2, int g3);
  bool planned(const std::string& word);

  std::unique_ptr<testsupport::TempHome> home_;
  std::unique_ptr<testsupport::TempDeviceStore> device_;
  std::unique_ptr<testsupport::StandInServer> server_;
  std::shared_ptr<testsupport::NavApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
  std::vector<SharedItem> shared_;
};

}  // namespace dailytest
