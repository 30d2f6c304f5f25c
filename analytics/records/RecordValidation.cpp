#include "analytics/records/RecordValidation.h"

namespace records {
namespace {

void require(bool isSet, const char* field) {
  if (!isSet) throw ATProtocolException(field);
}

}  // namespace

#define REQUIRE(field) require(record.__isset.field, #field)

void validate(const AT::UsageLogEntry& record) {
  REQUIRE(client_stats);
  REQUIRE(app_info);
  REQUIRE(device_info);
  REQUIRE(misc_info);
}

void validate(const AT::ClientStats& record) {
  REQUIRE(successful_requests);
  REQUIRE(failed_requests);
}

void validate(const AT::AppInfo& record) {
  REQUIRE(key);
  REQUIRE(sdk_type);
  REQUIRE(sdk_version);
  REQUIRE(channel);
}

void validate(const AT::Resolution& record) {
  REQUIRE(height);
  REQUIRE(width);
}

void validate(const AT::Session& record) {
  REQUIRE(id);
  REQUIRE(start_time);
  REQUIRE(end_time);
  REQUIRE(duration);
}

void validate(const AT::Page& record) {
  REQUIRE(page_name);
  REQUIRE(duration);
}

void validate(const AT::Location& record) {
  REQUIRE(lat);
  REQUIRE(lng);
  REQUIRE(ts);
}

void validate(const AT::Traffic& record) {
  REQUIRE(upload_traffic);
  REQUIRE(download_traffic);
}

void validate(const AT::InstantMsg& record) {
  REQUIRE(id);
}

void validate(const AT::Event& record) {
  REQUIRE(name);
  REQUIRE(properties);
  REQUIRE(ts);
}

void validate(const AT::Error& record) {
  REQUIRE(ts);
  REQUIRE(context);
}

void validate(const AT::ActivateMsg& record) {
  REQUIRE(ts);
}

void validate(const AT::ActiveUser& record) {
  REQUIRE(provider);
  REQUIRE(puid);
}

void validate(const AT::Latent& record) {
  REQUIRE(latency);
  REQUIRE(interval);
}

void validate(const AT::IdSnapshot& record) {
  REQUIRE(identity);
  REQUIRE(ts);
  REQUIRE(version);
}

void validate(const AT::IdJournal& record) {
  REQUIRE(domain);
  REQUIRE(new_id);
  REQUIRE(ts);
}

void validate(const AT::IdTracking& record) {
  REQUIRE(snapshots);
}

void validate(const AT::ImprintValue& record) {
  REQUIRE(ts);
  REQUIRE(guid);
}

void validate(const AT::Imprint& record) {
  REQUIRE(property);
  REQUIRE(version);
  REQUIRE(checksum);
}

void validate(const AT::Response& record) {
  REQUIRE(resp_code);
}

void validate(const ATEnvelope::UsageEnvelope& record) {
  REQUIRE(version);
  REQUIRE(address);
  REQUIRE(signature);
  REQUIRE(serial_num);
  REQUIRE(ts_secs);
  REQUIRE(length);
  REQUIRE(entity);
  REQUIRE(guid);
  REQUIRE(checksum);
}

#undef REQUIRE

}  // namespace records
