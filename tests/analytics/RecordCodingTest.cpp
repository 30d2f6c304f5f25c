#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "analytics/records/RecordCoding.h"
#include "analytics/records/RecordDescription.h"
#include "analytics/records/RecordValidation.h"
#include "analytics/records/ThriftBytes.h"
#include "platform/base/ValueCoding.h"

namespace {

template <typename Record>
std::vector<std::string> tableNames(const Record& record) {
  std::vector<std::string> names;
  records::forEachField(record, [&](auto field) { names.push_back(field.name); });
  return names;
}

// Struct name -> field names in id order, read from a schema file.
std::map<std::string, std::vector<std::string>> schemaFields(const std::string& file) {
  std::ifstream in(std::string(ANALYTICS_SCHEMA_DIR) + "/" + file);
  std::stringstream text;
  text << in.rdbuf();
  std::map<std::string, std::vector<std::string>> structs;
  std::string current;
  std::regex head(R"(^struct (\w+) \{)"), field(R"(^\s*\d+: optional \w+(?:<[^>]*>)? (\w+)\b)");
  for (std::string line; std::getline(text, line);) {
    std::smatch m;
    if (std::regex_search(line, m, head))
      current = m[1];
    else if (!current.empty() && std::regex_search(line, m, field))
      structs[current].push_back(m[1]);
  }
  return structs;
}

// A round trip through the platform's archive, as a record kept in a file would make it.
template <typename Record>
Record archivedAndBack(const Record& record) {
  auto coded = plat::decodeValue(plat::encodeValue(records::encodeWithCoder(record)));
  EXPECT_TRUE(coded);
  return records::initWithCoder<Record>(*coded);
}

TEST(AnalyticsRecordFields, TablesFollowTheSchemas) {
  auto analytics = schemaFields("analytics.thrift");
  ASSERT_EQ(analytics.size(), 24u);
  EXPECT_EQ(tableNames(AT::UsageLogEntry()), analytics["UsageLogEntry"]);
  EXPECT_EQ(tableNames(AT::DeviceInfo()), analytics["DeviceInfo"]);
  EXPECT_EQ(tableNames(AT::Session()), analytics["Session"]);
  EXPECT_EQ(tableNames(AT::Event()), analytics["Event"]);
  EXPECT_EQ(tableNames(AT::IdTracking()), analytics["IdTracking"]);
  EXPECT_EQ(tableNames(AT::Imprint()), analytics["Imprint"]);
  EXPECT_EQ(tableNames(ATEnvelope::UsageEnvelope()),
            schemaFields("envelope.thrift")["UsageEnvelope"]);
}

TEST(AnalyticsRecordFields, DescriptionsShowEveryFieldInIdOrder) {
  EXPECT_EQ(records::description(AT::UsageLogEntry()),
            "UsageLogEntry(client_stats:(null),app_info:(null),device_info:(null),"
            "misc_info:(null),activate_msg:(null),instant_msgs:(null),sessions:(null),"
            "imprint:(null),id_tracking:(null),active_user:(null),control_policy:(null),"
            "group_info:(null))");

  AT::UsageLogEntry entry;
  entry.__set_client_stats(AT::ClientStats());
  AT::AppInfo app;
  app.__set_key("4f5a");
  app.__set_sdk_type(AT::SDKType::IOS);
  entry.__set_app_info(app);
  entry.__set_group_info({{"g", -1}});
  std::string text = records::description(entry);
  EXPECT_NE(text.find("client_stats:ClientStats(successful_requests:0,failed_requests:0,"
                      "last_request_spent_ms:0)"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("app_info:AppInfo(key:\"4f5a\",version:(null),version_index:0,"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("sdk_type:1,"), std::string::npos);
  EXPECT_NE(text.find("group_info:{g = -1; })"), std::string::npos) << text;

  AT::Location location = records::initWith<AT::Location>(31.5, 121.25, int64_t{1700000000000});
  EXPECT_EQ(records::description(location),
            "Location(lat:31.500000,lng:121.250000,ts:1700000000000)");
  ATEnvelope::UsageEnvelope envelope;
  envelope.__set_entity(std::string("\x01\xab", 2));
  EXPECT_NE(records::description(envelope).find("entity:<01ab>"), std::string::npos);
}

TEST(AnalyticsRecordFields, KeyedCodingKeepsWhichFieldsAreSet) {
  AT::Session session;
  session.__set_id("s1");
  session.__set_duration(0);
  session.__set_pages({records::initWith<AT::Page>(std::string("书架"), int64_t{1500})});
  AT::Event event;
  event.__set_name("lesson");
  AT::PropertyValue unit;
  unit.__set_string_value("3");
  event.__set_properties({{"unit", unit}});
  AT::InstantMsg message;
  message.__set_events({event});
  AT::UsageLogEntry entry;
  entry.__set_sessions({session});
  entry.__set_instant_msgs({message});
  entry.__set_group_info({{"g", -1}});
  AT::ClientStats stats;
  stats.__isset.failed_requests = false;
  entry.__set_client_stats(stats);

  plat::Value coded = records::encodeWithCoder(entry);
  EXPECT_EQ(coded.keys(),
            (std::vector<std::string>{"client_stats", "instant_msgs", "sessions", "group_info"}));
  EXPECT_EQ(coded["client_stats"].keys(), std::vector<std::string>{"successful_requests"});
  AT::UsageLogEntry back = archivedAndBack(entry);
  EXPECT_EQ(back, entry);
  EXPECT_FALSE(back.sessions[0].__isset.start_time);
  EXPECT_TRUE(back.sessions[0].__isset.duration);
  EXPECT_EQ(back.group_info["g"], -1);
  EXPECT_EQ(records::toBytes(back), records::toBytes(entry));

  // A coder without the counters applies no defaults; a mistyped or out-of-range value is left
  // unset, as on the wire.
  auto empty = records::initWithCoder<AT::ClientStats>(plat::Value::dictionary());
  EXPECT_FALSE(empty.__isset.successful_requests);
  EXPECT_THROW(records::validate(empty), ATProtocolException);
  auto mistyped = records::initWithCoder<AT::ClientStats>(
      plat::Value::dictionary({{"successful_requests", "3"},
                               {"failed_requests", 1LL << 40},
                               {"last_request_spent_ms", 7}}));
  EXPECT_FALSE(mistyped.__isset.successful_requests);
  EXPECT_FALSE(mistyped.__isset.failed_requests);
  EXPECT_EQ(mistyped.last_request_spent_ms, 7);

  ATEnvelope::UsageEnvelope envelope;
  envelope.__set_entity(std::string("\0\xff", 2));
  envelope.__set_serial_num(2);
  EXPECT_EQ(archivedAndBack(envelope), envelope);
}

TEST(AnalyticsRecordFields, FullInitialisersSetEveryField) {
  // Zero coordinates are still written: every field is marked set.
  AT::Location location = records::initWith<AT::Location>(0.0, 0.0, int64_t{5});
  std::string bytes = records::toBytes(location);
  AT::Location read;
  ASSERT_TRUE(records::fromBytes(bytes, read));
  EXPECT_TRUE(read.__isset.lat && read.__isset.lng && read.__isset.ts);

  AT::UsageLogEntry entry = records::initWith<AT::UsageLogEntry>(
      AT::ClientStats(), AT::AppInfo(), AT::DeviceInfo(), AT::MiscInfo(), AT::ActivateMsg(),
      std::vector<AT::InstantMsg>(), std::vector<AT::Session>(), AT::Imprint(), AT::IdTracking(),
      AT::ActiveUser(), AT::ControlPolicy(), std::map<std::string, int32_t>());
  EXPECT_TRUE(entry.__isset.group_info && entry.__isset.sessions && entry.__isset.client_stats);

  EXPECT_THROW(records::initWith<AT::Location>(0.0, 0.0), std::invalid_argument);
  EXPECT_THROW(records::initWith<AT::Resolution>(int64_t{1} << 40, 2), std::invalid_argument);
}

}  // namespace
