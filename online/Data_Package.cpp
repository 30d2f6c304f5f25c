#include "online/Data_Package.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>

#include "online/Data_BackupEntryLines.h"
#include "online/Data_BackupSpace.h"
#include "online/DumpSections.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/Utf.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "store/StoreTransaction.h"
#include "util/ZipException.h"
#include "util/ZipFile.h"

namespace {

// Mode 2 carries only these settings: the device's study preferences, not its account. Every
// setting the learner chooses is here: a full upload marks the pending settings it leaves out as
// in step, so one missing here would never reach a second device.
constexpr const char* kFullDumpSettings[] = {
    "run_machine",       "system_name",      "system_version", "last_v_lexicon", "ReviewLimitCount",
    "StudyLimitCount",   "last_look_bookID", "alarm_setting",  "time_setting",   "rememberNum",
    "LastReviewDay",     "autoAccept",       "show_mnemonic",  "show_eg",        "show_we",
    "show_wme",          "show_jinfan",      "show_phrases",   "show_other",     "specialBook",
    "forgetword_remind", "remind_time1",     "remind_time2",   "autoAudio",      "review_list_sort",
    "show_wi",           "show_yufa"};

// Settings that belong to the device and survive leaving the account.
constexpr const char* kDeviceSettings[] = {
    "url",          "v_client",       "ReviewLimitCount",   "StudyLimitCount",
    "autoAudio",    "audio_file",     "run_machine",        "alarm_setting",
    "time_setting", "v_lexicon",      "sNewLexiconVersion", "CheckUpdateTime",
    "system_name",  "system_version", "last_em_id",         "show_eg",
    "show_we",      "show_wme",       "show_jinfan",        "show_phrases",
    "show_other",   "show_mnemonic",  "sNewsTitle",         "sNewsContent",
    "atNight"};

// Study bookkeeping that goes with the study progress.
constexpr const char* kProgressSettings[] = {
    "LastReviewDay",    "rememberNum",      "nLastSynId",  "learn_text",
    "learn_text_local", "last_look_bookID", "nLastSynTime"};

// The tables the wipes empty; review_list mirrors the review queue and goes with them.
constexpr const char* kWipedTables[] = {"study_list",         "study_log",       "Study_Note",
                                        "Words_Mnemonic",     "Words_MyYuFa",    "Words_YuFa",
                                        "IncreasingWord_Log", "Familiarity_Log", "ForgetWords_Log",
                                        "ReviewWords_Log",    "delete_words",    "review_list"};

// The tables a restore empties before it inserts.
constexpr const char* kRestoredTables[] = {
    "Study_List",      "study_log",       "Study_Note",         "Words_Mnemonic",
    "Words_MyYuFa",    "Words_YuFa",      "IncreasingWord_Log", "Familiarity_Log",
    "ReviewWords_Log", "ForgetWords_Log", "delete_words"};

// Never destroyed: the backup's threads dump and restore with it, and may still be doing so as the
// process exits.
const plat::Value& kNoParams = *new plat::Value(plat::Value::array());

CallDB& store() {
  return *CallDB::callDB();
}

// "vc_tVarName='a'<joiner>vc_tVarName='b'..." over the keys.
template <size_t N>
std::string nameCondition(const char* const (&keys)[N], const char* comparison,
                          const char* joiner) {
  std::string condition;
  for (size_t i = 0; i < N; ++i) {
    if (i > 0) condition += joiner;
    condition += std::string("vc_tVarName") + comparison + "'" + keys[i] + "'";
  }
  return condition;
}

std::string firstColumn(const DumpSection& section) {
  std::string columns = section.columns;
  return columns.substr(0, columns.find(','));
}

std::string selectOf(const DumpSection& section) {
  return std::string("select ") + section.columns + " from " + section.name;
}

std::string header(const std::string& name, size_t count) {
  return name + "\t" + std::to_string(static_cast<int32_t>(count)) + "\n";
}

std::string valueText(const plat::Value& value) {
  switch (value.type()) {
    case plat::Value::Type::Int:
      return std::to_string(value.asInt());
    case plat::Value::Type::UInt:
      return std::to_string(value.asUInt());
    case plat::Value::Type::Double:
      return std::to_string(static_cast<int64_t>(value.asDouble()));
    default:
      return value.asString();  // a NULL text reads as ""
  }
}

}  // namespace

// One row as its dump line.
std::string Data_Package::rowLine(const plat::Value& row) {
  return ArrayToString(plat::Value::array({row}));
}

namespace {

// The leading integer of a field, as the dump's readers have always taken it: optional blanks
// and sign, then digits; 0 when there are none; clamped to the type's range.
int64_t leadingInteger(const std::string& field, int64_t low, int64_t high) {
  errno = 0;
  long long value = std::strtoll(field.c_str(), nullptr, 10);
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

// Empties each table in turn; raises on the first statement that fails.
template <size_t N>
void deleteFromTables(const char* const (&tables)[N]) {
  for (const char* table : tables) {
    store().sql_delete(std::string("delete from ") + table, "", kNoParams);
  }
}

// Deflate makes at most about 1032 bytes of one; an entry announcing more than that of the whole
// archive lies about its size.
constexpr uint64_t kMostInflatedPerByte = 1032;

// The dump's lines one after the other, as views into its text: no line is copied.
class DumpLines {
 public:
  explicit DumpLines(std::string_view text) : text_(text) {}
  // The next line; false after the last one (text after the last LF is a line of its own).
  bool next(std::string_view& line) {
    if (done_) return false;
    size_t end = text_.find('\n', at_);
    if (end == std::string_view::npos) {
      end = text_.size();
      done_ = true;
    }
    line = text_.substr(at_, end - at_);
    at_ = end + 1;
    return true;
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
  bool done_ = false;
};

constexpr size_t kMostColumns = 16;

// The first fields of a line split on TAB (at most kMostColumns); returns how many it has in all.
size_t splitFields(std::string_view line, std::array<std::string_view, kMostColumns>& fields) {
  size_t count = 0, from = 0;
  while (true) {
    const size_t tab = line.find('\t', from);
    const size_t end = tab == std::string_view::npos ? line.size() : tab;
    if (count < fields.size()) fields[count] = line.substr(from, end - from);
    ++count;
    if (tab == std::string_view::npos) return count;
    from = tab + 1;
  }
}

int64_t leadingInteger(std::string_view field, int64_t low, int64_t high) {
  return leadingInteger(std::string(field), low, high);
}

using RowHandler = std::function<void(const DumpSection&, const std::string& sql,
                                      const std::array<std::string_view, kMostColumns>&)>;

// Walks the rows of the dump's known sections, handing each with its section to `row` (when
// given). Raises DumpException for a short row or a section that announces more rows than the
// dump holds, before handing on anything of that section's later rows. `lines` is a DumpLines
// over a text in memory or the DumpEntryLines of an archive's entry.
template <class Lines>
void walkRows(Lines& lines, const RowHandler& row) {
  std::string_view line;
  std::array<std::string_view, kMostColumns> fields;
  while (lines.next(line)) {
    if (splitFields(line, fields) != 2) continue;
    const DumpSection* section = DumpSections::importable(std::string(fields[0]));
    if (!section) continue;
    const int64_t count = leadingInteger(fields[1], INT32_MIN, INT32_MAX);
    if (count <= 0) continue;
    const std::string codes = section->codes;
    const bool isSettings = section == &DumpSections::settings();
    std::string marks;
    for (size_t i = 0; i < codes.size(); ++i) marks += "?,";
    const std::string sql = std::string(isSettings ? "replace" : "insert") + " into " +
                            section->name + " (" + section->columns + "," + section->flag +
                            ") values (" + marks + "1)";
    for (int64_t r = 0; r < count; ++r) {
      if (!lines.next(line)) {
        throw DumpException(std::string("Section ") + section->name + " announces " +
                            std::to_string(count) + " rows but the dump ends before them");
      }
      const size_t found = splitFields(line, fields);
      if (found < codes.size()) {
        throw DumpException(std::string("A row of ") + section->name + " has " +
                            std::to_string(found) + " fields instead of " +
                            std::to_string(codes.size()));
      }
      if (row) row(*section, sql, fields);
    }
  }
}

// Refuses a dump that is no UTF-8 text or whose sections are malformed; touches no table, so it
// runs before the import's transaction.
std::string_view checkedDumpText(const Data_Package::Bytes& data) {
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  if (!plat::utf::isValidUtf8(text)) throw DumpException("The dump is not UTF-8 text");
  DumpLines lines(text);
  walkRows(lines, nullptr);
  return text;
}

// Inserts the rows of a checked dump's known sections; the study tables are already empty.
template <class Lines>
void applyRows(Lines& lines) {
  walkRows(lines, [](const DumpSection& section, const std::string& sql,
                     const std::array<std::string_view, kMostColumns>& fields) {
    const std::string codes = section.codes;
    plat::Value params = plat::Value::array();
    for (size_t i = 0; i < codes.size(); ++i) {
      if (codes[i] == 'n') {
        params.append(leadingInteger(fields[i], INT32_MIN, INT32_MAX));
      } else if (codes[i] == 'N') {
        params.append(leadingInteger(fields[i], INT64_MIN, INT64_MAX));
      } else {
        params.append(std::string(fields[i]));
      }
    }
    store().sql_insert(sql, codes, params);
  });
}

// Replaces the study tables by one checked dump; the caller holds the transaction.
template <class Lines>
void replaceStudyTables(Lines& lines) {
  deleteFromTables(kRestoredTables);
  applyRows(lines);
  store().OpenMechine_FamiliarityFromDay(14);
  store().OpenMechine_ForgetWordsFromDay(14);
}

}  // namespace

bool Data_Package::check_isSyn() {
  for (const DumpSection& table : DumpSections::studyTables()) {
    std::string sql = std::string("select ") + firstColumn(table) + " from " + table.name +
                      " where " + table.flag + " = 0 limit 1";
    if (store().sql_select(sql, "s", "", kNoParams).size() > 0) return true;
  }
  if (store().sql_select("select dw_uWordID from delete_words limit 1", "s", "", kNoParams).size())
    return true;
  return store()
             .sql_select("select vc_tVarName from Var_Config where vc_uNeedSync=0 limit 1", "s", "",
                         kNoParams)
             .size() > 0;
}

void Data_Package::delete_isSyn() {
  deleteFromTables(kWipedTables);
  store().sql_delete(
      "delete from Var_Config where " + nameCondition(kDeviceSettings, "<>", " and "), "",
      kNoParams);
  store().sql_update("update Var_Config set vc_uNeedSync = 1 where vc_uNeedSync = 0", "",
                     kNoParams);
  store().restoreShippedPersonalValues();
}

void Data_Package::delete_UserData() {
  deleteFromTables(kWipedTables);
  store().sql_delete(
      "delete from Var_Config where " + nameCondition(kProgressSettings, "=", " or "), "",
      kNoParams);
  store().restoreShippedPersonalValues();
}

std::string Data_Package::getDataZipPath() {
  return dumpToArchive(1, "backup_data");
}

std::string Data_Package::getAllDataZipPath() {
  return dumpToArchive(2, "backup_alldata");
}

std::string Data_Package::dumpToArchive(int mode, const std::string& baseName) {
  zipPath(baseName, getsqlData(mode));
  return upfileZipPath_;
}

std::string Data_Package::getsqlData(int mode) {
  const bool changedOnly = mode == 1;
  std::string dump;
  sentRows_.clear();
  sentDeletedWords_.clear();
  // A full upload replaces what the server holds, so the deleted words are in step after it too.
  plat::Value ids = store().sql_select("select dw_uWordID from delete_words", "n", "", kNoParams);
  for (size_t i = 0; i < ids.size(); ++i) sentDeletedWords_.push_back(ids[i].asInt());
  if (changedOnly && ids.size() > 0) {
    dump += header(DumpSections::kDeletedWords, ids.size());
    for (size_t i = 0; i < ids.size(); ++i) dump += valueText(ids[i]) + "\n";
  }
  auto appendSection = [this, &dump](const DumpSection& section, const std::string& sql) {
    plat::Value rows = store().sql_select(sql, section.codes, "", kNoParams);
    if (rows.size() == 0) return;
    // Each row's line goes into the dump and into what an accepted upload will mark.
    dump += header(section.name, rows.size());
    std::multiset<std::string>& sent = sentRows_[section.name];
    for (size_t r = 0; r < rows.size(); ++r) {
      std::string line = rowLine(rows[r]);
      dump += line + "\n";
      sent.insert(std::move(line));
    }
  };
  for (const DumpSection& table : DumpSections::studyTables()) {
    std::string sql = selectOf(table);
    if (changedOnly) sql += std::string(" where ") + table.flag + " = 0";
    appendSection(table, sql);
  }
  if (!changedOnly) {
    // The pending settings a full dump leaves out are in step with the server as they stand now.
    plat::Value pending = store().sql_select(
        "select vc_tVarName,vc_tValue from Var_Config where vc_uNeedSync=0", "ss", "", kNoParams);
    std::multiset<std::string>& sent = sentRows_[DumpSections::settings().name];
    for (size_t r = 0; r < pending.size(); ++r) sent.insert(rowLine(pending[r]));
  }
  appendSection(DumpSections::settings(),
                changedOnly ? "select vc_tVarName,vc_tValue from Var_Config where vc_uNeedSync=0"
                            : "select vc_tVarName,vc_tValue from Var_Config where " +
                                  nameCondition(kFullDumpSettings, "=", " or "));
  return dump;
}

std::string Data_Package::ArrayToString(const plat::Value& rows) {
  std::string text;
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r > 0) text += "\n";
    const plat::Value& row = rows[r];
    size_t columns = row.isArray() ? row.size() : 1;
    for (size_t c = 0; c < columns; ++c) {
      std::string value = valueText(row.isArray() ? row[c] : row);
      for (char& ch : value) {
        if (ch == '\n' || ch == '\t') ch = ' ';
      }
      if (c > 0) text += "\t";
      text += value;
    }
  }
  return text;
}

void Data_Package::zipPath(const std::string& baseName, const std::string& strData) {
  upfileZipPath_.clear();
  if (strData.empty()) return;
  const std::string path = plat::files::join(plat::AppHome::cachesDir(), baseName + ".zip");
  // Written beside the target and renamed over it, so a failed write (a full disk) leaves no
  // half archive that the upload would send.
  const std::string partial = path + ".partial";
  plat::files::createDirectories(plat::AppHome::cachesDir());
  plat::files::remove(partial);
  try {
    ZipFile archive(partial, ZipFileModeCreate);
    ZipWriteStream entry = archive.writeEntryWithName(baseName + ".scv", 9);
    entry.writeData(std::string_view(strData));
    entry.finishedWriting();
    archive.close();
  } catch (...) {
    plat::files::remove(partial);
    throw;
  }
  plat::files::remove(path);
  if (!plat::files::moveFile(partial, path)) {
    plat::files::remove(partial);
    throw ZipException("Can't write '" + path + "'", 0);
  }
  upfileZipPath_ = path;
}

void Data_Package::updateSqlState() {
  try {
    markSentRows();
  } catch (...) {
    // The rows keep flag 0 and go with the next backup, which dumps them afresh.
    removeUploadedArchive();
    throw;
  }
  sentRows_.clear();
  sentDeletedWords_.clear();
  removeUploadedArchive();
}

void Data_Package::markSentRows() {
  StoreTransaction::runOrRaise(store().sqlMgr(), [this] {
    // Only what the server received is in step: a row changed after the dump keeps flag 0.
    auto markSent = [this](const DumpSection& section) {
      auto sent = sentRows_.find(section.name);
      if (sent == sentRows_.end()) return;
      const plat::Value rows =
          store().sql_select(std::string("select rowid,") + section.columns + " from " +
                                 section.name + " where " + section.flag + " = 0",
                             std::string("N") + section.codes, "", kNoParams);
      const std::string mark =
          std::string("update ") + section.name + " set " + section.flag + " = 1 where rowid = ?";
      for (size_t r = 0; r < rows.size(); ++r) {
        plat::Value fields = plat::Value::array();
        for (size_t c = 1; c < rows[r].size(); ++c) fields.append(rows[r][c]);
        auto line = sent->second.find(rowLine(fields));
        if (line == sent->second.end()) continue;
        sent->second.erase(line);
        store().sql_update(mark, "N",
                           plat::Value::array({static_cast<long long>(rows.at(r).at(0).asInt())}));
      }
    };
    for (const DumpSection& table : DumpSections::studyTables()) markSent(table);
    markSent(DumpSections::settings());
    for (int64_t id : sentDeletedWords_) {
      store().sql_delete("delete from delete_words where dw_uWordID = ?", "N",
                         plat::Value::array({static_cast<long long>(id)}));
    }
    saveLast_syn_Time();
  });
}

void Data_Package::removeUploadedArchive() {
  if (!upfileZipPath_.empty() && plat::files::exists(upfileZipPath_)) {
    plat::files::remove(upfileZipPath_);
  }
}

void Data_Package::saveLast_syn_Time() {
  store().UpdatePersonalValue("nLastSynTime",
                              std::to_string(MyDate::storedTime(MyDate::localDateTime())));
}

Data_Package::Lines Data_Package::dataToArray(const Bytes& data) {
  Lines lines;
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  if (!plat::utf::isValidUtf8(text)) return lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    std::vector<std::string> fields;
    size_t from = 0;
    while (true) {
      size_t tab = line.find('\t', from);
      fields.emplace_back(line.substr(from, tab == std::string_view::npos ? tab : tab - from));
      if (tab == std::string_view::npos) break;
      from = tab + 1;
    }
    lines.push_back(std::move(fields));
    start = end + 1;
  }
  return lines;
}

void Data_Package::DataToDB(const Bytes& data) {
  DumpLines lines(checkedDumpText(data));
  StoreTransaction::runOrRaise(store().sqlMgr(), [&lines] { replaceStudyTables(lines); });
}

void Data_Package::backupDataToDB(const std::string& archivePath) {
  struct RemoveWhenDone {
    const std::string& path;
    ~RemoveWhenDone() {
      if (plat::files::exists(path)) plat::files::remove(path);
    }
  } removeArchive{archivePath};

  // Every entry is read and checked before any is applied, so a damaged archive changes nothing,
  // and the store is held only while the rows go in. Both passes read the entries as they
  // inflate: memory holds a chunk, not the dump.
  const uint64_t archiveSize = plat::files::fileSize(archivePath).value_or(0);
  ZipFile archive(archivePath, ZipFileModeUnzip);
  auto forEachEntry = [&](const std::function<void(DumpEntryLines&)>& use) {
    uint64_t dumpBytes = 0;
    archive.goToFirstEntry();
    do {
      if (archive.getCurrentZipEntryInfo().length() > archiveSize * kMostInflatedPerByte)
        throw ZipException("Entry announces more than the archive can hold", 0);
      DumpEntryLines lines(archive, dumpBytes);
      use(lines);
      std::string_view rest;
      while (lines.next(rest)) {
      }
    } while (archive.goToNextEntry());
    return dumpBytes;
  };
  const uint64_t dumpBytes = forEachEntry([](DumpEntryLines& lines) { walkRows(lines, nullptr); });
  Data_BackupSpace::requireRoomForRestore(dumpBytes);
  SqlMgrController& sql = store().sqlMgr();
  StoreTransaction::runOrRaise(
      sql, [&] { forEachEntry([](DumpEntryLines& lines) { replaceStudyTables(lines); }); });
  archive.close();
  // The import's pages went through the write-ahead log: give its room back at once.
  sql.checkpointLog();
}
