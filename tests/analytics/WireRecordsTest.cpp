#include <gtest/gtest.h>

#include "analytics/records/RecordValidation.h"
#include "analytics/records/ThriftBytes.h"

namespace {

std::string hexBytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::string validationMessage(const auto& record) {
  try {
    records::validate(record);
  } catch (const ATProtocolException& e) {
    return e.reason();
  }
  return "";
}

TEST(AnalyticsWireRecords, RequiredFieldsAreCheckedAndWritten) {
  AT::UsageLogEntry entry;
  entry.__set_misc_info(AT::MiscInfo());
  entry.__set_client_stats(AT::ClientStats());
  entry.__set_device_info(AT::DeviceInfo());
  entry.__set_app_info(AT::AppInfo());
  EXPECT_EQ(validationMessage(entry), "");
  entry.__isset.client_stats = false;
  EXPECT_EQ(validationMessage(entry), "Required field 'client_stats' is not set.");
  EXPECT_EQ(validationMessage(AT::AppInfo()), "Required field 'key' is not set.");
  EXPECT_EQ(validationMessage(ATEnvelope::UsageEnvelope()), "Required field 'version' is not set.");

  // A fresh client-stats record carries both counters, set to 0.
  EXPECT_EQ(records::toBytes(AT::ClientStats()),
            hexBytes({8, 0, 1, 0, 0, 0, 0, 8, 0, 2, 0, 0, 0, 0, 0}));
}

TEST(AnalyticsWireRecords, BytesThatEndEarlyFailKeepingWhatWasRead) {
  AT::Response cut;
  EXPECT_FALSE(records::fromBytes(hexBytes({11, 0, 2, 0, 0, 0, 2, 'o', 'k', 8, 0}), cut));
  EXPECT_EQ(cut.msg, "ok");
}

TEST(AnalyticsWireRecords, TypeBytesThatNameNoTypeFailBeforeAnythingIsRead) {
  std::string failure;
  AT::Response bad;
  // A field of type 99, and an empty list of elements of type 99: Thrift would take either byte
  // into its type enum.
  EXPECT_FALSE(records::fromBytes(hexBytes({99, 0, 1, 0}), bad, &failure));
  EXPECT_EQ(failure, "malformed Thrift");
  EXPECT_FALSE(records::fromBytes(hexBytes({15, 0, 9, 99, 0, 0, 0, 0, 0}), bad, &failure));
  // A string that claims more than the bytes hold is a cut, read no further than they go.
  EXPECT_FALSE(records::fromBytes(hexBytes({11, 0, 2, 0x7f, 0xff, 0xff, 0xff, 'o'}), bad));
}

}  // namespace
