#include <gtest/gtest.h>

#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>

#include "analytics/records/RecordValidation.h"
#include "analytics/records/ThriftBytes.h"

namespace {

using Bytes = std::string;

Bytes hexBytes(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// The (type, id) of every top-level field of a written struct.
std::vector<std::pair<int, int>> fieldsOf(const Bytes& bytes) {
  auto buffer = std::make_shared<apache::thrift::transport::TMemoryBuffer>(
      reinterpret_cast<uint8_t*>(const_cast<char*>(bytes.data())),
      static_cast<uint32_t>(bytes.size()));
  apache::thrift::protocol::TBinaryProtocol protocol(buffer);
  std::vector<std::pair<int, int>> fields;
  std::string name;
  apache::thrift::protocol::TType type;
  int16_t id;
  protocol.readStructBegin(name);
  for (;;) {
    protocol.readFieldBegin(name, type, id);
    if (type == apache::thrift::protocol::T_STOP) break;
    fields.emplace_back(type, id);
    protocol.skip(type);
  }
  return fields;
}

std::string validationMessage(const auto& record) {
  try {
    records::validate(record);
  } catch (const ATProtocolException& e) {
    return e.reason();
  }
  return "";
}

TEST(AnalyticsWireRecords, OnlySetFieldsInIdOrderThenTheStop) {
  AT::UsageLogEntry entry;
  entry.__set_misc_info(AT::MiscInfo());
  entry.__set_client_stats(AT::ClientStats());
  entry.__set_device_info(AT::DeviceInfo());
  entry.__set_app_info(AT::AppInfo());
  EXPECT_EQ(fieldsOf(records::toBytes(entry)),
            (std::vector<std::pair<int, int>>{{12, 1}, {12, 2}, {12, 3}, {12, 4}}));
  EXPECT_EQ(validationMessage(entry), "");
  entry.__isset.client_stats = false;
  EXPECT_EQ(validationMessage(entry), "Required field 'client_stats' is not set.");
  EXPECT_EQ(validationMessage(AT::AppInfo()), "Required field 'key' is not set.");
  EXPECT_EQ(validationMessage(ATEnvelope::UsageEnvelope()), "Required field 'version' is not set.");

  // A fresh client-stats record carries both counters, set to 0.
  EXPECT_EQ(records::toBytes(AT::ClientStats()),
            hexBytes({8, 0, 1, 0, 0, 0, 0, 8, 0, 2, 0, 0, 0, 0, 0}));

  AT::UsageLogEntry groups;
  groups.__set_group_info({{"RPT", -1}});
  AT::UsageLogEntry back;
  ASSERT_TRUE(records::fromBytes(records::toBytes(groups), back));
  EXPECT_EQ(back.group_info.at("RPT"), -1);
}

TEST(AnalyticsWireRecords, BytesThatEndEarlyFailKeepingWhatWasRead) {
  AT::Response cut;
  EXPECT_FALSE(records::fromBytes(hexBytes({11, 0, 2, 0, 0, 0, 2, 'o', 'k', 8, 0}), cut));
  EXPECT_EQ(cut.msg, "ok");
}

}  // namespace
