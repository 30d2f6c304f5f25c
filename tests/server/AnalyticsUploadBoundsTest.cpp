// Uploads that cost the stand-in more than the app's ever would: an entry of millions of empty
// records is refused before they are built, and a large but acceptable one writes a bounded log.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <string>

#include "analytics/records/ThriftBytes.h"
#include "analytics/records/analytics_types.h"
#include "analytics/records/envelope_types.h"
#include "server/AnalyticsIntake.h"

namespace {

// An envelope carrying `entry` (Thrift bytes of a log entry) compressed, unencrypted.
std::string envelopeAround(const std::string& entry) {
  uLongf size = compressBound(entry.size());
  std::string compressed(size, '\0');
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                      reinterpret_cast<const Bytef*>(entry.data()), entry.size(), 9),
            Z_OK);
  compressed.resize(size);
  ATEnvelope::UsageEnvelope envelope;
  envelope.__set_version("V1.0");
  envelope.__set_address("appkey");
  envelope.__set_signature(std::string(64, 'a'));
  envelope.__set_serial_num(1);
  envelope.__set_length(static_cast<int32_t>(entry.size()));
  envelope.__set_codex(0);
  envelope.__set_entity(compressed);
  return records::toBytes(envelope);
}

// A log entry's wire bytes whose session list holds `count` sessions without a field.
std::string entryOfEmptySessions(uint32_t count) {
  std::string bytes = {0x0f, 0x00, 0x07, 0x0c};  // field 7: a list of structs
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((count >> shift) & 0xff);
  bytes.append(count, '\0');  // each session ends at once
  bytes += '\0';              // the end of the entry
  return bytes;
}

long peakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(StandInAnalyticsBounds, MillionsOfEmptyRecordsAreRefusedWithoutBuildingThem) {
  const std::string upload = envelopeAround(entryOfEmptySessions(4000000));
  EXPECT_LT(upload.size(), 64u * 1024);  // a few compressed bytes
  const long before = peakResidentKilobytes();
  const standin::Reply reply = standin::acceptEnvelope({"POST", "/app_logs", {}, upload});
  EXPECT_TRUE(reply.status == 413 || reply.status == 400) << reply.status;
  EXPECT_NE(reply.contentType, "application/thrift");
  ASSERT_EQ(reply.log.size(), 1u);
  EXPECT_NE(reply.log[0].find("refused"), std::string::npos) << reply.log[0];
  EXPECT_LT(peakResidentKilobytes() - before, 64 * 1024);
}

TEST(StandInAnalyticsBounds, AnAcceptedUploadWritesABoundedLog) {
  AT::UsageLogEntry entry;
  AT::InstantMsg message;
  for (int i = 0; i < 5000; ++i) {
    AT::Event event;
    event.__set_name("answered" + std::to_string(i));
    message.events.push_back(event);
  }
  message.__isset.events = true;
  entry.__set_instant_msgs({message});
  AT::Session session;
  session.__set_id("S1");
  AT::Page page;
  page.__set_page_name(std::string(300, 'p'));
  session.__set_pages(std::vector<AT::Page>(40, page));
  entry.__set_sessions({session});

  const standin::Reply reply =
      standin::acceptEnvelope({"POST", "/app_logs", {}, envelopeAround(records::toBytes(entry))});
  EXPECT_EQ(reply.status, 200);
  ASSERT_EQ(reply.log.size(), 100u);
  EXPECT_NE(reply.log[0].find("envelope 1 of appkey"), std::string::npos);
  EXPECT_NE(reply.log[2].find("answered0"), std::string::npos) << reply.log[2];
  // The rest is counted: the session line and 5000 events make 5002 records of lines, 99 shown.
  EXPECT_EQ(reply.log.back(), "analytics: 4903 more records not logged");
  // The session line names 40 pages of 300 letters: cut, and said to be.
  EXPECT_NE(reply.log[1].find("ppp... (cut from 12"), std::string::npos) << reply.log[1];
  for (const std::string& line : reply.log) EXPECT_LE(line.size(), 1030u);
}

}  // namespace
