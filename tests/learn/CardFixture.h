// The word card on the shipped learn.db, driven through the headless host: a window whose root is
// a navigation stack over an owner screen that answers the card's delegate protocol and records
// what the card tells it; pronunciation and the other parts' screens recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "learn/BaseWordViewController.h"
#include "platform/host/HeadlessHost.h"
#include "tests/support/NavApp.h"
#include "tests/support/TempHome.h"
#include "ui/BaseViewController.h"

namespace cardtest {

// A word list's side of the card: states by word, and every callback in order.
class CardOwner : public BaseViewController, public BaseWordDeleage {
 public:
  std::map<std::string, std::string> states;
  std::vector<std::string> calls;

  std::string checkWordState_callback(const std::string& word) override {
    auto found = states.find(word);
    return found == states.end() ? "2" : found->second;
  }
  void selectwords_callback(const std::string& word, bool isAdd) override {
    calls.push_back("select " + word + (isAdd ? " YES" : " NO"));
    states[word] = isAdd ? "3" : "2";
  }
  void deletewords_callback(const std::string& word, int64_t type) override {
    calls.push_back("delete " + word + " " + std::to_string(type));
  }
  void upBtn_Click_callback() override { calls.push_back("up"); }
  void downBtn_Click_callback() override { calls.push_back("down"); }
};

class CardTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The card as a word list pushes it, showing `word`.
  std::shared_ptr<BaseWordViewController> pushCard(const std::string& word);
  // The card as the review screen embeds it in the owner's view.
  std::shared_ptr<BaseWordViewController> embedCard();
  // Lets the pages load and lay out.
  void settle() { host_->runUntilIdle(); }

  void setValue(const std::string& key, const std::string& value);
  std::string value(const std::string& key);

  std::unique_ptr<testsupport::TempHome> home_;
  std::shared_ptr<CardOwner> owner_;
  std::shared_ptr<testsupport::NavApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
  // (word, isCheck) of every pronunciation asked for.
  std::vector<std::pair<std::string, bool>> spoken_;
};

}  // namespace cardtest
