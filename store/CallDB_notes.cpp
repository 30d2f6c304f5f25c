// The learner's own and adopted mnemonics and grammar notes, one row per word in each table.
#include <algorithm>
#include <string>

#include "store/CallDB.h"

using plat::Value;

namespace {

std::string blanked(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\t', ' ');
  return text;
}

}  // namespace

std::string CallDB::readWordText(const char* sql, const std::string& word) {
  Value texts = sqlMgr_.selectOneChannel(sql, "s", "s", Value::array({word}));
  return texts.size() ? blanked(texts.at(0).asString()) : std::string();
}

void CallDB::saveWordText(const char* sql, const std::string& word, const std::string& text) {
  sqlMgr_.insertOneChannel(sql, "ss", Value::array({blanked(text), word}));
}

std::string CallDB::getNote(const std::string& word) {
  return readWordText(
      "select sn_tNote from Study_Note where sn_uWordID = (select wl_uWordID from Words_Library "
      "where wl_tWord = ?)",
      word);
}

void CallDB::saveNote(const std::string& word, const std::string& note) {
  saveWordText(
      "replace into Study_Note (sn_uWordID, sn_tNote, sn_uNeedSync) select wl_uWordID,?,0 from "
      "Words_Library where wl_tWord = ?",
      word, note);
}

std::string CallDB::getMnemonic2(const std::string& word) {
  return readWordText(
      "select wm_tMnemonic from Words_Mnemonic where wm_uWordID = (select wl_uWordID from "
      "Words_Library where wl_tWord = ?)",
      word);
}

std::string CallDB::getMnemonic(const std::string& word) {
  std::string mnemonic = getMnemonic2(word);
  return mnemonic == DeclinedMnemonic ? std::string() : mnemonic;
}

void CallDB::saveMnemonic(const std::string& word, const std::string& mnemonic) {
  saveWordText(
      "replace into Words_Mnemonic (wm_uWordID, wm_tMnemonic, wm_uNeedSync) select wl_uWordID,?,0 "
      "from Words_Library where wl_tWord = ?",
      word, mnemonic);
}

std::string CallDB::getMyYuFa(const std::string& word) {
  return readWordText(
      "select wm_tYuFa from Words_MyYuFa where wm_uWordID = (select wl_uWordID from Words_Library "
      "where wl_tWord = ?)",
      word);
}

void CallDB::saveMyYuFa(const std::string& word, const std::string& text) {
  saveWordText(
      "replace into Words_MyYuFa (wm_uWordID, wm_tYuFa, wm_uNeedSync) select wl_uWordID,?,0 from "
      "Words_Library where wl_tWord = ?",
      word, text);
}

std::string CallDB::getYuFa(const std::string& word) {
  return readWordText(
      "select wy_tYuFa from Words_YuFa where wy_uWordID = (select wl_uWordID from Words_Library "
      "where wl_tWord = ?)",
      word);
}

void CallDB::saveYuFa(const std::string& word, const std::string& text) {
  saveWordText(
      "replace into Words_YuFa (wy_uWordID, wy_tYuFa, wy_uNeedSync) select wl_uWordID,?,0 from "
      "Words_Library where wl_tWord = ?",
      word, text);
}
