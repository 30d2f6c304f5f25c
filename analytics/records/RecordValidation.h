// The records' own rules of which fields must be set. validate() throws ATProtocolException for
// the first required field (in id order) that is not set; nothing calls it on reading or writing.
#pragma once

#include "analytics/records/analytics_types.h"
#include "analytics/records/envelope_types.h"
#include "platform/base/NamedException.h"

class ATProtocolException : public plat::NamedException {
 public:
  explicit ATProtocolException(const std::string& field)
      : plat::NamedException("TProtocolException", "Required field '" + field + "' is not set.") {}
};

namespace records {

void validate(const AT::UsageLogEntry& record);
void validate(const AT::ClientStats& record);
void validate(const AT::AppInfo& record);
void validate(const AT::Resolution& record);
void validate(const AT::Session& record);
void validate(const AT::Page& record);
void validate(const AT::Location& record);
void validate(const AT::Traffic& record);
void validate(const AT::InstantMsg& record);
void validate(const AT::Event& record);
void validate(const AT::Error& record);
void validate(const AT::ActivateMsg& record);
void validate(const AT::ActiveUser& record);
void validate(const AT::Latent& record);
void validate(const AT::IdSnapshot& record);
void validate(const AT::IdJournal& record);
void validate(const AT::IdTracking& record);
void validate(const AT::ImprintValue& record);
void validate(const AT::Imprint& record);
void validate(const AT::Response& record);
void validate(const ATEnvelope::UsageEnvelope& record);
// Records without required fields.
inline void validate(const AT::DeviceInfo&) {}
inline void validate(const AT::MiscInfo&) {}
inline void validate(const AT::PropertyValue&) {}
inline void validate(const AT::ControlPolicy&) {}

}  // namespace records
