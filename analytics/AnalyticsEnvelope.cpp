#include "analytics/AnalyticsEnvelope.h"

#include "analytics/ANJson.h"
#include "analytics/ANUtil.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsTexts.h"
#include "analytics/AnalyticsThrift.h"
#include "analytics/AnalyticsUtility.h"
#include "analytics/records/ThriftBytes.h"
#include "platform/base/Files.h"
#include "platform/crypto/Digest.h"

namespace {

AnalyticsEnvelope::Digest md5(const std::string& bytes) {
  return plat::crypto::md5(bytes);
}

template <size_t N>
std::string hex(const std::array<uint8_t, N>& bytes) {
  return plat::crypto::hex(bytes);
}

plat::Value bytesValue(const AnalyticsEnvelope::Guid& guid) {
  return plat::Value(plat::Value::Bytes(guid.begin(), guid.end()));
}

}  // namespace

AnalyticsEnvelope::AnalyticsEnvelope() {
  address_ = AnalyticsApp::sharedInstance().appid();
  identityMD5_ = md5(ANUtil::idfv() + ANUtil::sharedUDIDString());
  signature_ = storedSignature();
  enveloper_.__set_version(version_);
  enveloper_.__set_address(address_);
}

AnalyticsEnvelope& AnalyticsEnvelope::sharedInstance() {
  return AnalyticsContext::current().state().envelope();
}

std::optional<AnalyticsEnvelope::Guid> AnalyticsEnvelope::storedSignature() {
  plat::Value stored = AnalyticsConfig::configureWithKey("anSignature");
  const plat::Value::Bytes& bytes = stored.asBytes();
  if (bytes.size() != 32) return std::nullopt;
  Guid signature;
  std::copy(bytes.begin(), bytes.end(), signature.begin());
  return signature;
}

AnalyticsEnvelope::Guid AnalyticsEnvelope::buildGUIDWithData(
    const std::optional<Guid>& signature) const {
  Guid g{};
  for (int i = 0; i < 16; ++i) {
    g[2 * i] = entityMD5_[i];
    g[2 * i + 1] = identityMD5_[i];
  }
  for (int i : {0, 1, 30, 31}) g[i] = signature ? (*signature)[i] : 0;
  uint32_t ts = static_cast<uint32_t>(timestamp_);
  for (int i = 0; i < 32; ++i) g[i] ^= static_cast<uint8_t>(ts >> (8 * (i % 4)));
  return g;
}

std::string AnalyticsEnvelope::generateChecksum() const {
  std::string text = anFormat("%s%d%d%d%s", signatureString_.c_str(), serialNum_, timestamp_,
                              length_, guidString_.c_str());
  return plat::crypto::hex(plat::crypto::md5(text));
}

std::optional<std::string> AnalyticsEnvelope::toDataWithEntity(const std::string& entity) {
  plat::Value serial = AnalyticsConfig::configureWithKey("anSerialNum");
  if (serial.isNull()) {
    serialNum_ = 1;
    AnalyticsConfig::setConfigure(1, "anSerialNum");
  } else {
    serialNum_ = static_cast<int32_t>(serial.asInt());
  }
  enveloper_.__set_serial_num(serialNum_);
  entityMD5_ = md5(entity);

  signature_ = storedSignature();
  if (signature_) {
    guid_ = buildGUIDWithData(signature_);
  } else {
    guid_ = buildGUIDWithData(std::nullopt);
    signature_ = guid_;
    if (!AnalyticsConfig::hasKey("anSignature"))
      AnalyticsConfig::setConfigure(bytesValue(*signature_), "anSignature");
    guid_ = buildGUIDWithData(signature_);
  }

  std::string payload = entity;
  auto codex = imprintValueWithKey("codex");
  bool encrypt = codex ? *codex == "1" : AnalyticsApp::sharedInstance().encryptEnabled();
  if (encrypt) {
    auto encrypted = AnalyticsUtility::AES128EncryptData(
        AnalyticsUtility::Bytes(entity.begin(), entity.end()), signature_->data() + 1);
    // An envelope that should be encrypted and cannot be is not made at all.
    if (!encrypted) return std::nullopt;
    payload.assign(encrypted->begin(), encrypted->end());
    entityMD5_ = md5(payload);
    guid_ = buildGUIDWithData(signature_);
  }
  enveloper_.__set_codex(encrypt ? 1 : 0);
  enveloper_.__set_entity(payload);
  guidString_ = hex(guid_);
  enveloper_.__set_guid(guidString_);
  enveloper_.__set_length(length_);
  enveloper_.__set_ts_secs(timestamp_);
  signatureString_ = hex(*signature_);
  enveloper_.__set_signature(signatureString_);
  checksum_ = generateChecksum();
  enveloper_.__set_checksum(checksum_);

  std::string failure;
  envelopeData_ = records::toBytes(enveloper_, &failure);
  if (!failure.empty()) analyticsPrint(anFormat(kExceptionOccurred, failure.c_str(), "(null)"));
  return envelopeData_;
}

std::optional<std::string> AnalyticsEnvelope::makeEnvelopeData() {
  AnalyticsThrift& builder = AnalyticsThrift::sharedInstance();
  auto entity = builder.entityData();
  if (entity) length_ = builder.lastLength();
  double now = AnalyticsContext::current().now();
  timestamp_ = static_cast<int32_t>(now);
  std::optional<std::string> written;
  if (entity) {
    auto bytes = toDataWithEntity(*entity);
    if (bytes) {
      // Two envelopes of one millisecond get the next free name.
      int64_t ms = static_cast<int64_t>(now * 1000);
      std::string path = AnalyticsUtility::generateEnvelopeFileNameWithTS(std::to_string(ms));
      while (AnalyticsUtility::isExistAtPath(path)) {
        path = AnalyticsUtility::generateEnvelopeFileNameWithTS(std::to_string(++ms));
      }
      if (AnalyticsUtility::saveEnvelope(*bytes, path)) {
        builder.setActivateMsgFlag();
        written = std::move(bytes);
      }
    }
  }
  // The serial number goes to disk with the next synchronized setting: a lost one only repeats a
  // number, and every envelope does not pay for a write of all settings.
  AnalyticsConfig::setConfigure(plat::Value(static_cast<long long>(
                                    AnalyticsConfig::configureWithKey("anSerialNum").asInt() + 1)),
                                "anSerialNum", false);
  checkExchangeData();
  return written;
}

void AnalyticsEnvelope::checkExchangeData() {
  plat::Value identity = plat::Value::dictionary();
  identity.set("appkey", address_);
  if (auto anid = imprintValueWithKey("anid"); anid && !anid->empty()) identity.set("anid", *anid);
  if (!signatureString_.empty()) identity.set("signature", signatureString_);
  if (signature_) {
    std::string middle = plat::crypto::hex(signature_->data() + 2, 16);
    identity.set("checksum", ANUtil::md5(middle));
  }
  ANJsonWriter writer;
  auto text = writer.stringWithObject(identity);
  if (!text) return;
  std::string path = AnalyticsUtility::exchangeIdentityPath();
  auto current = plat::files::readFile(path);
  if (!current || *current != *text) plat::files::writeFileAtomically(path, *text);
}

namespace {

// The time stamp's bytes as the guid rule folds them in: little-endian.
uint8_t timestampByte(int32_t timestamp, size_t index) {
  return static_cast<uint8_t>(static_cast<uint32_t>(timestamp) >> (8 * (index % 4)));
}

}  // namespace

bool AnalyticsEnvelope::verifyTimestamp(std::span<const uint8_t> guid,
                                        const std::optional<Guid>& signature, int32_t timestamp,
                                        int32_t serialNum) {
  if (guid.size() != std::tuple_size_v<Guid>) return false;
  // Without a signature there are no bytes to read the stamp from, which counts as a pass.
  if (!signature) return true;
  uint32_t stamp = 0;
  int shift = 0;
  for (size_t i : {0, 1, 30, 31}) {
    stamp |= static_cast<uint32_t>(guid[i] ^ (*signature)[i]) << shift;
    shift += 8;
  }
  return static_cast<int32_t>(stamp) == timestamp || (stamp == 0 && serialNum == 1);
}

bool AnalyticsEnvelope::verifyChecksum(std::span<const uint8_t> guid, int32_t timestamp,
                                       const Digest& entityMD5, const Digest& identityMD5) {
  if (guid.size() != std::tuple_size_v<Guid>) return false;
  // The first and last digest bytes share their places with the signature; 2 to 13 are compared.
  for (size_t i = 2; i <= 13; ++i) {
    if ((guid[2 * i] ^ timestampByte(timestamp, 2 * i)) != entityMD5[i]) return false;
    if ((guid[2 * i + 1] ^ timestampByte(timestamp, 2 * i + 1)) != identityMD5[i]) return false;
  }
  return true;
}

bool AnalyticsEnvelope::verifyTimestamp() const {
  return verifyTimestamp(guid_, signature_, timestamp_, serialNum_);
}

bool AnalyticsEnvelope::verifyChecksum() const {
  return verifyChecksum(guid_, timestamp_, entityMD5_, identityMD5_);
}

void AnalyticsEnvelope::printBytes(const uint8_t* bytes, size_t length) {
  std::string text = "< ";
  for (size_t i = 0; i < length; ++i) text += anFormat("%02x ", bytes[i]);
  text += ">\n";
  analyticsLog("%s", text.c_str());
}
