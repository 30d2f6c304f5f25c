// Turns fatal signals and uncaught exceptions into crash reports. The signal handler does only
// what is safe there: it formats the report from the image description prepared in advance,
// hands it to the main thread with a bounded wait, or writes it straight to disk, then lets the
// signal take its default course.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Value.h"

inline const std::string kAnalyticsCrashCatchNotification = "AnalyticsCrashCatch";

class AnalyticsCrashCatcher {
 public:
  // Installs the handlers once per process and describes the executable.
  static void installUncaughtExceptionHandler();
  // Whether a crash that the main thread cannot record is written to disk for the next launch;
  // off while crash reports are switched off, when crashes still run the handlers but leave
  // nothing behind.
  static void setRecording(bool on);
  // Back to the default actions (after one crash, for good).
  static void removeHandlers();
  // What the signal handler needs of the current session, refreshed at every session begin.
  static void updateSnapshot();

  // The executable's description: "image_name", "image_base_address", "slide_address",
  // "binary_uuid", "cpu_arch"; null when it cannot be read.
  static plat::Value describeExecutable();
  static std::string formatBinaryUuid(const uint8_t bytes[16]);
  static std::string cpuArchName(unsigned machine);
  // "<exception text>\n\ndSYM UUID: ...\nCPU Type: ...\n..." for an image description.
  static std::string reportText(const std::string& exceptionText, const plat::Value& info);
  // "<reason>\n(null)\n(\n\t<line>...\n)"
  static std::string exceptionText(const std::string& reason,
                                   const std::vector<std::string>& stack);
};
