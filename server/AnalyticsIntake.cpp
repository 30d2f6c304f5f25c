#include "server/AnalyticsIntake.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <memory>

#include "analytics/records/ThriftBytes.h"
#include "analytics/records/WireShape.h"
#include "analytics/records/analytics_types.h"
#include "analytics/records/envelope_types.h"
#include "server/Echo.h"

namespace standin {
namespace {

// The app never sends an entry of 4 MiB or more.
constexpr int32_t kLargestEntry = 4 << 20;
// Records (list and map entries at any depth) one upload may carry: the app's envelope files hold
// at most a few thousand events. More would cost the stand-in memory out of all proportion to the
// upload's few compressed bytes.
constexpr uint64_t kMostRecords = 65536;
// Log lines one upload writes, the rest counted in one line, and characters in a line.
constexpr size_t kMostLogLines = 100;
constexpr size_t kLongestLogLine = 1000;
// The app's fixed initialisation vector for encrypted entities.
constexpr std::array<unsigned char, 16> kEntityIv = {3,  14, 2,  9, 6, 11, 0,  8,
                                                     21, 5,  12, 7, 1, 4,  19, 77};

// Reads a record from bytes that came over the wire: one whole struct and nothing after it, of
// no more than kMostRecords records.
template <typename Record>
bool readRecord(const std::string& bytes, Record& record, std::string& failure, bool& tooMany) {
  uint64_t count = 0;
  if (records::WireShape::of(bytes, &count) != records::WireShape::Verdict::Whole) {
    failure = "malformed Thrift";
    return false;
  }
  if (count > kMostRecords) {
    tooMany = true;
    failure = std::to_string(count) + " records, more than " + std::to_string(kMostRecords);
    return false;
  }
  return records::fromBytes(bytes, record, &failure);
}

// The log lines of one upload, the first kMostLogLines of them; the rest only counted.
class LogLines {
 public:
  explicit LogLines(std::vector<std::string>& lines) : lines_(lines) {}
  LogLines(const LogLines&) = delete;
  ~LogLines() {
    if (skipped_ > 0)
      lines_.push_back("analytics: " + std::to_string(skipped_) + " more records not logged");
  }
  void add(const std::string& line) {
    if (lines_.size() + 1 < kMostLogLines) {
      lines_.push_back(shortened(line, kLongestLogLine));
    } else {
      ++skipped_;
    }
  }

 private:
  std::vector<std::string>& lines_;
  size_t skipped_ = 0;
};

bool hexBytes(const std::string& hex, std::string& bytes) {
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (hex.size() % 2) return false;
  bytes.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
  }
  return true;
}

// AES-128-CBC with the key the app takes from the device signature (its bytes 1 to 16).
bool decrypted(const std::string& signatureHex, const std::string& entity, std::string& plain) {
  std::string signature;
  if (!hexBytes(signatureHex, signature) || signature.size() < 17) return false;
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                          EVP_CIPHER_CTX_free);
  plain.assign(entity.size() + 16, '\0');
  int written = 0, last = 0;
  auto* out = reinterpret_cast<unsigned char*>(plain.data());
  const bool ok = context &&
                  EVP_DecryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                                     reinterpret_cast<const unsigned char*>(signature.data() + 1),
                                     kEntityIv.data()) == 1 &&
                  EVP_DecryptUpdate(context.get(), out, &written,
                                    reinterpret_cast<const unsigned char*>(entity.data()),
                                    static_cast<int>(entity.size())) == 1 &&
                  EVP_DecryptFinal_ex(context.get(), out + written, &last) == 1;
  plain.resize(ok ? static_cast<size_t>(written + last) : 0);
  return ok;
}

bool inflated(const std::string& compressed, int32_t length, std::string& entry) {
  if (length <= 0 || length >= kLargestEntry) return false;
  entry.assign(static_cast<size_t>(length), '\0');
  uLongf size = static_cast<uLongf>(length);
  const int status = uncompress(reinterpret_cast<Bytef*>(entry.data()), &size,
                                reinterpret_cast<const Bytef*>(compressed.data()),
                                static_cast<uLong>(compressed.size()));
  entry.resize(size);
  return status == Z_OK;
}

std::string eventLine(const AT::Event& event) {
  std::string line = "analytics: event " + event.name;
  for (const auto& [key, value] : event.properties) {
    line += " " + key + "=" +
            (value.__isset.string_value ? value.string_value : std::to_string(value.long_value));
  }
  if (event.__isset.acc && event.acc > 1) line += " x" + std::to_string(event.acc);
  if (event.__isset.duration) line += " " + std::to_string(event.duration) + "ms";
  return line;
}

void describeEntry(const AT::UsageLogEntry& entry, LogLines& lines) {
  if (entry.__isset.app_info || entry.__isset.device_info) {
    lines.add("analytics: client " + entry.app_info.version + " on " + entry.device_info.model +
              " " + entry.device_info.os + " " + entry.device_info.os_version);
  }
  if (entry.__isset.activate_msg) lines.add("analytics: activation");
  for (const AT::Session& session : entry.sessions) {
    std::string line =
        "analytics: session " + session.id + " " + std::to_string(session.duration) + "ms";
    for (const AT::Page& page : session.pages)
      line += " " + page.page_name + "(" + std::to_string(page.duration) + "ms)";
    lines.add(line);
  }
  for (const AT::InstantMsg& message : entry.instant_msgs) {
    for (const AT::Event& event : message.events) lines.add(eventLine(event));
    for (const AT::Event& event : message.game_events) lines.add(eventLine(event));
    for (const AT::Error& error : message.errors) {
      lines.add("analytics: error " + error.context.substr(0, error.context.find('\n')));
    }
  }
}

}  // namespace

bool describeEnvelope(const std::string& bytes, std::vector<std::string>& lines,
                      std::string& failure, bool& tooLarge) {
  tooLarge = false;
  ATEnvelope::UsageEnvelope envelope;
  if (!readRecord(bytes, envelope, failure, tooLarge)) {
    failure = "no envelope: " + failure;
    return false;
  }
  if (!envelope.__isset.entity || !envelope.__isset.length) {
    failure = "an envelope without its entry";
    return false;
  }
  std::string compressed = envelope.entity;
  if (envelope.__isset.codex && envelope.codex == 1 &&
      !decrypted(envelope.signature, envelope.entity, compressed)) {
    failure = "an entry that does not decrypt with the envelope's signature";
    return false;
  }
  std::string entryBytes;
  if (!inflated(compressed, envelope.length, entryBytes)) {
    failure = "an entry that does not inflate to its length " + std::to_string(envelope.length);
    return false;
  }
  AT::UsageLogEntry entry;
  if (!readRecord(entryBytes, entry, failure, tooLarge)) {
    failure = (tooLarge ? "a log entry of " : "no log entry: ") + failure;
    return false;
  }
  LogLines log(lines);
  log.add("analytics: envelope " + std::to_string(envelope.serial_num) + " of " + envelope.address +
          ", " + std::to_string(envelope.length) + " bytes of records");
  describeEntry(entry, log);
  return true;
}

Reply acceptEnvelope(const Request& request) {
  if (request.method != "POST") return Reply::text("post an envelope", 405);
  std::vector<std::string> lines;
  std::string failure;
  bool tooLarge = false;
  if (!describeEnvelope(request.body, lines, failure, tooLarge)) {
    Reply refused = Reply::text(failure, tooLarge ? 413 : 400);
    refused.log.push_back(shortened("analytics: refused " + failure, kLongestLogLine));
    return refused;
  }
  AT::Response response;
  response.__set_resp_code(1);
  Reply reply = Reply::file(records::toBytes(response), "application/thrift");
  reply.log = std::move(lines);
  return reply;
}

}  // namespace standin
