// The envelope that carries one compressed (and possibly encrypted) log entry to the log
// service. Optional throughout for the same reason as analytics.thrift; validate() checks.
namespace cpp ATEnvelope

struct UsageEnvelope {
  1: optional string version,
  2: optional string address,
  3: optional string signature,
  4: optional i32 serial_num,
  5: optional i32 ts_secs,
  6: optional i32 length,
  7: optional binary entity,
  8: optional string guid,
  9: optional string checksum,
  10: optional i32 codex
}
