#include "server/AnalyticsIntake.h"

#include <openssl/evp.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <exception>
#include <memory>

#include "analytics/records/ThriftBytes.h"
#include "analytics/records/analytics_types.h"
#include "analytics/records/envelope_types.h"

namespace standin {
namespace {

// The app never sends an entry of 4 MiB or more.
constexpr int32_t kLargestEntry = 4 << 20;
// The app's fixed initialisation vector for encrypted entities.
constexpr std::array<unsigned char, 16> kEntityIv = {3,  14, 2,  9, 6, 11, 0,  8,
                                                     21, 5,  12, 7, 1, 4,  19, 77};

// Walks one value of the binary protocol's wire form without building it: the type bytes must be
// Thrift's own and every length must fit the bytes. Thrift's reader would take any type byte into
// its type enum, which is undefined behaviour, so uploads are checked first.
class WireShape {
 public:
  explicit WireShape(const std::string& bytes) : bytes_(bytes) {}

  bool isStruct() { return structure(0) && at_ == bytes_.size(); }

 private:
  static constexpr int kDeepest = 64;

  bool take(size_t count) {
    if (bytes_.size() - at_ < count) return false;
    at_ += count;
    return true;
  }
  bool byte(uint8_t& out) {
    if (at_ >= bytes_.size()) return false;
    out = static_cast<uint8_t>(bytes_[at_++]);
    return true;
  }
  bool length(uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b = 0;
      if (!byte(b)) return false;
      out = out << 8 | b;
    }
    return out <= bytes_.size();  // a negative or oversized count
  }
  bool structure(int depth) {
    for (;;) {
      uint8_t type = 0;
      if (!byte(type)) return false;
      if (type == 0) return true;  // the end of the fields
      if (!take(2) || !value(type, depth + 1)) return false;
    }
  }
  bool value(uint8_t type, int depth) {
    if (depth > kDeepest) return false;
    uint32_t count = 0;
    uint8_t inner = 0, second = 0;
    switch (type) {
      case 2:
      case 3:
        return take(1);  // bool, byte
      case 6:
        return take(2);
      case 8:
        return take(4);
      case 4:
      case 10:
        return take(8);  // double, i64
      case 11:
        return length(count) && take(count);
      case 12:
        return structure(depth);
      case 13:  // map: key type, value type, count
        if (!byte(inner) || !byte(second) || !length(count)) return false;
        for (uint32_t i = 0; i < count; ++i)
          if (!value(inner, depth + 1) || !value(second, depth + 1)) return false;
        return true;
      case 14:
      case 15:  // set, list
        if (!byte(inner) || !length(count)) return false;
        for (uint32_t i = 0; i < count; ++i)
          if (!value(inner, depth + 1)) return false;
        return true;
      default:
        return false;
    }
  }

  const std::string& bytes_;
  size_t at_ = 0;
};

// Reads a record from bytes that came over the wire once their shape is sound: no string or list
// may claim more than the bytes hold, so a bad length cannot make the server allocate gigabytes.
template <typename Record>
bool readRecord(const std::string& bytes, Record& record, std::string& failure) {
  if (!WireShape(bytes).isStruct()) {
    failure = "malformed Thrift";
    return false;
  }
  auto buffer = std::make_shared<apache::thrift::transport::TMemoryBuffer>(
      reinterpret_cast<uint8_t*>(const_cast<char*>(bytes.data())),
      static_cast<uint32_t>(bytes.size()));
  const auto limit = static_cast<int32_t>(bytes.size());
  apache::thrift::protocol::TBinaryProtocol protocol(buffer, limit, limit, false, true);
  try {
    record.read(&protocol);
    return true;
  } catch (const std::exception& e) {
    failure = e.what();
    return false;
  }
}

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

void describeEntry(const AT::UsageLogEntry& entry, std::vector<std::string>& lines) {
  if (entry.__isset.app_info || entry.__isset.device_info) {
    lines.push_back("analytics: client " + entry.app_info.version + " on " +
                    entry.device_info.model + " " + entry.device_info.os + " " +
                    entry.device_info.os_version);
  }
  if (entry.__isset.activate_msg) lines.push_back("analytics: activation");
  for (const AT::Session& session : entry.sessions) {
    std::string line =
        "analytics: session " + session.id + " " + std::to_string(session.duration) + "ms";
    for (const AT::Page& page : session.pages)
      line += " " + page.page_name + "(" + std::to_string(page.duration) + "ms)";
    lines.push_back(line);
  }
  for (const AT::InstantMsg& message : entry.instant_msgs) {
    for (const AT::Event& event : message.events) lines.push_back(eventLine(event));
    for (const AT::Event& event : message.game_events) lines.push_back(eventLine(event));
    for (const AT::Error& error : message.errors) {
      lines.push_back("analytics: error " + error.context.substr(0, error.context.find('\n')));
    }
  }
}

}  // namespace

bool describeEnvelope(const std::string& bytes, std::vector<std::string>& lines,
                      std::string& failure) {
  ATEnvelope::UsageEnvelope envelope;
  if (!readRecord(bytes, envelope, failure)) {
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
  if (!readRecord(entryBytes, entry, failure)) {
    failure = "no log entry: " + failure;
    return false;
  }
  lines.push_back("analytics: envelope " + std::to_string(envelope.serial_num) + " of " +
                  envelope.address + ", " + std::to_string(envelope.length) + " bytes of records");
  describeEntry(entry, lines);
  return true;
}

Reply acceptEnvelope(const Request& request) {
  if (request.method != "POST") return Reply::text("post an envelope", 405);
  std::vector<std::string> lines;
  std::string failure;
  if (!describeEnvelope(request.body, lines, failure)) {
    Reply refused = Reply::text(failure, 400);
    refused.log.push_back("analytics: refused " + failure);
    return refused;
  }
  AT::Response response;
  response.__set_resp_code(1);
  Reply reply = Reply::file(records::toBytes(response), "application/thrift");
  reply.log = std::move(lines);
  return reply;
}

}  // namespace standin
