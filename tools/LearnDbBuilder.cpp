#include "tools/LearnDbBuilder.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <unordered_map>

#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "store/CmpDiffVersion.h"
#include "store/SqlMgrController.h"
#include "store/WordText.h"
#include "tools/BasicPlaneText.h"
#include "tools/TsvFile.h"
#include "tools/WordIdRecord.h"

namespace tools {
namespace {

// A related-words file and the table and text column it fills.
struct TextTable {
  const char* file;
  const char* table;
  const char* column;
};

const TextTable kTextTables[] = {
    {"meanings_en.tsv", "Words_Meaning_En", "wme_tData"},
    {"transforms.tsv", "Words_Transform", "wt_tRelatedWords"},
    {"synonyms.tsv", "Words_Synonym", "ws_tRelatedWords"},
    {"antonyms.tsv", "Words_Antonym", "wa_tRelatedWords"},
    {"paronyms.tsv", "Words_Paronym", "wa_tRelatedWords"},
    {"similar.tsv", "Words_Similar", "ws_tRelatedWords"},
    {"phrases.tsv", "Words_Phrases", "wp_tRelatedWords"},
};

class Builder {
 public:
  Builder(const LearnDbSources& sources, const std::string& wordIdRecord, SqlMgrController& db)
      : sources_(sources), wordIdRecord_(wordIdRecord), db_(db) {}

  LearnDbSummary run() {
    words();
    meanings();
    examples();
    for (const TextTable& table : kTextTables) texts(table);
    books();
    grades();
    settings();
    return summary_;
  }

 private:
  std::string wordsFile(const std::string& name) const {
    return plat::files::join(sources_.wordsFolder, name);
  }

  void insert(const std::string& sql, const std::string& letters, plat::Value values) {
    db_.insertOneChannel(sql, letters, values);
  }

  int wordId(const TsvFile& file, const TsvRecord& record) const {
    auto it = wordIds_.find(record.fields[0]);
    if (it == wordIds_.end())
      throw file.error(record, "unknown headword \"" + record.fields[0] + "\"");
    return it->second;
  }

  void words() {
    TsvFile file = TsvFile::read(wordsFile("words.tsv"), true);
    file.expectFields(4, 6);
    std::set<int> ids;
    for (const TsvRecord& r : file.records()) {
      int id = file.positiveInt(r, 0);
      const std::string& word = r.fields[1];
      if (word.empty()) throw file.error(r, "empty headword");
      if (!ids.insert(id).second) throw file.error(r, "word id " + r.fields[0] + " used twice");
      if (!wordIds_.emplace(word, id).second) throw file.error(r, "\"" + word + "\" listed twice");
      insert(
          "insert into Words_Library (wl_uWordID,wl_tWord,wl_tPhonetics_USA,wl_tPhonetics_UK) "
          "values (?,?,?,?)",
          "nsss", plat::Value::array({id, word, r.fields[2], r.fields[3]}));
      if (!r.fields[4].empty() && r.fields[4] != word)
        insert("insert into Words_Show_Name (f_wl_uWordID,wsn_sName) values (?,?)", "ns",
               plat::Value::array({id, r.fields[4]}));
      if (!r.fields[5].empty())
        insert("insert into Words_Editor (f_wl_uWordID,we_tNickName) values (?,?)", "ns",
               plat::Value::array({id, r.fields[5]}));
      ++summary_.words;
    }
    if (summary_.words == 0) throw BuildError(file.path() + ": holds no word");
    if (!wordIdRecord_.empty()) checkRecordedIds(file);
  }

  // A learner's study data, dumps and backups name words by id: a build that would move a word
  // to another id stops before the database exists.
  void checkRecordedIds(const TsvFile& file) const {
    std::vector<std::pair<int, std::string>> library;
    for (const auto& [word, id] : wordIds_) library.emplace_back(id, word);
    std::sort(library.begin(), library.end());
    std::vector<std::string> conflicts =
        wordIdConflicts(WordIdRecord::read(wordIdRecord_), library);
    if (conflicts.empty()) return;
    std::string names;
    for (size_t i = 0; i < conflicts.size() && i < 20; ++i) names += (i ? ", " : "") + conflicts[i];
    if (conflicts.size() > 20) names += " and " + std::to_string(conflicts.size() - 20) + " more";
    throw BuildError(file.path() + ": word ids differ from " + wordIdRecord_ + ": " + names);
  }

  void meanings() {
    TsvFile file = TsvFile::read(wordsFile("meanings_ch.tsv"), true);
    file.expectFields(3, 3);
    for (const TsvRecord& r : file.records()) {
      int id = wordId(file, r);
      int number = file.positiveInt(r, 1);
      int meaningId = ++summary_.meanings;
      if (!meaningIds_.emplace(std::make_pair(r.fields[0], number), meaningId).second)
        throw file.error(r, "meaning " + r.fields[1] + " of \"" + r.fields[0] + "\" listed twice");
      insert("insert into Words_Meaning_Ch (wmc_uMeaingID,f_wl_uWordID,wmc_tData) values (?,?,?)",
             "nns", plat::Value::array({meaningId, id, scrambled(file, r, r.fields[2], id)}));
    }
  }

  void examples() {
    TsvFile file = TsvFile::read(wordsFile("examples.tsv"), true);
    file.expectFields(4, 4);
    for (const TsvRecord& r : file.records()) {
      int id = wordId(file, r);
      auto meaning = meaningIds_.find({r.fields[0], file.positiveInt(r, 1)});
      if (meaning == meaningIds_.end())
        throw file.error(r, "\"" + r.fields[0] + "\" has no meaning " + r.fields[1]);
      insert(
          "insert into Words_Example (f_wmc_uMeaingID,we_tSentence,we_tTranslation) "
          "values (?,?,?)",
          "nss",
          plat::Value::array({meaning->second, scrambled(file, r, r.fields[2], id),
                              scrambled(file, r, r.fields[3], id)}));
      ++summary_.examples;
    }
  }

  void texts(const TextTable& table) {
    TsvFile file = TsvFile::read(wordsFile(table.file), true);
    file.expectFields(2, 2);
    std::set<std::pair<int, std::string>> seen;
    for (const TsvRecord& r : file.records()) {
      int id = wordId(file, r);
      if (r.fields[1].empty()) throw file.error(r, "empty text");
      if (!seen.emplace(id, r.fields[1]).second) throw file.error(r, "listed twice");
      insert(std::string("insert into ") + table.table + " (f_wl_uWordID," + table.column +
                 ") values (?,?)",
             "ns", plat::Value::array({id, scrambled(file, r, r.fields[1], id)}));
    }
  }

  void books() {
    TsvFile classes = TsvFile::read(wordsFile("book_class.tsv"), true);
    classes.expectFields(2, 2);
    std::set<int> classIds;
    for (const TsvRecord& r : classes.records()) {
      int id = classes.positiveInt(r, 0);
      if (!classIds.insert(id).second) throw classes.error(r, "class id used twice");
      insert("insert into book_class (bc_uId,bc_sName) values (?,?)", "ns",
             plat::Value::array({id, r.fields[1]}));
    }
    TsvFile books = TsvFile::read(wordsFile("books.tsv"), true);
    books.expectFields(3, 3);
    std::set<int> bookIds;
    for (const TsvRecord& r : books.records()) {
      int id = books.positiveInt(r, 0);
      int classId = books.positiveInt(r, 2);
      if (!bookIds.insert(id).second) throw books.error(r, "book id used twice");
      if (!classIds.count(classId)) throw books.error(r, "unknown class " + r.fields[2]);
      insert("insert into books (b_uId,b_sName,f_bc_uId) values (?,?,?)", "nsn",
             plat::Value::array({id, r.fields[1], classId}));
      bookWords(id);
      ++summary_.books;
    }
  }

  void bookWords(int bookId) {
    std::string path = wordsFile("book_words/" + std::to_string(bookId) + ".txt");
    TsvFile file = TsvFile::read(path, true);
    file.expectFields(1, 2);
    // Positions count 1, 2, 3 ... unless a line gives its own (the frequency books give a word's
    // rank), which must grow from line to line.
    int position = 0;
    for (const TsvRecord& r : file.records()) {
      int next = r.fields[1].empty() ? position + 1 : file.positiveInt(r, 1);
      if (next <= position) throw file.error(r, "positions must grow from line to line");
      position = next;
      insert("insert into book_words (bw_uId,f_b_uId,f_wl_uId) values (?,?,?)", "nnn",
             plat::Value::array({position, bookId, wordId(file, r)}));
      ++summary_.bookEntries;
    }
  }

  void grades() {
    TsvFile file = TsvFile::read(sources_.grades, true);
    file.expectFields(3, 3);
    int expected = 0;
    for (const TsvRecord& r : file.records()) {
      // The review screen finds a grade by its position in the list.
      if (r.fields[0] != std::to_string(expected))
        throw file.error(r, "grades must be listed as 0, 1, 2 ... in order");
      char* end = nullptr;
      double ideal = std::strtod(r.fields[1].c_str(), &end);
      if (r.fields[1].empty() || *end != '\0' || ideal < 0 || ideal > 1)
        throw file.error(r, "ideal value must be a number from 0 to 1");
      insert(
          "insert into Feedback_Define (fd_uFeedbackID,fd_dIdealValue,fd_tDescribe) "
          "values (?,?,?)",
          "nds", plat::Value::array({expected++, ideal, r.fields[2]}));
    }
  }

  void settings() {
    TsvFile file = TsvFile::read(sources_.settings, true);
    file.expectFields(2, 2);
    for (const TsvRecord& r : file.records()) setting(r.fields[0], r.fields[1]);

    std::optional<std::string> info = plat::files::readFile(sources_.infoStrings);
    if (!info) throw BuildError(sources_.infoStrings + ": cannot be read");
    std::string version = plat::parseStringsTable(*info)["CFBundleVersion"];
    // An older "v_client" would make every start upgrade the database again.
    if (CmpDiffVersion::versionValue(version) < 3.1f)
      throw BuildError(sources_.infoStrings + ": CFBundleVersion must be 3.1 or later");
    setting("v_client", version);
  }

  void setting(const std::string& key, const std::string& value) {
    insert("replace into Var_Config (vc_tVarName,vc_tValue,vc_uNeedSync) values (?,?,1)", "ss",
           plat::Value::array({key, value}));
  }

  std::string scrambled(const TsvFile& file, const TsvRecord& record, const std::string& field,
                        int wordId) {
    std::string text = basicPlaneText(unescapeText(field), summary_.droppedCharacters);
    if (!WordText::isScramblable(text)) throw file.error(record, "text cannot be stored");
    return WordText::scramble(text, wordId);
  }

  const LearnDbSources& sources_;
  const std::string& wordIdRecord_;  // "" when no record is checked
  SqlMgrController& db_;
  std::unordered_map<std::string, int> wordIds_;
  std::map<std::pair<std::string, int>, int> meaningIds_;
  LearnDbSummary summary_;
};

}  // namespace

LearnDbSummary buildLearnDb(const LearnDbSources& sources, const std::string& outputPath,
                            const std::string& wordIdRecord) {
  std::optional<std::string> schema = plat::files::readFile(sources.schema);
  if (!schema) throw BuildError(sources.schema + ": cannot be read");

  const std::string temp = outputPath + ".part";
  plat::files::remove(temp);
  sqlite3* db = nullptr;
  if (sqlite3_open(temp.c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    throw BuildError(temp + ": cannot be created");
  }
  LearnDbSummary summary;
  try {
    char* message = nullptr;
    if (sqlite3_exec(db, schema->c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : "unknown error";
      sqlite3_free(message);
      throw BuildError(sources.schema + ": " + text);
    }
    SqlMgrController mgr;
    mgr.setDatabase(db);
    mgr.beginTransaction();
    try {
      summary = Builder(sources, wordIdRecord, mgr).run();
      mgr.commitTransaction();
    } catch (...) {
      mgr.rollbackTransaction();
      throw;
    }
  } catch (...) {
    sqlite3_close(db);
    plat::files::remove(temp);
    throw;
  }
  sqlite3_close(db);
  if (std::rename(temp.c_str(), outputPath.c_str()) != 0) {
    plat::files::remove(temp);
    throw BuildError(outputPath + ": cannot be written");
  }
  return summary;
}

}  // namespace tools
