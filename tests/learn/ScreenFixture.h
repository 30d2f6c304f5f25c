// The screens' tests on the shipped learn.db, driven through the headless host on the virtual
// clock. Each case has its own home and device store; pronunciation and the share sheet are
// recorded instead of played or shown. By default the window shows a navigation stack over an
// owner screen, titled as the review screen, that answers the word card's delegate protocol.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "learn/BaseWordViewController.h"
#include "platform/draw/Image.h"
#include "platform/host/HeadlessHost.h"
#include "tests/support/NavApp.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempDeviceStore.h"
#include "tests/support/TempHome.h"
#include "ui/BaseViewController.h"

namespace learntest {

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

struct SharedItem {
  std::string text;
  std::shared_ptr<plat::Image> picture;
};

// Whether some pixel of `area` (points) has `colour`, each channel within `tolerance`.
bool hasColour(const plat::Image& picture, const plat::Rect& area, const plat::Color& colour,
               double tolerance);

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Starts the application of the case; by default the navigation stack over the owner.
  virtual void startApp();
  // Runs `app` in a new headless host whose clock starts at `startTime` (0: the host's own).
  void start(std::shared_ptr<plat::ApplicationDelegate> app, double startTime = 0);
  // Lets every fade run out and ends the application and the store.
  void quit();
  // The stand-in server on loopback, made the account server.
  void startServer();

  // The card as a word list pushes it, showing `word`.
  std::shared_ptr<BaseWordViewController> pushCard(const std::string& word);
  // The card as the review screen embeds it in the owner's view.
  std::shared_ptr<BaseWordViewController> embedCard();
  void push(const std::shared_ptr<plat::ViewController>& screen);
  // Lets the pages load and lay out.
  void settle() { host_->runUntilIdle(); }
  // Serves replies on the main run loop until `done` holds or `seconds` of real time pass.
  bool waitFor(const std::function<bool()>& done, double seconds = 10);
  // Lets a reply on its way arrive, then `seconds` of virtual time pass (slides, fades).
  void landReply(double seconds = 1);
  void write(const std::string& name);
  bool showing(const std::string& text) const { return host_->findByText(text) != nullptr; }

  void setValue(const std::string& key, const std::string& value);
  std::string value(const std::string& key);
  // Plants an answered word: last answered `minutesIntoDay` after today's study day began
  // (negative: the day before), with its last three grades, the latest first.
  void answered(const std::string& word, int minutesIntoDay, int g1, int g2, int g3);
  bool planned(const std::string& word);

  std::unique_ptr<testsupport::TempHome> home_;
  std::unique_ptr<testsupport::TempDeviceStore> device_;
  std::unique_ptr<testsupport::StandInServer> server_;
  std::shared_ptr<CardOwner> owner_;
  std::shared_ptr<testsupport::NavApp> app_;
  std::shared_ptr<plat::ApplicationDelegate> running_;
  std::unique_ptr<plat::HeadlessHost> host_;
  // (word, isCheck) of every pronunciation asked for.
  std::vector<std::pair<std::string, bool>> spoken_;
  std::vector<SharedItem> shared_;
};

}  // namespace learntest
