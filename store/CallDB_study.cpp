// A word's study record: planning, removal and the saving of an answer.
#include "store/CallDB.h"

using plat::Value;

void CallDB::InsertStudyWord(const std::string& word, int64_t learnTime) {
  const int id = getWordID(word);
  if (id == 0) return;
  // One unit: a Study_List row without its Study_Log row would be a word that is planned but
  // never due.
  inOneTransaction([&] {
    sqlMgr_.deleteOneChannel("delete from delete_words where dw_uWordID = ?", "n",
                             Value::array({id}));
    sqlMgr_.insertOneChannel("insert into Study_List (sl_uWordID,sl_uAddTime) values (?,?)", "nN",
                             Value::array({id, static_cast<long long>(learnTime)}));
    sqlMgr_.insertOneChannel(
        "insert into Study_Log (sl_uWordID,sl_uLastTestTime,sl_uNextStudyTime,sl_uFeedbackID1,"
        "sl_uFeedbackID2,sl_uFeedbackID3,sl_uKnowNum,sl_uVagueNum,sl_uForgetNum) values "
        "(?,?,?,?,?,?,?,?,?)",
        "nnNnnnnnn", Value::array({id, 0, static_cast<long long>(learnTime), 0, 0, 0, 0, 0, 0}));
  });
}

void CallDB::delete_StudyWord(const std::string& word) {
  const int id = getWordID(word);
  if (id == 0) return;
  const Value param = Value::array({id});
  inOneTransaction([&] {
    sqlMgr_.insertOneChannel("insert into delete_words (dw_uWordID) values (?)", "n", param);
    for (const char* sql : {"delete from Study_List where sl_uWordID = ?",
                            "delete from Study_Log where sl_uWordID = ?",
                            "delete from Study_Note where sn_uWordID = ?",
                            "delete from Words_Mnemonic where wm_uWordID = ?",
                            "delete from Words_MyYuFa where wm_uWordID = ?",
                            "delete from Words_YuFa where wy_uWordID = ?"})
      sqlMgr_.deleteOneChannel(sql, "n", param);
  });
}

Value CallDB::GetStudyLog(const std::string& word) {
  return sqlMgr_.selectOneChannel(
      "select sl_uLastTestTime,sl_uNextStudyTime,sl_uFeedbackID1,sl_uFeedbackID2 from Study_Log "
      "where sl_uWordID = (select wl_uWordID from Words_Library where wl_tWord=?)",
      "NNnn", "s", Value::array({word}));
}

void CallDB::UpdateLog(const Value& record) {
  const int64_t grade = record.at(3).asInt();
  sqlMgr_.updateOneChannel(
      "update Study_Log set sl_uLastTestTime = ?,sl_uNextStudyTime = ?,sl_uFeedbackID1 = "
      "?,sl_uFeedbackID2 = ?,sl_uFeedbackID3 = ?, sl_uKnowNum=sl_uKnowNum+?,"
      "sl_uVagueNum=sl_uVagueNum+?,sl_uForgetNum=sl_uForgetNum+?, sl_uNeedSync=0 where "
      "sl_uWordID = (select wl_uWordID from Words_Library where wl_tWord=?)",
      "NNnnnnnns",
      Value::array({record.at(1), record.at(2), record.at(3), record.at(4), record.at(5),
                    grade == 2 ? 1 : 0, grade == 3 ? 1 : 0, grade == 4 ? 1 : 0, record.at(0)}));
  UpdateLogWordCount();
  InsertReViewWordsFromDay();
}

void CallDB::UpdateLogWordCount() {
  // One statement, kept prepared: every answer runs it. The count is kept as text, and a value
  // that is no number counts as 0.
  sqlMgr_.RecordExec(
      "insert into Var_Config (vc_tVarName,vc_tValue,vc_uNeedSync) values ('rememberNum',1,0) "
      "on conflict (vc_tVarName) do update set vc_tValue=cast(coalesce(vc_tValue,0) as integer)+1, "
      "vc_uNeedSync=0",
      "", Value::array());
}
