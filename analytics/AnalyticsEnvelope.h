// Wraps each compressed (optionally encrypted) log entry in a signed envelope with its guid,
// serial number, time stamp and checksum, and writes it as one file in the analytics folder.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
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
  std::string guidString_, signatureString_;
  ATEnvelope::UsageEnvelope enveloper_;
};
