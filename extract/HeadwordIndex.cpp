#include "extract/HeadwordIndex.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <string>

#include "store/CallDB.h"

using plat::Value;

std::shared_ptr<const HeadwordIndex> HeadwordIndex::current() {
  static std::mutex lock;
  // Never destroyed: the text page's extraction thread may still be reading it as the process
  // exits.
  static auto* cached = new std::shared_ptr<const HeadwordIndex>;
  static auto* cachedKey = new std::string;

  CallDB* db = CallDB::callDB();
  std::string key;
  int64_t wordCount = 0;
  try {
    // Asked apart, each is answered from the tree's shape; asked together they scan the table.
    const Value shape = db->sql_select(
        "select (select count(*) from Words_Library), "
        "(select ifnull(max(wl_uWordID), 0) from Words_Library)",
        "NN", "", Value::array());
    if (shape.size() == 0) return nullptr;
    wordCount = shape.at(0).at(0).asInt();
    key = db->databasePath() + "|" + std::to_string(wordCount) + "|" +
          std::to_string(shape.at(0).at(1).asInt());
  } catch (const std::exception&) {
    return nullptr;
  }

  std::lock_guard<std::mutex> guard(lock);
  if (*cached && key == *cachedKey) return *cached;
  try {
    *cached = load(*db, static_cast<size_t>(std::max<int64_t>(wordCount, 0)));
  } catch (const std::exception&) {
    return nullptr;
  }
  *cachedKey = key;
  return *cached;
}
