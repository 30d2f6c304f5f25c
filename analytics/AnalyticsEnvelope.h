// Wraps each compressed (optionally encrypted) log entry in a signed envelope with its guid,
// serial number, time stamp and checksum, and writes it as one file in the analytics folder.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "analytics/records/envelope_types.h"

class AnalyticsEnvelope {
 public:
  using Digest = std::array<uint8_t, 16>;
  using Guid = std::array<uint8_t, 32>;

  AnalyticsEnvelope();

  static AnalyticsEnvelope& sharedInstance();

  // Builds an envelope from the current log entry and writes its file. The bytes only when the
  // file was written; otherwise the caller keeps its records.
  std::optional<std::string> makeEnvelopeData();
  // The envelope's bytes for an entity; nullopt when the entity could not be encrypted.
  std::optional<std::string> toDataWithEntity(const std::string& entity);

  // The device signature (the first envelope's guid), when one exists.
  std::optional<Guid> signature() const { return signature_; }
  const ATEnvelope::UsageEnvelope& enveloper() const { return enveloper_; }
  void setLength(int32_t length) { length_ = length; }

  // What the last envelope was built from, and its bytes.
  const Digest& identityMD5() const { return identityMD5_; }
  const Digest& entityMD5() const { return entityMD5_; }
  const Guid& guid() const { return guid_; }
  // A guid received back, to be checked against this builder's signature and digests.
  void setGuid(const Guid& guid) { guid_ = guid; }
  const std::string& checksum() const { return checksum_; }
  const std::string& address() const { return address_; }
  const std::string& version() const { return version_; }
  const std::string& envelopeData() const { return envelopeData_; }
  int32_t timestamp() const { return timestamp_; }
  int32_t serialNum() const { return serialNum_; }
  int32_t length() const { return length_; }

  // Whether the guid carries this builder's time stamp under its signature bytes, and whether it
  // carries the entity and identity digests. Nothing on the upload path needs them.
  bool verifyTimestamp() const;
  bool verifyChecksum() const;
  // The same checks on any guid; one of another length fails.
  static bool verifyTimestamp(std::span<const uint8_t> guid, const std::optional<Guid>& signature,
                              int32_t timestamp, int32_t serialNum);
  static bool verifyChecksum(std::span<const uint8_t> guid, int32_t timestamp,
                             const Digest& entityMD5, const Digest& identityMD5);

  // Logs bytes as "< 0a 1b >", a debugging aid.
  static void printBytes(const uint8_t* bytes, size_t length);

  static std::optional<Guid> storedSignature();

 private:
  Guid buildGUIDWithData(const std::optional<Guid>& signature) const;
  std::string generateChecksum() const;
  void checkExchangeData();

  std::string version_ = "V1.0";
  std::string address_;
  Digest identityMD5_{};
  std::optional<Guid> signature_;
  Digest entityMD5_{};
  Guid guid_{};
  int32_t timestamp_ = 0;
  int32_t serialNum_ = 0;
  int32_t length_ = 0;
  std::string guidString_, signatureString_, checksum_;
  std::string envelopeData_;
  ATEnvelope::UsageEnvelope enveloper_;
};
