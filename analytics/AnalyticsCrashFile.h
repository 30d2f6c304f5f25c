// The crash report that the crash handler writes straight to disk when the main thread cannot
// record it (the main thread itself crashed, or it did not answer in time). Writing uses only
// calls that are safe inside a signal handler; the next session begin reads it with the cache.
#pragma once

#include <optional>
#include <string>

struct CrashFileRecord {
  std::string appVersion;
  std::string sessionId;
  double ts = 0;        // seconds since 1970
  double duration = 0;  // seconds the crashed session ran
  std::string report;
};

std::optional<CrashFileRecord> readCrashFile(const std::string& path);

// Safe in a signal handler: no allocation, no locks. Writes `path`.tmp and renames it.
bool writeCrashFileSignalSafe(const char* path, const char* appVersion, const char* sessionId,
                              long ts, long duration, const char* report);
