// A learner's database from the first, 355-word library, upgraded to the shipped library.
#include <gtest/gtest.h>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "store/SqlMgrController.h"
#include "tests/support/FixtureWords.h"
#include "tests/tools/ShippedStore.h"
#include "tools/LearnDbBuilder.h"
#include "tools/TsvFile.h"

namespace toolstest {
namespace {

using plat::Value;

std::string source(const std::string& relative) {
  return std::string(VOCAB_SOURCE_DIR) + "/" + relative;
}

// The study tables, each read whole in a fixed order.
const std::pair<const char*, const char*> kStudyTables[] = {
    {"select * from Study_List order by 1", "nNn"},
    {"select * from Study_Log order by 1", "nNNnnnnnnn"},
    {"select * from Study_Note order by 1", "nsn"}};

class LibraryUpgradeTest : public ShippedStoreTest {
 protected:
  // The old client's database: the first library's words under their ids, and study data of
  // every one of them, written by a client of version 3.0.
  void writeOldDatabase(const std::string& path) {
    const std::string folder = home_->path() + "/old";
    tools::TsvFile legacy = tools::TsvFile::read(source("resources/words/legacy_ids.tsv"), true);
    std::string words, meanings, book;
    for (const tools::TsvRecord& r : legacy.records()) {
      words += r.fields[0] + "\t" + r.fields[1] + "\t\t\n";
      meanings += r.fields[1] + "\t1\tn. 旧的释义\n";
      book += r.fields[1] + "\n";
      legacy_.push_back({std::stoi(r.fields[0]), r.fields[1]});
    }
    auto write = [&](const std::string& name, const std::string& text) {
      testsupport::writeTextFile(folder + "/" + name, text);
    };
    write("words.tsv", words);
    write("meanings_ch.tsv", meanings);
    for (const char* empty : {"examples.tsv", "meanings_en.tsv", "transforms.tsv", "synonyms.tsv",
                              "antonyms.tsv", "paronyms.tsv", "similar.tsv", "phrases.tsv"})
      write(empty, "");
    write("book_class.tsv", "1\t中学\n");
    write("books.tsv", "101\t初中核心词汇\t1\n");
    write("book_words/101.txt", book);
    write("info.strings", "\"CFBundleVersion\" = \"3.1\";\n");
    tools::buildLearnDb(
        {source("resources/db/schema.sql"), folder, source("resources/db/feedback_define.tsv"),
         source("resources/db/var_config.tsv"), folder + "/info.strings"},
        path);

    sqlite3* db = SqlMgrController::openExisting(path);
    SqlMgrController mgr;
    mgr.setDatabase(db);
    mgr.RecordExec("update Var_Config set vc_tValue = '3.0' where vc_tVarName = 'v_client'");
    mgr.RecordExec("update Var_Config set vc_tValue = '15' where vc_tVarName = 'StudyLimitCount'");
    for (const auto& [id, word] : legacy_) {
      const int64_t added = 700000000 + id * 3600;
      mgr.insertOneChannel("insert into Study_List values (?, ?, ?)", "nNn",
                           Value::array({id, added, id % 2}));
      mgr.insertOneChannel("insert into Study_Log values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           "nNNnnnnnnn",
                           Value::array({id, added + 86400, added + 86400 * (1 + id % 9), 2, id % 5,
                                         0, 1 + id % 3, id % 2, id % 4, 0}));
      if (id % 10 == 0)
        mgr.insertOneChannel("insert into Study_Note values (?, ?, 0)", "ns",
                             Value::array({id, "记住 " + word}));
    }
    for (const auto& [sql, letters] : kStudyTables)
      before_.push_back(mgr.selectOneChannel(sql, letters, "", Value()));
    mgr.setDatabase(nullptr);
    SqlMgrController::close(db);
  }

  std::vector<std::pair<int, std::string>> legacy_;
  std::vector<Value> before_;  // the study tables as the old client left them
};

TEST_F(LibraryUpgradeTest, KeepsEveryStudyRowOnTheSameWord) {
  const std::string path = plat::files::join(plat::AppHome::applicationSupportDir(), "learn.db");
  writeOldDatabase(path);
  ASSERT_EQ(before_.at(0).size(), legacy_.size());

  CallDB* db = CallDB::callDB();
  ASSERT_TRUE(db->isOpen());
  EXPECT_GE(number("select count(*) from Words_Library"), 8000);
  for (size_t i = 0; i < std::size(kStudyTables); ++i) {
    const auto& [sql, letters] = kStudyTables[i];
    EXPECT_EQ(db->sql_select(sql, letters, "", Value()), before_[i]) << sql;
  }
  for (const auto& [id, word] : legacy_) EXPECT_EQ(db->IsWordStudy(word).size(), 1u) << word;
  EXPECT_EQ(number("select count(*) from Study_List where sl_uWordID not in (select wl_uWordID "
                   "from Words_Library)"),
            0);
  EXPECT_EQ(db->getPersonalValue("StudyLimitCount"), "15");
  EXPECT_NE(db->getPersonalValue("v_client"), "3.0");
}

}  // namespace
}  // namespace toolstest
