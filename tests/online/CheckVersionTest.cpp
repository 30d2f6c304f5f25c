// The version check against a loopback store lookup; the shipped bundle's version is "3.5".
#include "online/CheckVersion.h"

#include <mutex>

#include "platform/base/Bundle.h"
#include "store/MyDate.h"
#include "tests/online/AccountUiTest.h"
#include "tests/support/Patience.h"
#include "ui/MyAlerView.h"

namespace onlinetest {
namespace {

using plat::localized;
using testsupport::ServerReply;

constexpr double kDay = 86400;
// The update page on the store host that the lookup base names.
std::string updatePage(uint16_t port) {
  return "itms-apps://127.0.0.1:" + std::to_string(port) +
         "/WebObjects/MZStore.woa/wa/viewSoftwareUpdate?id=424242&mt=8";
}

std::string storeReply(const std::string& version, const std::string& notes = "新版本说明") {
  return R"({"resultCount":1,"results":[{"version":")" + version + R"(","releaseNotes":")" + notes +
         R"("}]})";
}

class CheckVersionTest : public AccountUiTest {
 protected:
  void SetUp() override {
    AccountUiTest::SetUp();
    store_ = std::make_unique<testsupport::LoopbackHttpServer>(
        [this](const testsupport::ServerRequest&) {
          std::lock_guard lock(replyLock_);
          return reply_;
        });
    CheckVersion::setLookupBase(store_->url(""));
    CheckVersion::setStoreIdentifier("424242");
    checker_ = std::make_unique<CheckVersion>();
  }
  void TearDown() override {
    checker_.reset();
    AccountUiTest::TearDown();
    store_.reset();
    CheckVersion::setLookupBase("");
    CheckVersion::setStoreIdentifier("");
  }

  // Runs the main loop until `served` lookups have ended and their reports arrived.
  void waitForLookups(int served) {
    ASSERT_TRUE(store_->waitForRequests(served));
    ASSERT_TRUE(plat::RunLoop::main().runUntil(
        [&] { return checker_->networkQueue()->operationCount() == 0; }, testsupport::kPatience));
    plat::RunLoop::main().runUntil([] { return false; }, 0.05);
    host_->runUntilIdle();
  }
  // The bubble's text, which a test may set to "" to see whether a new one comes.
  static plat::Label& label() {
    return dynamic_cast<plat::Label&>(
        *MyAlerView::sharedAler()->viewWithTag(MyAlerView::kLabelTag));
  }
  std::string checkUpdateTime() { return CallDB::callDB()->getPersonalValue("CheckUpdateTime"); }
  const std::vector<std::string>& opened() { return plat::Application::shared().openedURLs(); }
  // The server thread copies the reply while a test may replace it.
  void setReply(ServerReply reply) {
    std::lock_guard lock(replyLock_);
    reply_ = std::move(reply);
  }

  std::unique_ptr<testsupport::LoopbackHttpServer> store_;
  std::mutex replyLock_;
  ServerReply reply_ = ServerReply::text(storeReply("3.6"));
  std::unique_ptr<CheckVersion> checker_;
};

TEST(CheckVersionNumberTest, VersionsCompareAsDottedWholeNumbers) {
  EXPECT_TRUE(CheckVersion::isNewerVersion("3.10", "3.9"));
  EXPECT_TRUE(CheckVersion::isNewerVersion("3.2.1", "3.2"));
  EXPECT_FALSE(CheckVersion::isNewerVersion("3.2.0", "3.2"));
  EXPECT_FALSE(CheckVersion::isNewerVersion("3.9", "3.10"));
  EXPECT_FALSE(CheckVersion::isNewerVersion("v9", "3.5")) << "no number, no version";
  EXPECT_EQ(CheckVersion::versionParts(" 4.1 beta"), (std::vector<int64_t>{4, 1}));
  EXPECT_EQ(CheckVersion::versionParts("1e5"), (std::vector<int64_t>{1}));
}

TEST_F(CheckVersionTest, AStartUpDeclinePausesOnlyTheStartUpCheckForThreeDays) {
  checker_->CheckVersion_starMachine();
  waitForLookups(1);
  EXPECT_EQ(store_->lastRequest().target, "/lookup?id=424242");
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->tag(), CheckVersion::kStartAlertTag);
  ASSERT_TRUE(host_->pressAlertButton(localized("update_cancel1")));
  const std::string declinedOn = std::to_string(MyDate::calendarDayId());
  EXPECT_EQ(checkUpdateTime(), declinedOn);

  // The pause does not hold the settings back; declined there, nothing changes.
  checker_->CheckVersion_setting();
  waitForLookups(2);
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), "新版本说明");
  EXPECT_EQ(host_->visibleAlert()->tag(), CheckVersion::kSettingAlertTag);
  ASSERT_TRUE(host_->pressAlertButton(localized("update_cancel2")));
  EXPECT_EQ(checkUpdateTime(), declinedOn);
  EXPECT_TRUE(opened().empty());

  for (int day = 0; day < 3; ++day) {
    checker_->CheckVersion_starMachine();  // the day itself, then the next two: not asked
    host_->advance(kDay);
  }
  settle();
  EXPECT_EQ(store_->requestCount(), 2);
  checker_->CheckVersion_starMachine();
  waitForLookups(3);
  ASSERT_TRUE(
      host_->pressAlertButton(localized("update_ok1")));  // accepted: the page; the rhythm stays
  EXPECT_EQ(opened(), std::vector<std::string>{updatePage(store_->port())});
  EXPECT_EQ(checkUpdateTime(), declinedOn);

  // Accepted from the settings, the pause goes.
  checker_->CheckVersion_setting();
  waitForLookups(4);
  ASSERT_TRUE(host_->pressAlertButton(localized("update_ok2")));
  EXPECT_EQ(checkUpdateTime(), "");
  EXPECT_EQ(opened().size(), 2u);
  EXPECT_EQ(host_->visibleAlert(), nullptr);
}

// No newer version shows nothing at start-up; from the settings it says so only when the store
// answered, says the check failed on a refusal or a reply that is no lookup answer, and shows the
// error when the exchange broke.
TEST_F(CheckVersionTest, NoNewerVersionOffersNothing) {
  enum Said { kNothingNewer, kCheckFailed, kError };
  ServerReply dropped = reply_, cutOff = reply_;
  dropped.dropRequest = true;
  cutOff.closeAfterBodyBytes = 10;  // a body cut off mid-way is a failure, not a reply
  const std::pair<ServerReply, Said> replies[] = {
      {ServerReply::text(storeReply("3.5.0")), kNothingNewer},
      {ServerReply::text(storeReply("2.10")), kNothingNewer},
      {ServerReply::text(R"({"resultCount":0,"results":[]})"), kNothingNewer},
      {ServerReply::text(R"({"results":[{"version":"9.0","releaseNotes":"x"})"), kCheckFailed},
      {ServerReply::text("<html>busy</html>", 503), kCheckFailed},
      {ServerReply::text("no such page", 404), kCheckFailed},
      {ServerReply::text(storeReply("9.0"), 404), kCheckFailed},  // no offer from an error page
      {ServerReply::text(R"({"results":{"version":"9.0"}})"), kCheckFailed},
      {ServerReply::text(R"(["9.0"])"), kCheckFailed},
      {ServerReply::text(R"({"resultCount":0})"), kCheckFailed},
      {dropped, kError},
      {cutOff, kError},
  };
  int served = 0;
  for (const auto& [reply, said] : replies) {
    const bool broken = said == kError;
    SCOPED_TRACE(reply.body + " " + std::to_string(reply.status));
    setReply(reply);
    checker_->CheckVersion_starMachine();
    waitForLookups(++served);
    EXPECT_EQ(host_->visibleAlert(), nullptr);
    EXPECT_EQ(label().text(), "");
    checker_->CheckVersion_setting();
    waitForLookups(++served);
    EXPECT_EQ(host_->visibleAlert(), nullptr);
    if (broken) {
      EXPECT_NE(label().text(), "");  // the error's description
      EXPECT_NE(label().text(), localized("update_eg1"));
      EXPECT_NE(label().text(), localized("update_eg3"));
    } else {
      EXPECT_EQ(label().text(), localized(said == kNothingNewer ? "update_eg1" : "update_eg3"));
    }
    label().setText("");
  }
  EXPECT_EQ(checkUpdateTime(), "");
}

TEST_F(CheckVersionTest, WithoutAStoreTheSettingsCheckSaysSoAndNothingIsAsked) {
  CheckVersion::setLookupBase("");
  ASSERT_EQ(CheckVersion::lookupBase(), "") << "the test bundle names no store";
  checker_->CheckVersion_starMachine();
  settle();
  EXPECT_EQ(label().text(), "");
  checker_->CheckVersion_setting();
  settle();
  EXPECT_EQ(label().text(), localized("update_eg2"));
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_EQ(checker_->networkQueue()->operationCount(), 0u);
  EXPECT_EQ(store_->requestCount(), 0);
}

TEST_F(CheckVersionTest, GoingAwayCancelsTheLookupAndLeavesTheOfferHarmless) {
  ServerReply hanging = reply_;
  hanging.hang = true;
  setReply(hanging);
  checker_->CheckVersion_setting();
  ASSERT_TRUE(store_->waitForRequests(1));
  auto queue = checker_->networkQueue();
  checker_.reset();
  ASSERT_TRUE(plat::RunLoop::main().runUntil([&] { return queue->operationCount() == 0; },
                                             testsupport::kPatience));
  settle();
  EXPECT_EQ(label().text(), "");

  setReply(ServerReply::text(storeReply("4.0")));
  checker_ = std::make_unique<CheckVersion>();
  checker_->CheckVersion_setting();
  waitForLookups(2);
  ASSERT_NE(host_->visibleAlert(), nullptr);
  checker_.reset();
  ASSERT_TRUE(host_->pressAlertButton(localized("update_ok2")));  // answers no one
  EXPECT_TRUE(opened().empty());
}

}  // namespace
}  // namespace onlinetest
