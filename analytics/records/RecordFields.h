// Every wire record's fields in id order, with their names and is-set flags, for the code that
// treats all records alike (descriptions, keyed coding, full initialisers). Kept in step with
// analytics.thrift and envelope.thrift; a test compares the two.
#pragma once

#include <concepts>
#include <type_traits>

#include "analytics/records/analytics_types.h"
#include "analytics/records/envelope_types.h"

namespace records {

// One field as a visitor sees it: its name, its stored value, whether it is set, and how to
// mark it set or clear (which does nothing on a const record).
template <typename Value, typename Mark>
struct Field {
  const char* name;
  Value& value;
  bool isSet;
  Mark markSet;
  bool binary;  // bytes rather than text, though both are kept in a std::string
};

template <typename Value, typename Mark>
Field(const char*, Value&, bool, Mark, bool) -> Field<Value, Mark>;

}  // namespace records

// The generated flags are bit-fields, so each field is reached by name rather than by pointer.
#define AT_RECORD(ns, Name)                               \
  inline const char* recordName(const ns::Name&) {        \
    return #Name;                                         \
  }                                                       \
  template <typename R, typename V>                       \
  requires std::same_as<std::remove_const_t<R>, ns::Name> \
  void forEachField(R& r, V&& visit)
#define AT_FIELD_OF(field, isBinary)                               \
  visit(Field{#field, r.field, static_cast<bool>(r.__isset.field), \
              [&r](bool on) {                                      \
                if constexpr (std::is_const_v<R>) {                \
                  (void)r, (void)on;                               \
                } else {                                           \
                  r.__isset.field = on;                            \
                }                                                  \
              },                                                   \
              isBinary})
#define AT_FIELD(field) AT_FIELD_OF(field, false)
#define AT_BINARY_FIELD(field) AT_FIELD_OF(field, true)

namespace records {

AT_RECORD(AT, ClientStats) {
  AT_FIELD(successful_requests);
  AT_FIELD(failed_requests);
  AT_FIELD(last_request_spent_ms);
}

AT_RECORD(AT, AppInfo) {
  AT_FIELD(key);
  AT_FIELD(version);
  AT_FIELD(version_index);
  AT_FIELD(package_name);
  AT_FIELD(sdk_type);
  AT_FIELD(sdk_version);
  AT_FIELD(channel);
  AT_FIELD(wrapper_type);
  AT_FIELD(wrapper_version);
  AT_FIELD(vertical_type);
}

AT_RECORD(AT, Resolution) {
  AT_FIELD(height);
  AT_FIELD(width);
}

AT_RECORD(AT, DeviceInfo) {
  AT_FIELD(device_id);
  AT_FIELD(idmd5);
  AT_FIELD(mac_address);
  AT_FIELD(shared_device_id);
  AT_FIELD(model);
  AT_FIELD(cpu);
  AT_FIELD(os);
  AT_FIELD(os_version);
  AT_FIELD(resolution);
  AT_FIELD(device_board);
  AT_FIELD(device_brand);
  AT_FIELD(device_manutime);
  AT_FIELD(device_manufacturer);
  AT_FIELD(device_manuid);
  AT_FIELD(device_name);
}

AT_RECORD(AT, MiscInfo) {
  AT_FIELD(time_zone);
  AT_FIELD(language);
  AT_FIELD(country);
  AT_FIELD(latitude);
  AT_FIELD(longitude);
  AT_FIELD(carrier);
  AT_FIELD(latency);
  AT_FIELD(display_name);
  AT_FIELD(access_type);
  AT_FIELD(access_subtype);
}

AT_RECORD(AT, Page) {
  AT_FIELD(page_name);
  AT_FIELD(duration);
}

AT_RECORD(AT, Location) {
  AT_FIELD(lat);
  AT_FIELD(lng);
  AT_FIELD(ts);
}

AT_RECORD(AT, Traffic) {
  AT_FIELD(upload_traffic);
  AT_FIELD(download_traffic);
}

AT_RECORD(AT, Session) {
  AT_FIELD(id);
  AT_FIELD(start_time);
  AT_FIELD(end_time);
  AT_FIELD(duration);
  AT_FIELD(pages);
  AT_FIELD(locations);
  AT_FIELD(traffic);
}

AT_RECORD(AT, PropertyValue) {
  AT_FIELD(string_value);
  AT_FIELD(long_value);
}

AT_RECORD(AT, Event) {
  AT_FIELD(name);
  AT_FIELD(properties);
  AT_FIELD(duration);
  AT_FIELD(acc);
  AT_FIELD(ts);
}

AT_RECORD(AT, Error) {
  AT_FIELD(ts);
  AT_FIELD(context);
  AT_FIELD(source);
}

AT_RECORD(AT, InstantMsg) {
  AT_FIELD(id);
  AT_FIELD(errors);
  AT_FIELD(events);
  AT_FIELD(game_events);
}

AT_RECORD(AT, ActivateMsg) {
  AT_FIELD(ts);
}

AT_RECORD(AT, ActiveUser) {
  AT_FIELD(provider);
  AT_FIELD(puid);
}

AT_RECORD(AT, Latent) {
  AT_FIELD(latency);
  AT_FIELD(interval);
}

AT_RECORD(AT, ControlPolicy) {
  AT_FIELD(latent);
}

AT_RECORD(AT, IdSnapshot) {
  AT_FIELD(identity);
  AT_FIELD(ts);
  AT_FIELD(version);
}

AT_RECORD(AT, IdJournal) {
  AT_FIELD(domain);
  AT_FIELD(old_id);
  AT_FIELD(new_id);
  AT_FIELD(ts);
}

AT_RECORD(AT, IdTracking) {
  AT_FIELD(snapshots);
  AT_FIELD(journals);
  AT_FIELD(checksum);
}

AT_RECORD(AT, ImprintValue) {
  AT_FIELD(value);
  AT_FIELD(ts);
  AT_FIELD(guid);
}

AT_RECORD(AT, Imprint) {
  AT_FIELD(property);
  AT_FIELD(version);
  AT_FIELD(checksum);
}

AT_RECORD(AT, Response) {
  AT_FIELD(resp_code);
  AT_FIELD(msg);
  AT_FIELD(imprint);
}

AT_RECORD(AT, UsageLogEntry) {
  AT_FIELD(client_stats);
  AT_FIELD(app_info);
  AT_FIELD(device_info);
  AT_FIELD(misc_info);
  AT_FIELD(activate_msg);
  AT_FIELD(instant_msgs);
  AT_FIELD(sessions);
  AT_FIELD(imprint);
  AT_FIELD(id_tracking);
  AT_FIELD(active_user);
  AT_FIELD(control_policy);
  AT_FIELD(group_info);
}

AT_RECORD(ATEnvelope, UsageEnvelope) {
  AT_FIELD(version);
  AT_FIELD(address);
  AT_FIELD(signature);
  AT_FIELD(serial_num);
  AT_FIELD(ts_secs);
  AT_FIELD(length);
  AT_BINARY_FIELD(entity);
  AT_FIELD(guid);
  AT_FIELD(checksum);
  AT_FIELD(codex);
}

}  // namespace records

#undef AT_RECORD
#undef AT_FIELD_OF
#undef AT_FIELD
#undef AT_BINARY_FIELD
