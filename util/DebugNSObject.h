// The developer test mode: on while an entry named after the shared client key followed by ".txt"
// sits directly in the Documents folder. Requests then carry "is_test" and raw replies are shown.
#pragma once

// The key shared with the server: part of every request's check code and the test-mode value.
inline constexpr const char* kSharedClientKey = "a47f02c9e15d83b6f0e2c7d49b18a3e5";

class DebugNSObject {
 public:
  // Looked up afresh on every call, so placing or removing the marker acts on the next request.
  static bool checkIsDebug();
};
