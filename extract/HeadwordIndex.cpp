#include "extract/HeadwordIndex.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <unordered_set>

#include "extract/InflectionRules.h"
#include "extract/MeaningLine.h"
#include "platform/base/Utf.h"
#include "store/CallDB.h"
#include "store/WordText.h"

using plat::Value;

struct HeadwordIndex::Rows {
  std::vector<std::string> words;
  std::vector<int64_t> ids;                                   // by word number
  std::vector<std::pair<int64_t, std::string>> records;       // [word id, record text]
  std::vector<std::pair<int64_t, std::string>> meanings;      // [word id, Chinese meaning]
  std::unordered_set<int64_t> inBooks;                        // ids of the words books teach
  std::unordered_map<int64_t, uint16_t> frequencyRanks;       // by id, of the ranked words
};

namespace {

// Texts of a table kept scrambled by word id, read back; rows in the store's order, which for
// the record of forms is the order the library was built in, commonest headword first.
std::vector<std::pair<int64_t, std::string>> readBack(CallDB& db, const std::string& sql) {
  const Value rows = db.sql_select(sql, "Ns", "", Value::array());
  std::vector<std::pair<int64_t, std::string>> texts;
  texts.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const int64_t id = rows.at(i).at(0).asInt();
    texts.emplace_back(id, WordText::rekey(rows.at(i).at(1).asString(), static_cast<int>(id)));
  }
  return texts;
}

bool sharesASense(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  return std::any_of(a.begin(), a.end(), [&b](const std::string& sense) {
    return std::find(b.begin(), b.end(), sense) != b.end();
  });
}

}  // namespace

HeadwordIndex::HeadwordIndex(Rows rows)
    : words_(std::move(rows.words)), table_(words_.size()), traits_(words_.size(), 0) {
  bool added;
  for (const std::string& word : words_) table_.insert(word, added);
  addLowerCaseKeys();

  std::unordered_map<int64_t, uint32_t> numberOfId;
  for (size_t i = 0; i < rows.ids.size(); ++i)
    numberOfId.emplace(rows.ids[i], static_cast<uint32_t>(i));
  for (const auto& [id, text] : rows.records) {
    const auto base = numberOfId.find(id);
    if (base != numberOfId.end()) forms_.add(base->second, words_[base->second], text);
  }
  if (const uint32_t be = findExact("be"); be != kAbsent)
    for (std::string_view form : FormRecord::kPresentOfBe) forms_.add(be, form, '@');
  addForms();

  hasBooks_ = !rows.inBooks.empty();
  frequencyRank_.assign(words_.size(), 0);
  for (size_t i = 0; i < rows.ids.size(); ++i) {
    if (rows.inBooks.count(rows.ids[i])) traits_[i] |= kInBook;
    const auto ranked = rows.frequencyRanks.find(rows.ids[i]);
    if (ranked != rows.frequencyRanks.end()) frequencyRank_[i] = ranked->second;
  }

  std::vector<std::vector<std::string>> senses(words_.size());
  enum LineKind : uint8_t { kAdjectiveLine = 1, kAdverbLine = 2, kOtherLine = 4 };
  std::vector<uint8_t> kinds(words_.size(), 0);
  std::vector<bool> adjectiveFirst(words_.size(), false);
  for (const auto& [id, text] : rows.meanings) {
    const auto number = numberOfId.find(id);
    if (number == numberOfId.end()) continue;
    MeaningLine line = MeaningLine::parse(text);
    if (kinds[number->second] == 0) {
      if (line.partOfSpeech == "v.") traits_[number->second] |= kFirstAVerb;
      if (line.partOfSpeech == "n.") traits_[number->second] |= kFirstANoun;
      adjectiveFirst[number->second] = line.partOfSpeech == "adj.";
    }
    if (line.partOfSpeech == "n.") traits_[number->second] |= kNoun;
    if (line.partOfSpeech == "v.") traits_[number->second] |= kVerb;
    kinds[number->second] |= line.partOfSpeech == "adj."   ? kAdjectiveLine
                             : line.partOfSpeech == "adv." ? kAdverbLine
                                                           : kOtherLine;
    for (std::string& sense : line.senses) senses[number->second].push_back(std::move(sense));
  }
  for (size_t i = 0; i < words_.size(); ++i) {
    if (kinds[i] & kAdjectiveLine) traits_[i] |= kAdjective;
    if (adjectiveFirst[i] && !(kinds[i] & kAdverbLine)) traits_[i] |= kPlainAdjective;
  }
  markPluralsThatMeanTheirBase(senses);
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

void HeadwordIndex::addForms() {
  // A word and its record come out of one lookup: the forms join the table.
  bool added;
  forms_.forEach([&](std::string_view spelling, FormRecord::Form) {
    if (table_.find(spelling) == kAbsent) table_.insert(spelling, added);
  });
  formOfNumber_.assign(table_.size(), FormRecord::Form{});
  forms_.forEach([&](std::string_view spelling, FormRecord::Form form) {
    formOfNumber_[table_.find(spelling)] = form;
  });
}

void HeadwordIndex::markPluralsThatMeanTheirBase(
    const std::vector<std::vector<std::string>>& senses) {
  for (uint32_t number = 0; number < words_.size(); ++number) {
    const std::string_view word = words_[number];
    uint32_t base = kAbsent;
    if (const FormRecord::Form form = formOf(word); form.marker == '#') {
      base = form.base;
    } else if (form.base == kAbsent && word.size() >= 4) {
      auto singular = [this, &base](std::string_view candidate) {
        base = candidate.empty() ? kAbsent : findExact(candidate);
        return base != kAbsent;
      };
      inflection::plural(word, singular);
    }
    if (base != kAbsent && base != number && sharesASense(senses[number], senses[base]))
      traits_[number] |= kMeansItsBase;
  }
}

std::shared_ptr<const HeadwordIndex> HeadwordIndex::current() {
  static std::mutex lock;
  static std::shared_ptr<const HeadwordIndex> cached;
  static std::string cachedKey;

  CallDB* db = CallDB::callDB();
  std::string key;
  try {
    // Asked apart, each is answered from the tree's shape; asked together they scan the table.
    const Value shape = db->sql_select(
        "select (select count(*) from Words_Library), "
        "(select ifnull(max(wl_uWordID), 0) from Words_Library)",
        "NN", "", Value::array());
    if (shape.size() == 0) return nullptr;
    key = db->databasePath() + "|" + std::to_string(shape.at(0).at(0).asInt()) + "|" +
          std::to_string(shape.at(0).at(1).asInt());
  } catch (const std::exception&) {
    return nullptr;
  }

  std::lock_guard<std::mutex> guard(lock);
  if (cached && key == cachedKey) return cached;
  Rows rows;
  try {
    const Value words = db->sql_select("select wl_uWordID, wl_tWord from Words_Library", "Ns", "",
                                       Value::array());
    rows.words.reserve(words.size());
    rows.ids.reserve(words.size());
    for (size_t i = 0; i < words.size(); ++i) {
      rows.ids.push_back(words.at(i).at(0).asInt());
      rows.words.push_back(words.at(i).at(1).asString());
    }
    rows.records = readBack(
        *db, "select f_wl_uWordID, wt_tRelatedWords from Words_Transform order by rowid");
    rows.meanings = readBack(
        *db, "select f_wl_uWordID, wmc_tData from Words_Meaning_Ch order by wmc_uMeaingID");
    const Value taught =
        db->sql_select("select distinct f_wl_uId from book_words", "N", "", Value::array());
    for (size_t i = 0; i < taught.size(); ++i) rows.inBooks.insert(taught.at(i).asInt());
    // A word's place in the frequency books is its frequency rank. Asked apart, both questions
    // are answered from an index.
    const Value ranked =
        db->sql_select("select f_wl_uId, bw_uId from book_words where f_b_uId in (800, 801)", "NN",
                       "", Value::array());
    for (size_t i = 0; i < ranked.size(); ++i) {
      const int64_t rank = ranked.at(i).at(1).asInt();
      if (rank > 0 && rank <= UINT16_MAX)
        rows.frequencyRanks.emplace(ranked.at(i).at(0).asInt(), static_cast<uint16_t>(rank));
    }
  } catch (const std::exception&) {
    return nullptr;
  }
  cached = std::shared_ptr<const HeadwordIndex>(new HeadwordIndex(std::move(rows)));
  cachedKey = key;
  return cached;
}
