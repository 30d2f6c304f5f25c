#include "books/HeadwordIndex.h"

#include <exception>
#include <mutex>

#include "store/CallDB.h"

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
  auto index = std::make_shared<HeadwordIndex>();
  try {
    const plat::Value words =
        db->sql_select("select wl_tWord from Words_Library", "s", "", plat::Value::array());
    index->words_.reserve(words.size());
    for (size_t i = 0; i < words.size(); ++i) index->words_.insert(words.at(i).asString());
  } catch (const std::exception&) {
    return nullptr;
  }
  cached = index;
  cachedKey = key;
  return cached;
}
