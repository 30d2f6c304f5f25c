// The records behind the stubborn-word reminders.
#include <string>

#include "store/CallDB.h"
#include "store/MyDate.h"
#include "store/StoredText.h"

using plat::Value;

Value CallDB::GetRandomForgetWordInfo() {
  const Value ids = sql_select(
      "select sl_uWordID from Study_Log where sl_uFeedbackID1=4 and sl_uFeedbackID2=4 and "
      "sl_uFeedbackID3=4 and sl_uWordID not in(select rw_uWordID from remind_words) order "
      "by(random()) limit 3",
      "n", "", Value::array());
  Value rows = Value::array();
  const int shownWord = wordID();  // the card on screen reads its texts under its own key
  for (size_t i = 0; i < ids.size(); ++i) {
    const int wordId = static_cast<int>(ids.at(i).asInt());
    const Value words = sql_select("select wl_tWord from Words_Library where wl_uWordID = ?", "s",
                                   "n", Value::array({wordId}));
    if (words.size() == 0) continue;  // a study record of a word the library no longer has
    Value meanings;
    setWordID(wordId);
    try {
      meanings = sql_select("select wmc_tData from Words_Meaning_Ch where f_wl_uWordID = ?", "t",
                            "n", Value::array({wordId}));
    } catch (...) {
      setWordID(shownWord);
      throw;
    }
    setWordID(shownWord);
    std::string text = "[顽固词]";
    text += getWord_ShowName(words.at(0).asString());
    text += '\n';
    for (size_t m = 0; m < meanings.size(); ++m) {
      text += meanings.at(m).asString();
      text += '\n';
    }
    rows.append(Value::array({wordId, storedtext::withLineBreaks(text)}));
  }
  return rows;
}

void CallDB::insertRemindWord(int wordId, int64_t runTime) {
  sql_insert("replace into remind_words (rw_uWordID, rw_uRunTime) values (?,?)", "nN",
             Value::array({wordId, static_cast<long long>(runTime)}));
}

void CallDB::clearRemindWords() {
  const double now = MyDate::localDateTime();
  sql_delete("delete from remind_words where rw_uRunTime < ?", "N",
             Value::array({static_cast<long long>(MyDate::dayStart(now))}));
  sql_delete("delete from remind_words where rw_uRunTime >= ?", "N",
             Value::array({static_cast<long long>(MyDate::storedTime(now))}));
}
