#include "extract/HeadwordIndex.h"

#include <exception>
#include <mutex>
#include <unordered_map>

#include "extract/InflectionRules.h"
#include "platform/base/Utf.h"
#include "store/CallDB.h"
#include "store/WordText.h"

namespace {

using plat::Value;

// Every word's card record of inflected forms, read back from its scrambled form; rows in the
// order the library was built in, commonest headword first.
std::vector<std::pair<int64_t, std::string>> formRecords(CallDB& db) {
  const Value rows =
      db.sql_select("select f_wl_uWordID, wt_tRelatedWords from Words_Transform order by rowid",
                    "Ns", "", Value::array());
  std::vector<std::pair<int64_t, std::string>> records;
  records.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const int64_t id = rows.at(i).at(0).asInt();
    records.emplace_back(id, WordText::rekey(rows.at(i).at(1).asString(), static_cast<int>(id)));
  }
  return records;
}

// Each word's place in the frequency books (800 and 801, numbered on from one to the other),
// by word id; words in neither have none.
std::unordered_map<int64_t, int64_t> frequencyPlaces(CallDB& db) {
  const Value rows = db.sql_select(
      "select f_wl_uId, min(bw_uId) from book_words where f_b_uId in (800, 801) group by f_wl_uId",
      "NN", "", Value::array());
  std::unordered_map<int64_t, int64_t> places;
  for (size_t i = 0; i < rows.size(); ++i)
    places.emplace(rows.at(i).at(0).asInt(), rows.at(i).at(1).asInt());
  return places;
}

}  // namespace

HeadwordIndex::HeadwordIndex(std::vector<std::string> words, const std::vector<int64_t>& ids,
                             const std::vector<std::pair<int64_t, std::string>>& records,
                             const std::unordered_map<int64_t, int64_t>& places)
    : words_(std::move(words)), table_(words_.size()) {
  bool added;
  for (const std::string& word : words_) table_.insert(word, added);
  addLowerCaseKeys();

  std::unordered_map<int64_t, uint32_t> numberOfId;
  for (size_t i = 0; i < ids.size(); ++i) numberOfId.emplace(ids[i], static_cast<uint32_t>(i));
  for (const auto& [id, text] : records) {
    const auto base = numberOfId.find(id);
    if (base == numberOfId.end()) continue;
    const std::string_view baseWord = words_[base->second];
    const auto basePlace = places.find(id);
    // A form the library holds as a word of its own stays that word when it is regular
    // ("interesting", "building") or commoner than its base ("ground", "data"); a rare
    // homograph ("saw", "found") is taken for its base.
    forms_.add(base->second, baseWord, text, [&](const std::string& form) {
      const uint32_t own = find(form);
      if (own == kAbsent) return false;
      if (inflection::isRegularForm(form, baseWord)) return true;
      const auto ownPlace = places.find(ids[own]);
      return ownPlace != places.end() &&
             (basePlace == places.end() || ownPlace->second < basePlace->second);
    });
  }
  if (const uint32_t be = find("be"); be != kAbsent)
    for (std::string_view form : FormRecord::kPresentOfBe) forms_.add(be, form);
}

void HeadwordIndex::addLowerCaseKeys() {
  lowerCaseKeys_.reserve(words_.size());  // never reallocated: the table views the keys
  for (uint32_t number = 0; number < words_.size(); ++number) {
    std::string key = plat::utf::asciiLowercase(words_[number]);
    if (key == words_[number] || table_.find(key) != kAbsent) continue;
    lowerCaseKeys_.push_back(std::move(key));
    lowered_.push_back(number);
  }
  bool added;
  for (const std::string& key : lowerCaseKeys_) table_.insert(key, added);
}

std::shared_ptr<const HeadwordIndex> HeadwordIndex::current() {
  static std::mutex lock;
  static std::shared_ptr<const HeadwordIndex> cached;
  static std::string cachedKey;

  CallDB* db = CallDB::callDB();
  std::string key;
  try {
    const Value shape =
        db->sql_select("select count(*), ifnull(max(wl_uWordID), 0) from Words_Library", "NN", "",
                       Value::array());
    if (shape.size() == 0) return nullptr;
    key = db->databasePath() + "|" + std::to_string(shape.at(0).at(0).asInt()) + "|" +
          std::to_string(shape.at(0).at(1).asInt());
  } catch (const std::exception&) {
    return nullptr;
  }

  std::lock_guard<std::mutex> guard(lock);
  if (cached && key == cachedKey) return cached;
  std::vector<std::string> words;
  std::vector<int64_t> ids;
  std::vector<std::pair<int64_t, std::string>> records;
  std::unordered_map<int64_t, int64_t> places;
  try {
    const Value rows = db->sql_select("select wl_uWordID, wl_tWord from Words_Library", "Ns", "",
                                      Value::array());
    words.reserve(rows.size());
    ids.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      ids.push_back(rows.at(i).at(0).asInt());
      words.push_back(rows.at(i).at(1).asString());
    }
    records = formRecords(*db);
    places = frequencyPlaces(*db);
  } catch (const std::exception&) {
    return nullptr;
  }
  cached = std::shared_ptr<const HeadwordIndex>(
      new HeadwordIndex(std::move(words), ids, records, places));
  cachedKey = key;
  return cached;
}
