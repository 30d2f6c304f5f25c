// Fixture of the account and note screens' tests: the shipped bundle, a navigation stack run by
// the headless host, the stand-in server as the server base, and hooks that record calls.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "learn/BaseWordViewController.h"
#include "online/OnlineScreens.h"
#include "platform/base/RunLoop.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/Label.h"
#include "platform/view/Screen.h"
#include "platform/view/TableView.h"
#include "store/CallDB.h"
#include "store/StoreHooks.h"
#include "tests/online/OnlineFixture.h"
#include "tests/support/NavApp.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempDeviceStore.h"
#include "tests/support/TempHome.h"
#include "ui/BaseViewController.h"

namespace onlinetest {

class AccountUiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the application on a fresh app home (a second device, when called again).
  void startDevice();

  // Runs the main loop for real until `done`, letting virtual time pass in small steps too.
  bool waitFor(const std::function<bool()>& done, double virtualSeconds = 30);
  // Lets a reply that should change nothing arrive and be handled.
  void settle() {
    plat::RunLoop::main().runUntil([] { return false; }, 0.3);
    host_->runUntilIdle();
  }
  // The text shown by the message bubble now, or "".
  std::string bubble() const;
  bool told(const std::string& what) const {
    return std::find(told_.begin(), told_.end(), what) != told_.end();
  }
  // Types into a field: it becomes first responder, its text is replaced.
  void typeInto(plat::View& field, const std::string& text);
  // Plans `count` library words into study with answers and notes, as a learner would leave them.
  void studyWords(int count);
  template <typename Screen>
  std::shared_ptr<Screen> push(std::shared_ptr<Screen> screen) {
    app_->nav->pushViewController(screen, false);
    host_->runUntilIdle();
    return screen;
  }
  // The word card as a word list pushes it.
  std::shared_ptr<BaseWordViewController> pushCard(const std::string& word);
  // Writes the screen as a PNG in the test folder.
  void picture(const std::string& name) {
    EXPECT_TRUE(host_->writeScreen(::testing::TempDir() + name));
  }
  // Drags the table up until its bottom stands `past` points below its content, and lets go.
  void pullUp(plat::TableView& table, double past);
  // The label of a visible cell's content by tag.
  static plat::Label* cellLabel(plat::TableView& table, int row, int tag);
  static int64_t wordId(const std::string& word) { return CallDB::callDB()->getWordID(word); }

  std::unique_ptr<testsupport::StandInServer> server_;
  std::unique_ptr<testsupport::TempDeviceStore> device_;
  std::unique_ptr<testsupport::TempHome> home_;
  std::shared_ptr<testsupport::NavApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
  std::vector<std::string> told_;
};

// With the account "carol" stored on the device and on the server.
class SignedInTest : public AccountUiTest {
 protected:
  void SetUp() override;
};

// The same on a tablet, upright at first.
class SignedInOnATabletTest : public SignedInTest {
 protected:
  void SetUp() override {
    plat::Screen::main().configure({768, 1024}, 2, plat::UserInterfaceIdiom::Pad);
    SignedInTest::SetUp();
  }
  void TearDown() override {
    SignedInTest::TearDown();
    plat::Screen::main().reset();
  }
};

}  // namespace onlinetest
