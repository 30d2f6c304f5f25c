#include <vector>

#include "platform/base/Device.h"
#include "store/StoreHooks.h"
#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;

class PersonalValuesTest : public storetest::StudyTest {
 protected:
  void SetUp() override {
    StudyTest::SetUp();
    StoreHooks::shared().refreshMsgNum = [this](int count) { hooks_.counts.push_back(count); };
  }
  void TearDown() override {
    plat::Device::resetOverride();
    StoreHooks::shared() = StoreHooks{};
    StudyTest::TearDown();
  }

  // The badge counts the store reported.
  struct {
    std::vector<int> counts;
  } hooks_;
};

TEST_F(PersonalValuesTest, MissingKeysReadEmptyAndWritesKeepOneRowWithTheLastFlag) {
  EXPECT_EQ(db_->getPersonalValue("never_written"), "");
  db_->UpdatePersonalValue_isNeed("alarm_setting", "1");
  EXPECT_EQ(setting("alarm_setting"), Value::array({Value::array({"1", 0})}));
  db_->UpdatePersonalValue("alarm_setting", "0");
  EXPECT_EQ(setting("alarm_setting"), Value::array({Value::array({"0", 1})}));
  EXPECT_EQ(db_->getPersonalValue("alarm_setting"), "0");

  // Server values are stored as text, the sync time as a stored local time.
  Value syn = Value::dictionary({{"nSignInAll", 12},
                                 {"sNewsTitle", "通知"},
                                 {"nMissing", nullptr},
                                 {"bFlag", true},
                                 {"bOff", false},
                                 {"nBig", 5000000000LL},
                                 {"dRatio", 2.5},
                                 {"dWhole", 7.0},
                                 {"aList", Value::array({1, 2})},
                                 {"oMap", Value::dictionary({{"a", 1}})}});
  db_->saveNetInfo(syn);
  EXPECT_EQ(setting("nSignInAll"), Value::array({Value::array({"12", 1})}));
  EXPECT_EQ(db_->getPersonalValue("sNewsTitle"), "通知");
  EXPECT_EQ(setting("nMissing"), Value::array({Value::array({"", 1})}));
  EXPECT_EQ(db_->getPersonalValue("bFlag"), "1");
  EXPECT_EQ(db_->getPersonalValue("bOff"), "0");
  EXPECT_EQ(db_->getPersonalValue("nBig"), "5000000000");
  EXPECT_EQ(db_->getPersonalValue("dRatio"), "2.5");
  EXPECT_EQ(db_->getPersonalValue("dWhole"), "7");
  EXPECT_EQ(setting("aList").size(), 0u);
  EXPECT_EQ(setting("oMap").size(), 0u);
  EXPECT_TRUE(hooks_.counts.empty());

  // UTC+8: a time is the local wall clock's seconds since 2001; 0, never backed up, stays never.
  db_->saveNetInfo(Value::dictionary({{"nLastSynTime", 0}}));
  EXPECT_EQ(db_->getPersonalValue("nLastSynTime"), "0");
  db_->saveNetInfo(Value::dictionary({{"nLastSynTime", "0"}}));
  EXPECT_EQ(db_->getPersonalValue("nLastSynTime"), "0");
  db_->saveNetInfo(Value::dictionary({{"nLastSynTime", "1700013600"}}));
  EXPECT_EQ(db_->getPersonalValue("nLastSynTime"),
            std::to_string(1700013600LL - 978307200LL + 8 * 3600));

  // The message count reaches the review screen.
  db_->saveNetInfo(Value::dictionary({{"nNewMsgCount", 3}, {"other", "x"}}));
  db_->saveNetInfo(Value::dictionary({{"nNewMsgCount", "5"}}));
  EXPECT_EQ(hooks_.counts, (std::vector<int>{3, 5}));
  EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), "5");
}

TEST_F(PersonalValuesTest, SystemInfoGoesWithTheNextBackup) {
  plat::DeviceInfo device = plat::Device::current();
  device.model = "iPad2,1";
  device.systemVersion = "7.1";
  plat::Device::override(device);
  db_->UpdatePersonalValue("v_lexicon", "2.4");
  db_->modify_systeminfo();
  EXPECT_EQ(setting("system_name"), Value::array({Value::array({"iPad 2 (WiFi)", 0})}));
  EXPECT_EQ(setting("system_version"), Value::array({Value::array({"7.1", 0})}));
  EXPECT_EQ(setting("last_v_lexicon"), Value::array({Value::array({"2.4", 0})}));

  // Unchanged values are not written again (their flag stays as the backup left it).
  db_->sql_update("update Var_Config set vc_uNeedSync = 1", "", {});
  EXPECT_EQ(db_->feedback_get_systeminfo(), Value::array({"iPad 2 (WiFi)", "7.1"}));
  EXPECT_EQ(setting("system_name").at(0).at(1), Value(1));

  device.systemVersion = "7.1.2";
  plat::Device::override(device);
  db_->feedback_get_systeminfo();
  EXPECT_EQ(setting("system_version"), Value::array({Value::array({"7.1.2", 0})}));
  EXPECT_EQ(setting("last_v_lexicon").at(0).at(1), Value(1));      // only the backup copy moves it
  EXPECT_EQ(CallDB::platformName("iPhone9,9"), "其它:iPhone9,9");  // a model of no name
}

}  // namespace
