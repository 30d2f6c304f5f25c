// Word extraction on a library of chosen headwords.
#include <atomic>
#include <thread>

#include "extract/ExtractWord.h"
#include "platform/base/RunLoop.h"
#include "store/WordText.h"
#include "tests/store/StudyFixture.h"
#include "tests/support/Patience.h"

namespace {

using plat::Value;
using storetest::StudyTest;

// The extraction's three lists after one call.
struct Extracted {
  int added = 0;
  std::vector<std::string> words, learned, none;
};

class ExtractWordTest : public StudyTest {
 protected:
  void SetUp() override {
    StudyTest::SetUp();
    int id = 1000;
    db_->sqlMgr().beginTransaction();
    for (const char* word : {"walk", "stop",   "study", "use",    "make",  "box",   "end", "word",
                             "e.g.", "a",      "up",    "well",   "known", "like",  "tie", "walked",
                             "went", "go",     "goose", "us",     "writ",  "write", "ski", "sky",
                             "be",   "Monday", "TV",    "ground", "grind", "found", "find"})
      db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                      Value::array({id++, word}));
    // The card's record of forms, which extraction reads turned round.
    record("go", "@goes $went %gone ^going");
    record("walk", "@walks $walked %walked ^walking #walks");
    record("be", "@is $was $were %been ^being");
    record("grind", "@grinds $ground %ground ^grinding");
    record("find", "@finds $found %found ^finding");
    // The frequency book puts "ground" before "grind"; "found" is in none.
    for (const auto& [place, word] :
         {std::pair{5, "ground"}, std::pair{9, "grind"}, std::pair{7, "find"}})
      db_->sql_insert("insert into book_words (bw_uId, f_b_uId, f_wl_uId) values (?, 800, ?)", "nn",
                      Value::array({place, db_->getWordID(word)}));
    db_->sqlMgr().commitTransaction();
  }

  void record(const std::string& word, const std::string& forms) {
    const int id = db_->getWordID(word);
    db_->sql_insert("insert into Words_Transform (f_wl_uWordID, wt_tRelatedWords) values (?, ?)",
                    "ns", Value::array({id, WordText::scramble(forms, id)}));
  }

  static Extracted extract(const std::string& text) {
    Value words, learned, none;
    const int added = ExtractWord().extractWord(text, words, learned, none);
    return {added, strings(words), strings(learned), strings(none)};
  }
  // Extracts on a worker thread; returns the progress shown, checked to be on the main thread.
  // A report the main thread had no time for gives way to the next one.
  std::vector<float> runOnWorker(const std::string& text) {
    plat::RunLoop::setMainThread();
    std::vector<float> fractions;
    std::atomic<bool> done{false};
    bool offMain = false;
    ExtractWord extractor;
    extractor.setParent(this);
    extractor.setExtract_progressFun([&](const Value& fraction) {
      offMain = offMain || !plat::RunLoop::isMainThread();
      fractions.push_back(static_cast<float>(fraction.asDouble()));
    });
    std::thread worker([&] {
      Value words, learned, none;
      extractor.extractWord(text, words, learned, none);
      done = true;
    });
    EXPECT_TRUE(
        plat::RunLoop::main().runUntil([&] { return done.load(); }, testsupport::kPatience));
    worker.join();
    plat::RunLoop::main().runUntilIdle();  // the last report, handed over without waiting
    EXPECT_FALSE(offMain);
    return fractions;
  }
  // On the main thread every report runs at once, so each one shows.
  std::vector<float> runOnMain(const std::string& text) {
    plat::RunLoop::setMainThread();
    std::vector<float> fractions;
    ExtractWord extractor;
    extractor.setParent(this);
    extractor.setExtract_progressFun([&](const Value& fraction) {
      fractions.push_back(static_cast<float>(fraction.asDouble()));
    });
    Value words, learned, none;
    extractor.extractWord(text, words, learned, none);
    return fractions;
  }

  using Words = std::vector<std::string>;
};

TEST_F(ExtractWordTest, InflectedFormsReduceToOneHeadwordAndShortOrSeparatedTokensAreNotReduced) {
  EXPECT_EQ(extract("Stopped stopped STOPPED").words, Words{"stop"});

  const Extracted study = extract("apple studies study studied");
  EXPECT_EQ(study.words, (Words{"apple", "study"}));
  EXPECT_EQ(study.added, 2);

  EXPECT_EQ(extract("books boxes used stopped making running walking ties").words,
            (Words{"book", "box", "use", "stop", "make", "run", "walk", "tie"}));
  // "tying" has no "i" before its suffix, so no "tie"; irregular forms are found through the
  // record of forms, before a headword of the same spelling ("went"), or not at all ("geese").
  EXPECT_EQ(extract("stopping studying tying went geese goes").words,
            (Words{"stop", "study", "go"}));
  EXPECT_EQ(extract("Is it? They were, are and am.").words, (Words{"be"}));
  // A form the library holds as a word of its own stays that word when it is regular or
  // commoner than its base; a rarer irregular one goes to its base.
  EXPECT_EQ(extract("walked walking").words, (Words{"walked", "walk"}));
  EXPECT_EQ(extract("ground grinding found").words, (Words{"ground", "grind", "find"}));

  // "e" is put back before "ing" where the stem ends in one vowel and one consonant; "ies"
  // becomes "y" before "es" is dropped.
  EXPECT_EQ(extract("using writing skies").words, (Words{"use", "write", "sky"}));
  // Headwords stored with capitals are found from the lower-cased tokens.
  EXPECT_EQ(extract("on monday, MONDAY and Monday we watch tv").words, (Words{"Monday", "TV"}));

  // "don't" gives "don" and "t"; "e.g." keeps its dots; "end." loses its full stop; the Chinese
  // text and the digits end "words".
  const Extracted out = extract("I don't like well-known 中文words42, e.g. the end.");
  EXPECT_EQ(out.words, (Words{"like", "well", "known", "word", "e.g.", "end"}));
  EXPECT_EQ(out.none, out.words);
  EXPECT_TRUE(out.learned.empty());

  // Dots and underscores around a word are trimmed before the rules too.
  EXPECT_EQ(extract("walked.").words, Words{"walked"});
  EXPECT_EQ(extract("stopped. ...studies ___boxes__").words, (Words{"stop", "study", "box"}));
  EXPECT_EQ(extract(". _ ...").words, Words{});
  EXPECT_EQ(extract("“Book”——“RUN”！").words, (Words{"book", "run"}));

  // Short tokens are looked up but not reduced by the rules.
  EXPECT_EQ(extract("a b").words, Words{"a"});  // one letter: exact lookup only
  EXPECT_EQ(extract("ups").words, Words{});     // three letters: no "s" rule
  EXPECT_EQ(extract("up_ x_").words, Words{"up"});
  const Extracted nothing = extract("zzzz qqqed xxing");
  EXPECT_EQ(nothing.added, 0);
  EXPECT_TRUE(nothing.words.empty() && nothing.none.empty());
}

TEST_F(ExtractWordTest, TheStoreReducesEveryTokenAsTheExtractionDoes) {
  // Outside an extraction the rules ask the store; inside one, the library held in memory.
  ExtractWord extractor;
  for (const char* token :
       {"walk",       "walked",   "walking", "walks",  "stopped", "stopping", "studies", "studied",
        "studying",   "boxes",    "used",    "making", "ties",    "tying",    "went",    "goes",
        "geese",      "e.g.",     "end.",    "up_",    "ups",     "a",        "b",       "zzzz",
        "walked.",    "stopped.", "using",   "skies",  "was",     "are",      "monday",  "tv",
        "...studies", "writing",  "ground",  "found"}) {
    const Extracted extracted = extract(token);
    const std::string stored = extractor.GetWord(token);
    // A spelling of two words ("ground") gives both; the store names the first.
    EXPECT_EQ(extracted.words.empty() ? "" : extracted.words.front(), stored) << token;
  }
  EXPECT_EQ(extractor.IsGQS_GQFC("studied"), "study");
  EXPECT_EQ(extractor.IsFS_DSRC("studies"), "study");
  EXPECT_EQ(extractor.IsXZFC("running"), "run");
  EXPECT_EQ(extractor.IsXZFC("studied"), "");
}

TEST_F(ExtractWordTest, WordsInStudyFollowTheirStudyOrderAndListsAreAppendedTo) {
  plan("walk", now());
  plan("stop", now());
  plan("box", now());
  plan("use", now());
  setRecord("walk", daysFromNow(-1), daysFromNow(1), 2);  // tested, due first among the tested
  setRecord("stop", daysFromNow(-2), daysFromNow(5), 2);  // tested, due later
  setRecord("box", 0, daysFromNow(3), 0);                 // planned, never tested
  setRecord("use", 0, daysFromNow(2), 0);

  const Extracted out = extract("stops, a walk, study the box we use; end");
  EXPECT_EQ(out.words, (Words{"stop", "a", "walk", "study", "box", "use", "end"}));
  EXPECT_EQ(out.learned, (Words{"use", "box", "walk", "stop"}));
  EXPECT_EQ(out.none, (Words{"a", "study", "end"}));
  EXPECT_EQ(out.added, 7);

  // A long text reads the study state in one statement, with the same result.
  std::string text = "walking boxes end";
  for (int m = 0; m < 260; ++m)  // distinct tokens that are no headwords
    text += std::string(" q") + static_cast<char>('a' + m % 26) + static_cast<char>('a' + m / 26);
  const Extracted longer = extract(text);
  EXPECT_EQ(longer.words, (Words{"walk", "box", "end"}));
  EXPECT_EQ(longer.learned, (Words{"box", "walk"}));
  EXPECT_EQ(longer.none, Words{"end"});

  // The lists are appended to, never cleared.
  ExtractWord extractor;
  Value words = Value::array({"keep"}), learned = Value::array({"mine"}),
        none = Value::array({"too"});
  EXPECT_EQ(extractor.extractWord("walk end", words, learned, none), 2);
  EXPECT_EQ(strings(words), (Words{"keep", "walk", "end"}));
  EXPECT_EQ(strings(learned), (Words{"mine", "walk"}));
  EXPECT_EQ(strings(none), (Words{"too", "end"}));
  // A second call on the same object starts from empty maps again.
  EXPECT_EQ(extractor.extractWord("walk", words, learned, none), 1);
}

TEST_F(ExtractWordTest, ProgressRisesOncePerFiftyTokensOfEachPhaseToCompletion) {
  EXPECT_EQ(runOnMain(""), std::vector<float>{1.0f});
  EXPECT_EQ(runOnWorker(""), std::vector<float>{1.0f});

  // 120 distinct tokens that are no headwords: tokens 1, 51 and 101 of each of the two phases.
  std::string text;
  for (int m = 0; m < 120; ++m)
    text += {' ', static_cast<char>('a' + m % 26), static_cast<char>('a' + m / 26), 'a'};
  const std::vector<float> fractions = runOnMain(text);
  ASSERT_EQ(fractions.size(), 7u);
  for (size_t i = 1; i < fractions.size(); ++i) EXPECT_GT(fractions[i], fractions[i - 1]) << i;
  EXPECT_EQ(fractions.back(), 1.0f);
  // From a worker: some of the same reports, in order, and the last one always.
  const std::vector<float> shown = runOnWorker(text);
  ASSERT_FALSE(shown.empty());
  EXPECT_LE(shown.size(), 7u);
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]) << i;
  EXPECT_EQ(shown.back(), 1.0f);

  // Positions count UTF-16 units, as the text's length does: the emoji takes two. "abc" ends at
  // unit 7 of 9.
  const std::vector<float> wide = runOnMain("\xF0\x9F\x98\x80\xE4\xB8\xAD abc d");
  ASSERT_EQ(wide.size(), 3u);
  EXPECT_FLOAT_EQ(wide[0], 0.7f * (7.0f / 9.0f));

  // Without a parent to report to, nothing is reported.
  ExtractWord quiet;
  int calls = 0;
  quiet.setExtract_progressFun([&](const Value&) { ++calls; });
  Value words, learned, none;
  quiet.extractWord("walk walk walk", words, learned, none);
  EXPECT_EQ(calls, 0);
}

}  // namespace
