#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "analytics/ANSharedUDID.h"
#include "platform/base/Files.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsSharedUDID : public AnalyticsFixture {
 protected:
  void putSlot(int index, const std::string& id, const std::string& appUid = "other-app") {
    ANSharedUDID::setDictForPasteboard(
        plat::Value::dictionary({{"SharedUDID", id}, {"SharedUDID_appUID", appUid}}),
        "org.SharedUDID.slot." + std::to_string(index));
  }
  std::string slotId(int index) {
    return ANSharedUDID::getDictFromPasteboard("org.SharedUDID.slot." + std::to_string(index))
        .get("SharedUDID")
        .asString();
  }
};

TEST_F(AnalyticsSharedUDID, CreatesKeepsAndReadsBackAcrossLaunches) {
  SharedUDIDStatus status;
  std::string id = ANSharedUDID::valueWithError(&status);
  EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{40}")));
  EXPECT_EQ(status.code, 0);
  EXPECT_EQ(slotId(0), id);
  EXPECT_EQ(settings().objectForKey("SharedUDID")["SharedUDID"].asString(), id);

  EXPECT_EQ(ANSharedUDID::valueWithError(&status), id);
  EXPECT_EQ(status.description, "SharedUDID in cache from first call");

  // The next launch finds its own slot through the application id of its record.
  relaunch();
  EXPECT_EQ(ANSharedUDID::valueWithError(&status), id);
  EXPECT_EQ(status.code, 0);
  EXPECT_TRUE(slotId(1).empty());
}

TEST_F(AnalyticsSharedUDID, AdoptsTheMostFrequentAndReportsDisagreement) {
  putSlot(0, "aaaa");
  putSlot(7, "aaaa");
  putSlot(5, "bbbb");
  EXPECT_EQ(ANSharedUDID::value(), "aaaa");
  EXPECT_EQ(slotId(1), "aaaa");  // this application's record, in the first free slot

  settings().setObject("SharedUDID", plat::Value::dictionary({{"SharedUDID", "cccc"}}));
  relaunch();
  SharedUDIDStatus status;
  EXPECT_EQ(ANSharedUDID::valueWithError(&status), "cccc");
  EXPECT_EQ(status.code, 2);
}

TEST_F(AnalyticsSharedUDID, OptOutGivesZerosUnlessTheSlotSaysOtherwise) {
  std::string id = ANSharedUDID::value();
  ANSharedUDID::setOptOut(true);
  SharedUDIDStatus status;
  // This application's slot record was written before the opt-out and carries no date: it wins.
  EXPECT_EQ(ANSharedUDID::valueWithError(&status), id);
  EXPECT_EQ(status.code, 0);

  plat::files::remove(udidDir_);
  ANSharedUDID::setOptOut(true);
  relaunch();
  plat::files::remove(udidDir_);
  EXPECT_EQ(ANSharedUDID::valueWithError(&status), std::string(40, '0'));
  EXPECT_EQ(status.code, 1);
}

TEST_F(AnalyticsSharedUDID, ConcurrentFirstCallsComputeOnce) {
  std::string a, b;
  std::thread one([&] { a = ANSharedUDID::value(); });
  std::thread two([&] { b = ANSharedUDID::value(); });
  one.join();
  two.join();
  EXPECT_EQ(a, b);
  EXPECT_TRUE(slotId(1).empty());
}

}  // namespace
