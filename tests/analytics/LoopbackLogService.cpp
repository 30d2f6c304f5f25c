#include "tests/analytics/LoopbackLogService.h"

#include <zlib.h>

#include "analytics/ANStringEncoding.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/records/ThriftBytes.h"
#include "platform/crypto/Aes.h"
#include "platform/crypto/Digest.h"

std::optional<std::string> inflated(const std::string& data, size_t size) {
  std::string out(size, '\0');
  uLongf length = size;
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                 reinterpret_cast<const Bytef*>(data.data()), data.size()) != Z_OK) {
    return std::nullopt;
  }
  out.resize(length);
  return out;
}

ReceivedEnvelope readEnvelope(const std::string& bytes) {
  ReceivedEnvelope got;
  if (!records::fromBytes(bytes, got.envelope)) got.problems.push_back("unreadable envelope");
  const ATEnvelope::UsageEnvelope& e = got.envelope;
  std::string checksum = plat::crypto::hex(
      plat::crypto::md5(e.signature + std::to_string(e.serial_num) + std::to_string(e.ts_secs) +
                        std::to_string(e.length) + e.guid));
  if (checksum != e.checksum) got.problems.push_back("wrong checksum");
  // The guid carries the signature's outer bytes, folded with the time stamp.
  auto hex = ANStringEncoding::hexStringEncoding();
  std::vector<uint8_t> guid = hex.decode(e.guid).value_or(std::vector<uint8_t>());
  std::vector<uint8_t> signature = hex.decode(e.signature).value_or(std::vector<uint8_t>());
  if (guid.size() != 32 || signature.size() != 32) {
    got.problems.push_back("wrong guid");
  } else {
    uint32_t ts = 0;
    for (int i : {0, 1, 30, 31})
      ts |= static_cast<uint32_t>(guid[i] ^ signature[i]) << (8 * (i % 4));
    if (static_cast<int32_t>(ts) != e.ts_secs)
      got.problems.push_back("guid does not carry the time");
  }
  std::string entity = e.entity;
  if (e.codex == 1 && signature.size() == 32) {
    const uint8_t iv[16] = {3, 14, 2, 9, 6, 11, 0, 8, 21, 5, 12, 7, 1, 4, 19, 77};
    auto plain = plat::crypto::aes128CbcDecrypt(std::vector<uint8_t>(entity.begin(), entity.end()),
                                                plat::crypto::AesKey(signature.data() + 1, 16),
                                                plat::crypto::AesIv(iv, 16));
    entity = plain ? std::string(plain->begin(), plain->end()) : "";
  }
  // `length` is the entry's size before compression.
  auto entry = inflated(entity, static_cast<size_t>(e.length));
  if (!entry || entry->size() != static_cast<size_t>(e.length) ||
      !records::fromBytes(*entry, got.entry))
    got.problems.push_back("unreadable entry");
  return got;
}

AT::Imprint makeImprint(const ImprintValues& values) {
  AT::Imprint imprint;
  for (const auto& [key, text] : values) {
    AT::ImprintValue entry;
    if (!text.empty()) entry.__set_value(text);
    entry.__set_ts(5);
    entry.__set_guid("g");
    imprint.property[key] = entry;
  }
  imprint.__isset.property = true;
  imprint.__set_version(2);
  imprint.__set_checksum(generateImprintChecksum(imprint));
  return imprint;
}

AT::Response makeResponse(int code, const ImprintValues& imprint) {
  AT::Response response;
  response.__set_resp_code(code);
  if (!imprint.empty()) response.__set_imprint(makeImprint(imprint));
  return response;
}

LoopbackLogService::LoopbackLogService()
    : response_(makeResponse(1)),
      server_([this](const testsupport::ServerRequest& r) { return handle(r); }) {}

void LoopbackLogService::replyWith(AT::Response response) {
  std::lock_guard lock(mutex_);
  response_ = std::move(response);
  raw_.reset();
}

void LoopbackLogService::replyRaw(testsupport::ServerReply reply) {
  std::lock_guard lock(mutex_);
  raw_ = std::move(reply);
}

std::vector<ReceivedEnvelope> LoopbackLogService::received() {
  std::lock_guard lock(mutex_);
  return received_;
}

testsupport::ServerReply LoopbackLogService::handle(const testsupport::ServerRequest& request) {
  ReceivedEnvelope got = readEnvelope(request.body);
  if (request.method != "POST" || request.path() != "/app_logs")
    got.problems.push_back("wrong request line");
  if (request.header("Msg-Type") != "envelope" || request.header("Content-Type") != "envelope")
    got.problems.push_back("wrong message type");
  if (request.header("X-Analytics-Sdk").rfind("iOS/3.6.5 ", 0) != 0)
    got.problems.push_back("wrong sdk header");
  std::lock_guard lock(mutex_);
  received_.push_back(got);
  if (raw_) return *raw_;
  testsupport::ServerReply reply;
  reply.body = records::toBytes(response_);
  reply.header("Content-Type", "application/thrift");
  return reply;
}
