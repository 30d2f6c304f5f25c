// Word lookups, a word's study-order key and its library content for the card.
#include <cstdlib>

#include "store/CallDB.h"

namespace {

using plat::Value;

// The key that sorts planned words untested first, each group in due order.
Value studyOrderKey(const Value& rows) {
  if (rows.size() == 0) return Value::array();
  const int64_t last = rows.at(0).at(0).asInt();
  const int64_t next = rows.at(0).at(1).asInt();
  if (last == 0) return Value::array({static_cast<long long>(next)});
  std::string digits = std::to_string(next);
  digits.insert(digits.begin(), '1');
  return Value::array({std::strtoll(digits.c_str(), nullptr, 10)});
}

}  // namespace

int CallDB::getWordID(const std::string& word) {
  Value ids = sqlMgr_.selectOneChannel("select wl_uWordID from Words_Library where wl_tWord=?", "n",
                                       "s", Value::array({word}));
  return ids.size() ? static_cast<int>(ids.at(0).asInt()) : 0;
}

Value CallDB::GetWordPrototype(const std::string& word) {
  return sqlMgr_.selectOneChannel("select wl_tWord from Words_Library where wl_tWord = ?", "s", "s",
                                  Value::array({word}));
}

Value CallDB::IsWordStudy(const std::string& word) {
  return studyOrderKey(sqlMgr_.selectOneChannel(
      "select sl.sl_uLastTestTime,sl.sl_uNextStudyTime from Words_Library as wl,Study_Log as sl "
      "where wl.wl_uWordID = sl.sl_uWordID and wl.wl_tWord = ?",
      "NN", "s", Value::array({word})));
}

Value CallDB::IsWordStudy_byID(int wordId) {
  return studyOrderKey(sqlMgr_.selectOneChannel(
      "select sl_uLastTestTime,sl_uNextStudyTime from Study_Log where sl_uWordID = ?", "NN", "n",
      Value::array({wordId})));
}

Value CallDB::GetWordData(const std::string& word, int dataType) {
  const Value current = Value::array({static_cast<long long>(wordID())});
  auto ofCurrent = [&](const char* sql, const char* retType) {
    return sqlMgr_.selectOneChannel(sql, retType, "N", current);
  };
  switch (dataType) {
    case 0: {
      Value rows = sqlMgr_.selectOneChannel(
          "select wl_tPhonetics_USA,wl_tPhonetics_UK,wl_uWordID from Words_Library where wl_tWord "
          "= ?",
          "ssn", "s", Value::array({word}));
      // An unknown word must not leave the previous word's texts to be read as its own.
      setWordID(rows.size() ? static_cast<int>(rows.at(0).at(2).asInt()) : 0);
      return rows;
    }
    case 1:
      return ofCurrent(
          "select wmc_tData,wmc_uMeaingID from Words_Meaning_Ch where f_wl_uWordID = ? order by "
          "wmc_uMeaingID",
          "tn");
    case 2:
      return ofCurrent("select wt_tRelatedWords from Words_Transform where f_wl_uWordID = ?", "t");
    case 3:
      return ofCurrent(
          "select we.we_tSentence,we.we_tTranslation,we.f_wmc_uMeaingID from Words_Example as we,"
          "Words_Meaning_Ch as wmc where we.f_wmc_uMeaingID = wmc.wmc_uMeaingID and "
          "wmc.f_wl_uWordID = ? order by wmc.wmc_uMeaingID, we.rowid",
          "ttn");
    case 4:
      return sqlMgr_.selectOneChannel(
          "select sl_uKnowNum,sl_uVagueNum,sl_uForgetNum from Words_Library left join Study_Log on "
          "sl_uWordID = wl_uWordID where wl_tWord = ?",
          "nnn", "s", Value::array({word}));
    case 5:
      return ofCurrent("select we_tNickName from Words_Editor where f_wl_uWordID = ?", "s");
    case 6:
      return ofCurrent("select wme_tData from Words_Meaning_En where f_wl_uWordID = ?", "t");
    case 7:
      return Value::array(
          {ofCurrent("select wa_tRelatedWords from Words_Antonym where f_wl_uWordID = ?", "t"),
           ofCurrent("select ws_tRelatedWords from Words_Synonym where f_wl_uWordID = ?", "t")});
    case 8:
      return ofCurrent("select wp_tRelatedWords from Words_Phrases where f_wl_uWordID = ?", "t");
    case 9:
      return Value::array(
          {ofCurrent("select wa_tRelatedWords from Words_Paronym where f_wl_uWordID = ?", "t"),
           ofCurrent("select ws_tRelatedWords from Words_Similar where f_wl_uWordID = ?", "t")});
    default:
      throw MyException("Error:no type get you! (data type " + std::to_string(dataType) + ")");
  }
}

double CallDB::GetWordUsedCofe(const std::string& word) {
  Value places = sqlMgr_.selectOneChannel(
      "select bw.bw_uId from book_words as bw,words_library as wl where bw.f_wl_uId = "
      "wl.wl_uWordID and (bw.f_b_uId=800 or bw.f_b_uId=801) and wl.wl_tWord=?",
      "n", "s", Value::array({word}));
  return places.size() ? static_cast<double>(places.at(0).asInt()) / 7000.0 : 1.0;
}

Value CallDB::GetFeedbackInfo() {
  // The grades ship with the database and nothing in the app writes them: every answer reads
  // them, so the rows are kept from the first read until the connection closes.
  {
    plat::LockGuard lock(state_);
    if (feedback_.size() > 0) return feedback_;
  }
  Value rows =
      rowsOf("select fd_uFeedbackID,fd_dIdealValue,fd_tDescribe from Feedback_Define", "nds");
  plat::LockGuard lock(state_);
  if (isOpen()) feedback_ = rows;
  return rows;
}
