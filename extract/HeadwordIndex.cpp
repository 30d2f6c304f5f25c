#include "extract/HeadwordIndex.h"

#include <exception>
#include <mutex>

#include "store/CallDB.h"

HeadwordIndex::HeadwordIndex(std::vector<std::string> words)
    : words_(std::move(words)), table_(words_.size()) {
  bool added;
  for (const std::string& word : words_) table_.insert(word, added);
}

std::shared_ptr<const HeadwordIndex> HeadwordIndex::current() {
  static std::mutex lock;
  static std::shared_ptr<const HeadwordIndex> cached;
  static std::string cachedKey;

  CallDB* db = CallDB::callDB();
  std::string key;
  try {
    const plat::Value shape =
        db->sql_select("select count(*), ifnull(max(wl_uWordID), 0) from Words_Library", "NN", "",
                       plat::Value::array());
    if (shape.size() == 0) return nullptr;
    key = db->databasePath() + "|" + std::to_string(shape.at(0).at(0).asInt()) + "|" +
          std::to_string(shape.at(0).at(1).asInt());
  } catch (const std::exception&) {
    return nullptr;
  }

  std::lock_guard<std::mutex> guard(lock);
  if (cached && key == cachedKey) return cached;
  std::vector<std::string> words;
  try {
    const plat::Value rows =
        db->sql_select("select wl_tWord from Words_Library", "s", "", plat::Value::array());
    words.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) words.push_back(rows.at(i).asString());
  } catch (const std::exception&) {
    return nullptr;
  }
  cached = std::shared_ptr<const HeadwordIndex>(new HeadwordIndex(std::move(words)));
  cachedKey = key;
  return cached;
}
