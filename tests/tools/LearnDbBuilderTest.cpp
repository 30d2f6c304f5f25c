#include "tools/LearnDbBuilder.h"

#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "store/SqlMgrController.h"
#include "store/WordText.h"
#include "tests/support/FixtureWords.h"
#include "tests/support/TempHome.h"
#include "tools/TsvFile.h"

namespace {

using plat::Value;

std::string sourcePath(const std::string& relative) {
  return std::string(VOCAB_SOURCE_DIR) + "/" + relative;
}

class Database {
 public:
  explicit Database(const std::string& path) : db_(SqlMgrController::openExisting(path)) {
    mgr_.setDatabase(db_);
  }
  ~Database() {
    mgr_.setDatabase(nullptr);
    SqlMgrController::close(db_);
  }
  Value rows(const std::string& sql, const std::string& letters) {
    return mgr_.selectOneChannel(sql, letters, "", Value());
  }
  int64_t count(const std::string& sql) { return rows(sql, "N").at(0).asInt(); }

 private:
  sqlite3* db_;
  SqlMgrController mgr_;
};

class LearnDbBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::makeTempDir("vocab-builder");
    testsupport::writeFixtureWords(words());
    testsupport::writeTextFile(folder_ + "/info.strings", "\"CFBundleVersion\" = \"3.5\";\n");
    sources_ = {sourcePath("resources/db/schema.sql"), words(),
                sourcePath("resources/db/feedback_define.tsv"),
                sourcePath("resources/db/var_config.tsv"), folder_ + "/info.strings"};
  }
  void TearDown() override { plat::files::remove(folder_); }

  std::string words() const { return folder_ + "/words"; }
  std::string output() const { return folder_ + "/learn.db"; }

  std::string buildError() {
    try {
      tools::buildLearnDb(sources_, output(), wordIds_);
    } catch (const tools::BuildError& e) {
      return e.what();
    }
    return "";
  }

  std::string folder_;
  tools::LearnDbSources sources_;
  std::string wordIds_;  // the record of word ids the build checks, none when empty
};

// The store's own tests read the words' texts back from this builder's output; here what they
// cannot see.
TEST_F(LearnDbBuilderTest, FillsTheLibraryBooksAndSettings) {
  testsupport::writeTextFile(words() + "/phrases.tsv", "book\tbook 📚 书\xff!\n");
  testsupport::writeTextFile(words() + "/book_words/801.txt", "apple\t3501\nbook\n");
  tools::LearnDbSummary summary = tools::buildLearnDb(sources_, output());
  EXPECT_EQ(summary.words, 6);
  EXPECT_EQ(summary.meanings, 7);
  EXPECT_EQ(summary.books, 5);
  // Characters that the scrambling cannot keep are left out and counted, never stored broken.
  EXPECT_EQ(summary.droppedCharacters, 2);
  Database db(output());
  std::string phrase = db.rows("select wp_tRelatedWords from Words_Phrases", "s").at(0).asString();
  EXPECT_NE(phrase, "book  书!");
  EXPECT_EQ(WordText::rekey(phrase, 2), "book  书!");

  // Books keep their order; comment lines are no entries. A frequency book's positions are the
  // ranks it gives, continued by one from there.
  EXPECT_EQ(db.rows("select f_wl_uId from book_words where f_b_uId = 102 order by bw_uId", "n"),
            Value::array({4, 5}));
  EXPECT_EQ(db.rows("select bw_uId from book_words where f_b_uId = 800 and f_wl_uId = 2", "n"),
            Value::array({2}));
  EXPECT_EQ(db.rows("select bw_uId from book_words where f_b_uId = 801 order by bw_uId", "n"),
            Value::array({3501, 3502}));

  // Grades in id order, settings in step with the server, the client version from the bundle.
  Value grades = db.rows("select fd_uFeedbackID, fd_dIdealValue from Feedback_Define", "nd");
  ASSERT_EQ(grades.size(), 5u);
  for (int id = 0; id < 5; ++id) EXPECT_EQ(grades.at(id).at(0), Value(id));
  EXPECT_EQ(db.rows("select vc_tValue from Var_Config where vc_tVarName = 'v_client'", "s"),
            Value::array({"3.5"}));
  EXPECT_EQ(db.count("select count(*) from Var_Config where vc_uNeedSync <> 1"), 0);
}

TEST_F(LearnDbBuilderTest, FaultsNameTheFileAndLineAndKeepThePreviousOutput) {
  // A source file (under the test's folder) and what it holds then; no content: it is removed.
  const struct {
    const char* file;
    const char* content;
    const char* expected;
  } cases[] = {
      {"words/book_words/101.txt", "apple\npear\n",
       "book_words/101.txt:2: unknown headword \"pear\""},
      {"words/examples.tsv", "run\t2\tRun!\t跑！\n", "examples.tsv:1: \"run\" has no meaning 2"},
      {"words/words.tsv", "1\tapple\ta\ta\n1\tpear\tp\tp\n", "words.tsv:2: word id 1 used twice"},
      {"words/synonyms.tsv", "happy\n", "synonyms.tsv:1: expected 2 fields, found 1"},
      {"words/phrases.tsv", nullptr, "phrases.tsv: cannot be read"},
      {"words/words.tsv", "# none\n", "words.tsv: holds no word"},
      {"words/book_words/801.txt", "apple\t9\nbook\t9\n",
       "801.txt:2: positions must grow from line to line"},
      {"words/books.tsv", "101\t初中\t9\n", "books.tsv:1: unknown class 9"},
      {"grades.tsv", "0\t0\t无\n2\t0.9\t认识\n",
       "grades.tsv:2: grades must be listed as 0, 1, 2 ... in order"},
      {"info.strings", "\"CFBundleVersion\" = \"3.0\";", "CFBundleVersion must be 3.1 or later"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    TearDown();
    SetUp();
    tools::buildLearnDb(sources_, output());
    auto previous = plat::files::readFile(output());
    const std::string file = folder_ + "/" + c.file;
    if (c.content)
      testsupport::writeTextFile(file, c.content);
    else
      plat::files::remove(file);
    if (std::string(c.file) == "grades.tsv") sources_.grades = file;
    std::string error = buildError();
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_TRUE(plat::files::readFile(output()) == previous);
    EXPECT_FALSE(plat::files::exists(output() + ".part"));
  }
}

// Study data, dumps and backups name words by id: a library whose ids differ from the record
// never becomes a database, and the error names every word that moved.
TEST_F(LearnDbBuilderTest, AWordUnderAnotherIdThanRecordedStopsTheBuild) {
  wordIds_ = folder_ + "/word_ids.tsv";
  testsupport::writeTextFile(wordIds_, "1\tapple\n2\tbook\n3\tcafe\n4\tpear\n");
  // Recorded words under their ids, a new word above the highest: the build goes through.
  testsupport::writeTextFile(words() + "/words.tsv",
                             "1\tapple\ta\ta\n2\tbook\tb\tb\n3\tcafe\tc\tc\n5\trun\tr\tr\n"
                             "6\thappy\th\th\n7\tgood\tg\tg\n");
  EXPECT_EQ(buildError(), "");
  auto built = plat::files::readFile(output());

  // Two recorded words swapped, and a new word under the id kept for the dropped "pear".
  testsupport::writeTextFile(words() + "/words.tsv",
                             "2\tapple\ta\ta\n1\tbook\tb\tb\n3\tcafe\tc\tc\n4\trun\tr\tr\n"
                             "6\thappy\th\th\n7\tgood\tg\tg\n");
  const std::string error = buildError();
  EXPECT_NE(error.find("word ids differ from " + wordIds_ +
                       ": book (id 1, recorded 2), apple (id 2, recorded 1), run (id 4, reserved)"),
            std::string::npos)
      << error;
  EXPECT_TRUE(plat::files::readFile(output()) == built);

  testsupport::writeTextFile(wordIds_, "1\tapple\n1\tbook\n");
  EXPECT_NE(buildError().find("word_ids.tsv:2: id 1 listed twice"), std::string::npos);
}

}  // namespace
