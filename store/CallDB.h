// The study store: the one object of the process that owns the SQLite connection to learn.db and
// its statement wrapper, and carries every table operation of the system. callDB() opens it on
// first use, copying the shipped database into Application Support and upgrading an old file.
//
// The object lives for the whole process; Release_CallDB() only closes its connection, and the
// next callDB() opens the file again (copying it anew when it was deleted).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/base/Value.h"
#include "store/SqlMgrController.h"

struct sqlite3;

class CallDB {
 public:
  // The one store object, never null; never raises. While the database cannot be opened (no
  // file after the copy) its statements raise MyException, and every callDB() tries again.
  static CallDB* callDB();
  // Closes the connection; the next callDB() opens the file anew. Does nothing while another
  // thread is inside a statement or transaction, or while the calling thread has one open.
  static void Release_CallDB();

  CallDB(const CallDB&) = delete;
  CallDB& operator=(const CallDB&) = delete;

  bool isOpen() const;
  std::string databasePath() const;
  SqlMgrController& sqlMgr() { return sqlMgr_; }

  // The display form of a headword, or the headword itself.
  std::string getWord_ShowName(const std::string& word) const;

  // The wrapper's statements, for the backup code.
  plat::Value sql_select(const std::string& sql, const std::string& retType,
                         const std::string& paramSign, const plat::Value& params);
  void sql_insert(const std::string& sql, const std::string& paramSign, const plat::Value& params);
  void sql_update(const std::string& sql, const std::string& paramSign, const plat::Value& params);
  void sql_delete(const std::string& sql, const std::string& paramSign, const plat::Value& params);

  // The word whose scrambled texts are read next: its id becomes the user default "word_id",
  // under which "t" columns are unscrambled.
  int wordID() const { return wordID_; }
  void setWordID(int wordId);

  // ---- Time conventions (stored times, see store/MyDate.h)
  int64_t GetDayBeginTime(int n);  // 03:00 starting the study day n days after today's
  int64_t GetDayEndTime(int n);    // 03:00 ending it
  bool isSameDay();                // today's study day is the "LastReviewDay" marker

  // ---- Personal values (table Var_Config)
  // The value, or "" when the key is missing; never raises.
  std::string getPersonalValue(const std::string& key);
  // Kept on the device (sync flag 1): server values and device-only state.
  void UpdatePersonalValue(const std::string& key, const std::string& value);
  // Carried by the next backup (sync flag 0): the learner's settings and study state.
  void UpdatePersonalValue_isNeed(const std::string& key, const std::string& value);
  // Stores a reply's "syn_var" dictionary; callers wrap it in a transaction.
  void saveNetInfo(const plat::Value& values);
  // The device's model name ("Simulator", "iPad 2 (WiFi)", "其它:<model>").
  std::string doDevicePlatform();
  static std::string platformName(const std::string& model);
  // Brings "system_name" and "system_version" up to date and copies "v_lexicon" to
  // "last_v_lexicon" (all carried by the next backup).
  void modify_systeminfo();
  // [model name, system version], after updating the two values as above.
  plat::Value feedback_get_systeminfo();

 private:
  CallDB() = default;
  static CallDB* instance();  // made on first use, not opened
  void open();                // with the connection held
  void close();               // with the connection held
  void loadShowNames();
  void updateSystemInfo(const std::string& model, const std::string& version);

  SqlMgrController sqlMgr_;
  std::atomic<sqlite3*> database_{nullptr};
  mutable std::mutex state_;  // guards the members below
  std::string path_;
  std::unordered_map<std::string, std::string> words_showname_;
  std::atomic<int> wordID_{0};
};
