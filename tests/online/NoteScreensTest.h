// Fixture of the messages, word note and offer screens' tests: the account screens' fixture with
// a stored account on the stand-in server, screens pushed onto the navigation stack, the word
// card of the shipped learn.db, and pictures of the screen.
#pragma once

#include <memory>
#include <string>

#include "learn/BaseWordViewController.h"
#include "platform/view/Label.h"
#include "platform/view/TableView.h"
#include "tests/online/AccountUiTest.h"

namespace onlinetest {

class NoteScreensTest : public AccountUiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  template <typename Screen>
  std::shared_ptr<Screen> push(std::shared_ptr<Screen> screen) {
    app_->nav->pushViewController(screen, false);
    host_->runUntilIdle();
    return screen;
  }
  // The word card as a word list pushes it.
  std::shared_ptr<BaseWordViewController> pushCard(const std::string& word);
  // Writes the screen as a PNG in the test folder; its path.
  std::string picture(const std::string& name);
  // Drags the table up so that its bottom edge stands `past` points below its content and lets
  // go.
  void pullUp(plat::TableView& table, double past);
  // The label of a visible cell's content by tag.
  static plat::Label* cellLabel(plat::TableView& table, int row, int tag);
  int64_t wordId(const std::string& word);
};

}  // namespace onlinetest
