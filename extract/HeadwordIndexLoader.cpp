// Reading the headword index from the store.
#include "extract/HeadwordIndex.h"

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>

#include "extract/InflectionRules.h"
#include "extract/MeaningLine.h"
#include "platform/base/Mutex.h"
#include "store/CallDB.h"
#include "store/WordText.h"

namespace {

// Hands each row of `sql` to `onRow` as SQLite gives it, so that no row is copied before it is
// read; raises when the statement cannot be prepared or a step fails. The caller holds the
// store's connection.
template <class OnRow>
void forEachRow(sqlite3* db, const char* sql, OnRow onRow) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK || !statement) {
    sqlite3_finalize(statement);
    throw std::runtime_error(std::string("cannot read the word library: ") + sqlite3_errmsg(db));
  }
  const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalized(statement,
                                                                        sqlite3_finalize);
  int status;
  while ((status = sqlite3_step(statement)) == SQLITE_ROW) onRow(statement);
  if (status != SQLITE_DONE)
    throw std::runtime_error(std::string("cannot read the word library: ") + sqlite3_errmsg(db));
}

std::string_view textOf(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  return text ? std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(row, column)))
              : std::string_view();
}

bool sharesASense(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  return std::any_of(a.begin(), a.end(), [&b](const std::string& sense) {
    return std::find(b.begin(), b.end(), sense) != b.end();
  });
}

}  // namespace

// Builds an index from the store's rows in one pass over each table, keeping of a row only what
// the index holds.
class HeadwordIndex::Loader {
 public:
  Loader(HeadwordIndex& index, sqlite3* db) : index_(index), db_(db) {}

  // The words in the order of their spelling, as the library's index on them gives it: a word
  // list pasted in that order then walks the index's memory in order too.
  void readWords(size_t expected) {
    // Room for the forms too: the record holds about as many as there are words.
    index_.table_.reserve(2 * expected);
    numberOfId_.reserve(expected);
    forEachRow(db_, "select wl_uWordID, wl_tWord from Words_Library", [this](sqlite3_stmt* row) {
      const std::string_view word = textOf(row, 1);
      uint32_t number = index_.table_.find(word);
      if (number == kAbsent) {
        bool added;
        number = index_.table_.insert(index_.text_.keep(word), added);
      }
      numberOfId_.emplace(sqlite3_column_int64(row, 0), number);
    });
    index_.wordCount_ = static_cast<uint32_t>(index_.table_.size());
    index_.traits_.assign(index_.wordCount_, 0);
  }

  // A headword stored with capitals ("Monday", "Mr") is also found by its lower-case key, unless
  // a headword is spelled so; of two with one key ("US", "Us"), the first in A-Z order keeps it.
  void addLowerCaseKeys() {
    std::string key;
    for (uint32_t number = 0; number < index_.wordCount_; ++number) {
      const std::string_view word = index_.table_.at(number);
      key.assign(word);
      for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (key == word || index_.table_.find(key) != kAbsent) continue;
      bool added;
      index_.table_.insert(index_.text_.keep(key), added);
      index_.lowered_.push_back(number);
    }
  }

  void readForms() {
    FormRecord forms(index_.table_, index_.text_);
    forEachRow(db_, "select f_wl_uWordID, wt_tRelatedWords from Words_Transform order by rowid",
               [&](sqlite3_stmt* row) {
                 const int64_t id = sqlite3_column_int64(row, 0);
                 const uint32_t base = numberOf(id);
                 if (base == kAbsent) return;
                 stored_.assign(textOf(row, 1));
                 forms.add(base, index_.table_.at(base), WordText::rekey(stored_, id));
               });
    if (const uint32_t be = index_.findExact("be"); be != kAbsent)
      for (std::string_view form : FormRecord::kPresentOfBe) forms.add(be, form, '@');
    index_.formOfNumber_ = forms.take();
    // A third person that is also another's plural ("leaves") keeps the noun as its other base.
    for (const FormRecord::Form& form : index_.formOfNumber_) {
      if (form.marker == '#' && form.base != kAbsent) index_.traits_[form.base] |= kHasPlural;
      if (form.marker == '@' && form.otherBase != kAbsent)
        index_.traits_[form.otherBase] |= kHasPlural;
    }
  }

  // Which words some book teaches, and the frequency rank of those the frequency books (800
  // and 801, numbered on from one to the other) hold: their first place there.
  void readBooks() {
    forEachRow(db_, "select distinct f_wl_uId from book_words", [this](sqlite3_stmt* row) {
      index_.hasBooks_ = true;
      if (const uint32_t number = numberOf(sqlite3_column_int64(row, 0)); number != kAbsent)
        index_.traits_[number] |= kInBook;
    });
    std::vector<int64_t> places(index_.wordCount_, 0);
    forEachRow(
        db_, "select f_wl_uId, bw_uId from book_words where f_b_uId in (800, 801)",
        [&](sqlite3_stmt* row) {
          const uint32_t number = numberOf(sqlite3_column_int64(row, 0));
          const int64_t place = sqlite3_column_int64(row, 1);
          if (number != kAbsent && place > 0 && (places[number] == 0 || place < places[number]))
            places[number] = place;
        });
    index_.frequencyRank_.assign(index_.wordCount_, 0);
    for (size_t i = 0; i < places.size(); ++i)
      if (places[i] <= UINT16_MAX) index_.frequencyRank_[i] = static_cast<uint16_t>(places[i]);
  }

  // The parts of speech of every word's meaning lines, and whether a plural means what its
  // singular means, for which the senses of the two are compared.
  void readMeanings() {
    const std::vector<std::pair<uint32_t, uint32_t>> plurals = pluralsAndSingulars();
    keepsSenses_.assign(index_.wordCount_, false);
    for (const auto& [plural, singular] : plurals)
      keepsSenses_[plural] = keepsSenses_[singular] = true;
    lineKinds_.assign(index_.wordCount_, 0);
    adjectiveFirst_.assign(index_.wordCount_, false);
    forEachRow(db_, "select f_wl_uWordID, wmc_tData from Words_Meaning_Ch order by wmc_uMeaingID",
               [this](sqlite3_stmt* row) { readMeaningLine(row); });
    for (size_t i = 0; i < index_.wordCount_; ++i) {
      if (lineKinds_[i] & kAdjectiveLine) index_.traits_[i] |= kAdjective;
      if (adjectiveFirst_[i] && !(lineKinds_[i] & kAdverbLine))
        index_.traits_[i] |= kPlainAdjective;
    }
    for (const auto& [plural, singular] : plurals)
      if (sharesASense(senses_[plural], senses_[singular])) index_.traits_[plural] |= kMeansItsBase;
  }

 private:
  enum LineKind : uint8_t { kAdjectiveLine = 1, kAdverbLine = 2, kOtherLine = 4 };

  void readMeaningLine(sqlite3_stmt* row) {
    const int64_t id = sqlite3_column_int64(row, 0);
    const uint32_t number = numberOf(id);
    if (number == kAbsent) return;
    const std::string text = WordText::rekey(stored_.assign(textOf(row, 1)), id);
    const std::string_view partOfSpeech = MeaningLine::partOfSpeechOf(text);
    if (lineKinds_[number] == 0) {
      if (partOfSpeech == "v.") index_.traits_[number] |= kFirstAVerb;
      if (partOfSpeech == "n.") index_.traits_[number] |= kFirstANoun;
      adjectiveFirst_[number] = partOfSpeech == "adj.";
    }
    if (partOfSpeech == "n.") index_.traits_[number] |= kNoun;
    if (partOfSpeech == "v.") index_.traits_[number] |= kVerb;
    lineKinds_[number] |= partOfSpeech == "adj."   ? kAdjectiveLine
                          : partOfSpeech == "adv." ? kAdverbLine
                                                   : kOtherLine;
    if (keepsSenses_[number]) {
      std::vector<std::string>& kept = senses_[number];
      for (std::string& sense : MeaningLine::parse(text).senses) kept.push_back(std::move(sense));
    }
  }

  uint32_t numberOf(int64_t id) const {
    const auto found = numberOfId_.find(id);
    return found != numberOfId_.end() ? found->second : kAbsent;
  }

  // Each headword that is another's plural, by the record or else by the rules, with that word.
  std::vector<std::pair<uint32_t, uint32_t>> pluralsAndSingulars() const {
    std::vector<std::pair<uint32_t, uint32_t>> plurals;
    for (uint32_t number = 0; number < index_.wordCount_; ++number) {
      const std::string_view word = index_.table_.at(number);
      uint32_t base = kAbsent;
      if (const FormRecord::Form form = index_.formOfNumber_[number]; form.marker == '#') {
        base = form.base;
      } else if (form.base == kAbsent && word.size() >= 4) {
        auto singular = [this, &base](std::string_view candidate) {
          base = candidate.empty() ? kAbsent : index_.findExact(candidate);
          return base != kAbsent;
        };
        inflection::plural(word, singular);
      }
      if (base != kAbsent && base != number) plurals.emplace_back(number, base);
    }
    return plurals;
  }

  HeadwordIndex& index_;
  sqlite3* const db_;
  std::unordered_map<int64_t, uint32_t> numberOfId_;
  std::string stored_;  // the stored text of the row being read
  // What the meaning lines read so far say of each word.
  std::vector<uint8_t> lineKinds_;  // LineKind bits; 0 before the word's first line
  std::vector<bool> adjectiveFirst_;
  std::vector<bool> keepsSenses_;  // of the plurals and their singulars
  std::unordered_map<uint32_t, std::vector<std::string>> senses_;
};

std::unique_ptr<HeadwordIndex> HeadwordIndex::load(CallDB& db, size_t wordCount) {
  std::unique_ptr<HeadwordIndex> index(new HeadwordIndex());
  plat::LockGuard lock(db.sqlMgr().connection());
  sqlite3* const handle = db.sqlMgr().database();
  if (!handle) throw std::runtime_error("the store is not open");
  Loader loader(*index, handle);
  // Each table is read once from end to end: the pages it leaves in the connection's cache are
  // let go before the next, so that the cache never holds several tables at once.
  loader.readWords(wordCount);
  sqlite3_db_release_memory(handle);
  loader.addLowerCaseKeys();
  loader.readForms();
  sqlite3_db_release_memory(handle);
  loader.readBooks();
  sqlite3_db_release_memory(handle);
  loader.readMeanings();
  sqlite3_db_release_memory(handle);
  return index;
}
