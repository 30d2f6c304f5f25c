// Upgrades a study database written by a client older than 3.1: the learner's study data and
// settings are copied into a fresh copy of the shipped database, which then takes the old file's
// place in one rename. A failed upgrade leaves the old file as it was.
#pragma once

#include <string>

class SqlMgrController;

class CmpDiffVersion {
 public:
  // The store's opening reads the file's "v_client" on its own connection and, when the version
  // needs it, closes that connection and runs compareVer3.
  // The "v_client" of the database behind `mgr` ("" when missing or unreadable).
  static std::string storedVersion(SqlMgrController& mgr);
  // Whether a database of that client version needs the upgrade.
  static bool needsUpgrade(const std::string& version) { return versionValue(version) < 3.1f; }
  // The upgrade itself; `oldVersion` is the file's stored client version.
  bool compareVer3(const std::string& path, const std::string& oldVersion);

  // A personal value of the attached new database ("" when missing).
  static std::string getPersonalValue(SqlMgrController& mgr, const std::string& key);
  // A version text as the float of its leading number: "3.0.9" is 3.0, "3.10" is 3.1, "" is 0.
  static float versionValue(const std::string& text);
};
