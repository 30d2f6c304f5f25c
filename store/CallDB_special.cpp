// The local copy of the excellent mnemonics the server recommends, shown as a special word book.
#include <algorithm>
#include <string>
#include <vector>

#include "store/CallDB.h"

using plat::Value;

void CallDB::updateSpecialMnemonic(const Value& rows) {
  for (size_t i = 0; i < rows.size(); ++i)
    sqlMgr_.insertOneChannel(
        "replace into excellent_mnemonic (em_uWordID,em_uHelpRemID,em_sInfo,em_sSharer,em_uSortID) "
        "values (?,?,?,?,?)",
        "nnssn", rows.at(i));
}

Value CallDB::getSpecialBookList() {
  return rowsOf(
      "select wl.wl_uWordID, wl.wl_tWord from Words_Library as wl, excellent_mnemonic as em where "
      "wl.wl_uWordID = em.em_uWordID order by em.em_uSortID desc",
      "ns");
}

void CallDB::haveSpecialBook(Value& all, Value& learnedWords, Value& noneWords) {
  struct Planned {
    int64_t key;
    std::string word;
  };
  std::vector<Planned> planned;
  Value list = getSpecialBookList();
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string word = list.at(i).at(1).asString();
    Value key = IsWordStudy_byID(static_cast<int>(list.at(i).at(0).asInt()));
    if (key.size())
      planned.push_back({key.at(0).asInt(), word});
    else
      noneWords.append(word);
    all.append(word);
  }
  std::stable_sort(planned.begin(), planned.end(),
                   [](const Planned& a, const Planned& b) { return a.key < b.key; });
  for (const Planned& p : planned) learnedWords.append(p.word);
}

Value CallDB::getSpecialMnemonicInfo(const std::string& word) {
  Value rows = sqlMgr_.selectOneChannel(
      "select em_sSharer, em_sInfo from excellent_mnemonic where em_uWordID = (select wl_uWordID "
      "from Words_Library where wl_tWord = ?)",
      "ss", "s", Value::array({word}));
  return rows.size() ? rows.at(0) : Value::array();
}

int CallDB::getSpecialMnemonicID(const std::string& word) {
  Value ids = sqlMgr_.selectOneChannel(
      "select em_uHelpRemID from excellent_mnemonic where em_uWordID = (select wl_uWordID from "
      "Words_Library where wl_tWord = ?)",
      "n", "s", Value::array({word}));
  return ids.size() ? static_cast<int>(ids.at(0).asInt()) : 0;
}
