// The study data dump: the changed (mode 1) or all (mode 2) rows of the ten study tables and the
// settings as tab-separated text in a zip archive in Caches, applying such a dump back to the
// store, and the sync-flag bookkeeping around a backup (anything pending, all in step, wipes).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/base/NamedException.h"
#include "platform/base/Value.h"

// "DumpException": a dump that cannot be read or applied; the store is left as it was.
class DumpException : public plat::NamedException {
 public:
  explicit DumpException(std::string reason) : NamedException("DumpException", std::move(reason)) {}
};

class Data_Package {
 public:
  using Bytes = plat::Value::Bytes;
  using Lines = std::vector<std::vector<std::string>>;

  // True when a mode-1 dump would not be empty: a row with sync flag 0, or a deleted word.
  static bool check_isSyn();
  // Wipes the learner's study data and every setting but the device's own ones (the account
  // goes too); the kept settings count as in step, and a wiped one reads as on a fresh install.
  // Callers hold a transaction.
  static void delete_isSyn();
  // Wipes the study progress and its bookkeeping values; the account and settings stay.
  static void delete_UserData();

  // Dumps mode 1 into "backup_data.zip" / mode 2 into "backup_alldata.zip"; returns the path,
  // or "" when there was nothing to dump. Raises when the archive cannot be written.
  std::string getDataZipPath();
  std::string getAllDataZipPath();
  // The dump text: mode 1 changed rows, any other mode everything.
  std::string getsqlData(int mode);
  // Writes the archive `baseName`.zip in Caches holding `baseName`.scv; sets upfileZipPath().
  void zipPath(const std::string& baseName, const std::string& strData);
  // After an accepted upload: the rows the last dump carried, as they were dumped, are marked in
  // step (a row changed since keeps flag 0 and goes with the next backup), the deleted words it
  // carried are forgotten and the time of the backup is stored, in one transaction; the archive
  // is removed in any case. Raises, with the flags as they were, when the store cannot take it
  // (a full disk); inside the caller's transaction it is a part of that one.
  void updateSqlState();
  // Applies every entry of a downloaded archive in one transaction and removes the file. Raises
  // (ZipException, DumpException, MyException) with the store unchanged when any entry fails.
  void backupDataToDB(const std::string& archivePath);
  // Replaces the study tables by the dump in `data` in one transaction; raises with the store
  // unchanged for a malformed dump.
  void DataToDB(const Bytes& data);
  // The row lines of one section, joined by LF, without a final LF.
  static std::string ArrayToString(const plat::Value& rows);
  // The UTF-8 text split into lines on LF and each line into fields on TAB; no lines at all for
  // bytes that are not UTF-8.
  static Lines dataToArray(const Bytes& data);
  // "nLastSynTime" becomes now in stored seconds.
  void saveLast_syn_Time();

  // The archive last written; "" when the last dump was empty.
  const std::string& upfileZipPath() const { return upfileZipPath_; }

 private:
  std::string dumpToArchive(int mode, const std::string& baseName);
  void markSentRows();
  void removeUploadedArchive();
  static std::string rowLine(const plat::Value& row);

  std::string upfileZipPath_;
  // What the last dump carried: each section's row lines, and the deleted words.
  std::map<std::string, std::multiset<std::string>> sentRows_;
  std::vector<int64_t> sentDeletedWords_;
};
