#include "app/RemindersStore.h"

#include <string>

#include "learn/TextTemplate.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

using plat::Value;

namespace RemindersStore {

namespace {

// The meanings of a word, each followed by a line break; stored line breaks are written "\n".
std::string meaningsOf(CallDB& db, int wordId) {
  // "t" columns are read under the current word's key; the word card may be showing another word,
  // so its key comes back afterwards.
  const int shownWord = db.wordID();
  db.setWordID(wordId);
  Value meanings;
  try {
    meanings = db.sql_select("select wmc_tData from Words_Meaning_Ch where f_wl_uWordID = ?", "t",
                             "n", Value::array({wordId}));
  } catch (...) {
    db.setWordID(shownWord);
    throw;
  }
  db.setWordID(shownWord);
  std::string text;
  for (size_t i = 0; i < meanings.size(); ++i) text += meanings.at(i).asString() + "\n";
  return TextTemplate::replaceAll(text, "\\n", "\n");
}

}  // namespace

Value GetRandomForgetWordInfo(CallDB& db) {
  const Value ids = db.sql_select(
      "select sl_uWordID from Study_Log where sl_uFeedbackID1=4 and sl_uFeedbackID2=4 and "
      "sl_uFeedbackID3=4 and sl_uWordID not in(select rw_uWordID from remind_words) order "
      "by(random()) limit 3",
      "n", "", Value::array());
  Value rows = Value::array();
  for (size_t i = 0; i < ids.size(); ++i) {
    const int wordId = static_cast<int>(ids.at(i).asInt());
    const Value words = db.sql_select("select wl_tWord from Words_Library where wl_uWordID = ?",
                                      "s", "n", Value::array({wordId}));
    if (words.size() == 0) continue;  // a study record of a word the library no longer has
    const std::string text = TextTemplate::fill(
        "[顽固词]%@\n%@", {db.getWord_ShowName(words.at(0).asString()), meaningsOf(db, wordId)});
    rows.append(Value::array({wordId, text}));
  }
  return rows;
}

void insertRemindWord(CallDB& db, int wordId, int64_t runTime) {
  db.sql_insert("replace into remind_words (rw_uWordID, rw_uRunTime) values (?,?)", "nN",
                Value::array({wordId, static_cast<long long>(runTime)}));
}

void clearRemindWords(CallDB& db) {
  const double now = MyDate::localDateTime();
  db.sql_delete("delete from remind_words where rw_uRunTime < ?", "N",
                Value::array({static_cast<long long>(MyDate::dayStart(now))}));
  db.sql_delete("delete from remind_words where rw_uRunTime >= ?", "N",
                Value::array({static_cast<long long>(MyDate::storedTime(now))}));
}

}  // namespace RemindersStore
