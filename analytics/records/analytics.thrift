// The usage-analytics wire records. Every field is optional here, whatever the records' own
// rules say: the generated code then writes a field only when it is set and reads a record that
// lacks one without failing. Which fields a record needs is checked by the hand-written
// validate() of RecordValidation.h.
namespace cpp AT

enum SDKType {
  IOS = 1
}

enum AccessType {
  UNKNOWN = 0,
  CELLULAR = 1,
  WIFI = 2
}

enum ErrorSource {
  LEGIT = 1,
  ALIEN = 2
}

struct ClientStats {
  1: optional i32 successful_requests = 0,
  2: optional i32 failed_requests = 0,
  3: optional i32 last_request_spent_ms
}

struct AppInfo {
  1: optional string key,
  2: optional string version,
  3: optional i32 version_index,
  4: optional string package_name,
  5: optional SDKType sdk_type,
  6: optional string sdk_version,
  7: optional string channel,
  8: optional string wrapper_type,
  9: optional string wrapper_version,
  10: optional i32 vertical_type
}

struct Resolution {
  1: optional i32 height,
  2: optional i32 width
}

struct DeviceInfo {
  1: optional string device_id,
  2: optional string idmd5,
  3: optional string mac_address,
  4: optional string shared_device_id,
  5: optional string model,
  6: optional string cpu,
  7: optional string os,
  8: optional string os_version,
  9: optional Resolution resolution,
  12: optional string device_board,
  13: optional string device_brand,
  14: optional i64 device_manutime,
  15: optional string device_manufacturer,
  16: optional string device_manuid,
  17: optional string device_name
}

struct MiscInfo {
  1: optional i32 time_zone,
  2: optional string language,
  3: optional string country,
  4: optional double latitude,
  5: optional double longitude,
  6: optional string carrier,
  7: optional i32 latency,
  8: optional string display_name,
  9: optional AccessType access_type,
  10: optional string access_subtype
}

struct Page {
  1: optional string page_name,
  2: optional i64 duration
}

struct Location {
  1: optional double lat,
  2: optional double lng,
  3: optional i64 ts
}

struct Traffic {
  1: optional i32 upload_traffic,
  2: optional i32 download_traffic
}

struct Session {
  1: optional string id,
  2: optional i64 start_time,
  3: optional i64 end_time,
  4: optional i64 duration,
  5: optional list<Page> pages,
  6: optional list<Location> locations,
  7: optional Traffic traffic
}

struct PropertyValue {
  1: optional string string_value,
  2: optional i64 long_value
}

struct Event {
  1: optional string name,
  2: optional map<string, PropertyValue> properties,
  3: optional i64 duration,
  4: optional i32 acc,
  5: optional i64 ts
}

struct Error {
  1: optional i64 ts,
  2: optional string context,
  3: optional ErrorSource source
}

struct InstantMsg {
  1: optional string id,
  2: optional list<Error> errors,
  3: optional list<Event> events,
  4: optional list<Event> game_events
}

struct ActivateMsg {
  1: optional i64 ts
}

struct ActiveUser {
  1: optional string provider,
  2: optional string puid
}

struct Latent {
  1: optional i32 latency,
  2: optional i64 interval
}

struct ControlPolicy {
  1: optional Latent latent
}

struct IdSnapshot {
  1: optional string identity,
  2: optional i64 ts,
  3: optional i32 version
}

struct IdJournal {
  1: optional string domain,
  2: optional string old_id,
  3: optional string new_id,
  4: optional i64 ts
}

struct IdTracking {
  1: optional map<string, IdSnapshot> snapshots,
  2: optional list<IdJournal> journals,
  3: optional string checksum
}

struct ImprintValue {
  1: optional string value,
  2: optional i64 ts,
  3: optional string guid
}

struct Imprint {
  1: optional map<string, ImprintValue> property,
  2: optional i32 version,
  3: optional string checksum
}

struct Response {
  1: optional i32 resp_code,
  2: optional string msg,
  3: optional Imprint imprint
}

struct UsageLogEntry {
  1: optional ClientStats client_stats,
  2: optional AppInfo app_info,
  3: optional DeviceInfo device_info,
  4: optional MiscInfo misc_info,
  5: optional ActivateMsg activate_msg,
  6: optional list<InstantMsg> instant_msgs,
  7: optional list<Session> sessions,
  8: optional Imprint imprint,
  9: optional IdTracking id_tracking,
  10: optional ActiveUser active_user,
  11: optional ControlPolicy control_policy,
  12: optional map<string, i32> group_info
}
