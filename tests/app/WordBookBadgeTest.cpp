// The word-book tab's badge, the new words the learner may still plan today, through the app's own
// start-up: it is there at every start of the day, not only at the day's first.
#include <gtest/gtest.h>

#include "platform/view/TabBarController.h"
#include "tests/app/AppFixture.h"

namespace apptest {
namespace {

class WordBookBadge : public AppTest {
 protected:
  // Starts the program as main() does, with the screen hooks the delegate installs itself.
  std::string startAndReadTheBadge() {
    app_ = std::make_shared<AppDelegate>();
    plat::HeadlessHost::Options options;
    options.virtualClock = false;  // the store fixture's clock
    host_ = std::make_unique<plat::HeadlessHost>(app_, options);
    EXPECT_TRUE(host_->launch());
    return app_->tabBarController()->viewControllers().at(kBooksTab)->tabBarItem().badgeValue();
  }
  // Closes it as the learner does: to the background, ended, the store closed.
  void close() {
    host_->resignActive();
    host_->enterBackground();
    host_->terminate();
    host_.reset();
    app_.reset();
    CallDB::Release_CallDB();
    db_ = CallDB::callDB();
  }

  static constexpr size_t kBooksTab = 1;
};

TEST_F(WordBookBadge, ANewStartOfTheSameDayShowsTheNewWordsStillToPlan) {
  db_->UpdatePersonalValue("StudyLimitCount", "20");
  // Three new words learnt earlier today, next due tomorrow: nothing to review now.
  for (const char* word : {"apple", "book", "cafe"}) {
    plan(word, daysFromNow(-0.1));
    setRecord(word, daysFromNow(-0.05), daysFromNow(1), 2);
  }
  EXPECT_EQ(startAndReadTheBadge(), "17") << "the day's first start";
  close();
  EXPECT_EQ(startAndReadTheBadge(), "17") << "a start later that day";
}

}  // namespace
}  // namespace apptest
