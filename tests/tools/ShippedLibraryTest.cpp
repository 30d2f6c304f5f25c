// The word library of the shipped learn.db, made at build time from the open word data.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "extract/ExtractWord.h"
#include "platform/base/Charset.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "store/WordText.h"
#include "tests/tools/ShippedStore.h"
#include "tools/TsvFile.h"
#include "tools/WordIdRecord.h"
#include "tools/library/BritishPhonetics.h"

namespace toolstest {
namespace {

using plat::Value;

class ShippedLibraryTest : public ShippedStoreTest {};

TEST_F(ShippedLibraryTest, HoldsEightThousandWordsWithMeaningsPhoneticsAndFrequencyBooks) {
  ASSERT_TRUE(CallDB::callDB()->isOpen());
  const int64_t words = number("select count(*) from Words_Library");
  EXPECT_GE(words, 8000);
  EXPECT_EQ(number("select count(*) from Words_Library where wl_uWordID not in (select "
                   "f_wl_uWordID from Words_Meaning_Ch)"),
            0);
  EXPECT_GE(number("select count(*) from Words_Library where wl_tPhonetics_USA <> ''") * 10,
            words * 9);
  EXPECT_GE(number("select count(distinct f_wl_uWordID) from Words_Meaning_En") * 10, words * 8);
  EXPECT_GE(number("select count(distinct f_wl_uWordID) from Words_Transform") * 100, words * 50);
  // WordNet quotes phrases as often as sentences; only whole sentences are examples.
  // Examples: four in ten of the frequency books' words (the exam lists' rarer words have fewer).
  EXPECT_GE(number("select count(distinct wmc.f_wl_uWordID) from Words_Example as we, "
                   "Words_Meaning_Ch as wmc where we.f_wmc_uMeaingID = wmc.wmc_uMeaingID and "
                   "wmc.f_wl_uWordID in (select f_wl_uId from book_words where f_b_uId in (800, "
                   "801))") *
                10,
            7000 * 4);
  for (const char* table :
       {"Words_Synonym", "Words_Antonym", "Words_Paronym", "Words_Similar", "Words_Phrases"})
    EXPECT_GT(number(std::string("select count(*) from ") + table), 500) << table;

  // Books 800 and 801 rank the 7000 most frequent words 1 to 7000 (the scheduling divides the
  // position by 7000); the band books hold the same words in the same order.
  EXPECT_EQ(number("select count(*) from book_words where f_b_uId = 800 and bw_uId between 1 "
                   "and 3500"),
            3500);
  EXPECT_EQ(number("select count(*) from book_words where f_b_uId = 801 and bw_uId between 3501 "
                   "and 7000"),
            3500);
  EXPECT_EQ(number("select count(distinct f_wl_uId) from book_words where f_b_uId in (800, 801)"),
            7000);
  EXPECT_EQ(number("select max(r.bw_uId) from book_words as b, book_words as r where b.f_b_uId = "
                   "101 and r.f_b_uId = 800 and r.f_wl_uId = b.f_wl_uId"),
            500);
  EXPECT_EQ(CallDB::callDB()->GetWordUsedCofe("you"), 1 / 7000.0);
  // A word's row in book 801 in book order counts from the book's first word.
  const Value second = CallDB::callDB()->sql_select(
      "select wl.wl_tWord from book_words as bw, Words_Library as wl where bw.f_wl_uId = "
      "wl.wl_uWordID and bw.f_b_uId = 801 and bw.bw_uId = 3502",
      "s", "", Value());
  EXPECT_EQ(CallDB::callDB()->getwordPos_sortBook(second.at(0).asString(), 801, 1), 1);
  EXPECT_EQ(CallDB::callDB()->sql_select("select bc_sName from book_class order by bc_uId", "s", "",
                                         Value()),
            Value::array({"基础词汇", "核心词汇", "进阶词汇", "常用词频", "中考词汇", "高考词汇",
                          "四级词汇", "六级词汇", "考研词汇", "托福词汇", "雅思词汇", "GRE词汇"}));
  EXPECT_EQ(number("select count(*) from book_words where f_b_uId in (select b_uId from books "
                   "where f_bc_uId in (1, 2, 3))"),
            8000);
  // The first settings: no outside server address is shipped.
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("url").rfind("http://127.0.0.1", 0), 0u);
  EXPECT_FALSE(CallDB::callDB()->getPersonalValue("v_lexicon").empty());
}

TEST_F(ShippedLibraryTest, SynonymsLeaveOutSensesOfSwearingButNotPlainSensesWithOneCrudeWord) {
  auto synonyms = [](const std::string& word) {
    return firstRow("Words_Synonym", "ws_tRelatedWords", word);
  };
  const std::string slit = synonyms("slit");
  EXPECT_NE(slit.find("incision"), std::string::npos) << slit;
  EXPECT_EQ(slit.find("snatch"), std::string::npos) << slit;
  EXPECT_EQ(slit.find("puss"), std::string::npos) << slit;
  // toil's sense holds one crude word among nine plain ones.
  EXPECT_NE(synonyms("toil").find("drudge"), std::string::npos) << synonyms("toil");
  // Synonyms come from the senses the card shows: none of flaming's curse, nor of screw's
  // making love, which the English meaning leaves out too; the plain sense a swear word lends
  // its letters to stays ("work hard", which toil shares with the verb "fag").
  auto english = [](const std::string& word) {
    return firstRow("Words_Meaning_En", "wme_tData", word);
  };
  const std::map<std::string, std::vector<std::string>> leftOut = {
      {"flaming", {"bally", "bloody", "blinking"}},
      {"screw", {"make love", "sleep with", "roll in the hay"}},
      {"scram", {"fuck off", "bugger off"}},
      {"breast", {"tit", "knocker"}},
      {"nipple", {"tit"}},
      {"sunny", {"gay"}},
      {"slow", {"retard"}},
      {"rooster", {"cock"}},
      {"rope", {"roofy", "rophy", "mexican valium"}},
      {"mar", {"deflower"}}};
  for (const auto& [word, crude] : leftOut)
    for (const std::string& synonym : crude)
      EXPECT_EQ((", " + synonyms(word) + ", ").find(", " + synonym + ", "), std::string::npos)
          << word << ": " << synonyms(word);
  EXPECT_NE(synonyms("flaming").find("fiery"), std::string::npos) << synonyms("flaming");
  EXPECT_NE(english("flaming").find("very intense"), std::string::npos) << english("flaming");
  EXPECT_EQ(english("flaming").find("intensifier"), std::string::npos) << english("flaming");
  EXPECT_NE(english("toil").find("v. work hard"), std::string::npos) << english("toil");
  // Nor a dealer's name for a drug, nor the number that WordNet's set of three holds beside trio.
  EXPECT_EQ(english("rope").find("street name"), std::string::npos) << english("rope");
  EXPECT_EQ(english("trio").find("cardinal number"), std::string::npos) << english("trio");
  EXPECT_NE(english("three").find("cardinal number"), std::string::npos) << english("three");
  // Where WordNet leads with a sense a learner rarely meets, our own list puts the everyday one
  // first: fig the fruit, not the figure of a book; chopper the helicopter, not a bouncing ball.
  const std::map<std::string, std::string> first = {
      {"fig", "n. fleshy sweet pear-shaped"},
      {"chopper", "n. an aircraft without wings"},
      {"medic", "n. a medical practitioner"},
      {"midterm", "n. an examination"},
      {"turtle", "n. any of various aquatic and land reptiles"},
      {"dive", "n. a headlong plunge into water"},
      {"tuna", "n. any very large marine food and game fish"},
      {"macaroni", "n. pasta in the form of slender tubes"},
      {"rest", "n. freedom from activity"}};
  for (const auto& [word, start] : first)
    EXPECT_EQ(english(word).rfind(start, 0), 0u) << word << ": " << english(word);
  EXPECT_NE(synonyms("chopper").find("helicopter"), std::string::npos) << synonyms("chopper");
  // A sense it shares with a swear word whose definition no card holds stays out.
  EXPECT_EQ(english("hustler").find("prostitute"), std::string::npos) << english("hustler");
  EXPECT_EQ(english("jade").find("adulterer"), std::string::npos) << english("jade");
  // No card's synonyms teach a word kept off them, nor a single letter ("s" for second).
  std::set<std::string> keptOff;
  for (const char* list : {"unbanded_words.txt", "kept_off_synonyms.txt"}) {
    const tools::TsvFile file =
        tools::TsvFile::read(std::string(VOCAB_SOURCE_DIR) + "/resources/words/" + list, true);
    for (const tools::TsvRecord& r : file.records()) keptOff.insert(r.fields[0]);
  }
  ASSERT_TRUE(keptOff.count("tit") && keptOff.count("knocker"));
  const Value rows = CallDB::callDB()->sql_select(
      "select wl.wl_tWord, wl.wl_uWordID, ws.ws_tRelatedWords from Words_Synonym as ws, "
      "Words_Library as wl where ws.f_wl_uWordID = wl.wl_uWordID",
      "sNs", "", Value());
  ASSERT_GT(rows.size(), 5000u);
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string word = rows.at(i).at(0).asString();
    const std::string list =
        WordText::rekey(rows.at(i).at(2).asString(), static_cast<int>(rows.at(i).at(1).asInt()));
    for (size_t from = 0; from <= list.size();) {
      size_t end = list.find(", ", from);
      if (end == std::string::npos) end = list.size();
      const std::string synonym = list.substr(from, end - from);
      EXPECT_FALSE(keptOff.count(synonym)) << word << ": " << list;
      EXPECT_GT(synonym.size(), 1u) << word << ": " << list;
      from = end + 2;
    }
  }
}

// A phrase of sex or swearing stands on the card of that word alone, and no example stands for
// a sense no card would define, however plain its own words.
TEST_F(ShippedLibraryTest, PhrasesAndExamplesOfCrudeSensesStayOffPlainCards) {
  auto phrases = [](const std::string& word) {
    return firstRow("Words_Phrases", "wp_tRelatedWords", word);
  };
  EXPECT_EQ(phrases("have").find("have sex"), std::string::npos) << phrases("have");
  EXPECT_EQ(phrases("abuse").find("sexual"), std::string::npos) << phrases("abuse");
  EXPECT_EQ(phrases("oral").find("oral sex"), std::string::npos) << phrases("oral");
  EXPECT_NE(phrases("sex").find("sex drive"), std::string::npos) << phrases("sex");
  EXPECT_NE(phrases("gun").find("machine gun"), std::string::npos) << phrases("gun");
  // A phrase's Chinese is written in the characters of everyday writing (GB 2312): "dust storm"
  // stands without 塕埲.
  EXPECT_NE(phrases("dust").find("dust storm"), std::string::npos) << phrases("dust");
  EXPECT_EQ(phrases("dust").find("塕埲"), std::string::npos) << phrases("dust");
  const Value lists = CallDB::callDB()->sql_select(
      "select wl.wl_tWord, wl.wl_uWordID, wp.wp_tRelatedWords from Words_Phrases as wp, "
      "Words_Library as wl where wp.f_wl_uWordID = wl.wl_uWordID",
      "sNs", "", Value());
  ASSERT_GT(lists.size(), 1000u);
  for (size_t i = 0; i < lists.size(); ++i) {
    const std::string text = WordText::rekey(lists.at(i).at(2).asString(),
                                             static_cast<int>(lists.at(i).at(1).asInt()));
    std::string chinese;
    for (unsigned char c : text)
      if (c >= 0x80) chinese += static_cast<char>(c);
    EXPECT_TRUE(plat::charset::fromUtf8(chinese, "GB2312")) << lists.at(i).at(0).asString() << ": "
                                                            << text;
  }
  const Value rows = CallDB::callDB()->sql_select(
      "select we.we_tSentence, wl.wl_uWordID, wl.wl_tWord from Words_Example as we, "
      "Words_Meaning_Ch as wmc, Words_Library as wl where we.f_wmc_uMeaingID = "
      "wmc.wmc_uMeaingID and wmc.f_wl_uWordID = wl.wl_uWordID and wl.wl_tWord in ('score', "
      "'expose', 'riddle', 'extinction')",
      "sNs", "", Value());
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string sentence =
        WordText::rekey(rows.at(i).at(0).asString(), static_cast<int>(rows.at(i).at(1).asInt()));
    for (const char* unfit : {"Did you score last night?", "exposed himself", "infant was exposed",
                              "bullets riddled", "meteor cause"})
      EXPECT_EQ(sentence.find(unfit), std::string::npos) << rows.at(i).at(2).asString();
  }
}

// Study rows, dumps and backups name words by id. Every word of the library is recorded under
// its id (a build's new words are appended to the record before they ship), and a recorded word
// is left out only when excluded on purpose or when it is no single word.
TEST_F(ShippedLibraryTest, EveryWordKeepsTheIdItShippedWith) {
  const std::string words = std::string(VOCAB_SOURCE_DIR) + "/resources/words/";
  tools::WordIdRecord record = tools::WordIdRecord::read(words + "word_ids.tsv");
  ASSERT_GE(record.ids().size(), 9269u);
  EXPECT_EQ(record.idOf("apple"), 1);  // the first library's words among them
  EXPECT_EQ(record.idOf("interesting"), 69);
  const Value library = CallDB::callDB()->sql_select(
      "select wl_uWordID, wl_tWord from Words_Library", "ns", "", Value());
  std::set<std::string> shipped;
  for (size_t i = 0; i < library.size(); ++i) {
    const std::string word = library.at(i).at(1).asString();
    shipped.insert(word);
    EXPECT_EQ(record.idOf(word), library.at(i).at(0).asInt())
        << word << ": append the build's word-library/new_word_ids.tsv to word_ids.tsv";
  }
  std::set<std::string> excluded;
  for (const char* list : {"excluded_words.txt", "unfit_words.txt"}) {
    const tools::TsvFile file = tools::TsvFile::read(words + list, true);
    for (const tools::TsvRecord& r : file.records()) excluded.insert(r.fields[0]);
  }
  for (const auto& [word, id] : record.ids()) {
    if (shipped.count(word)) continue;
    EXPECT_TRUE(excluded.count(word) ||
                word.find_first_not_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos)
        << word << " (" << id << ") left the library";
  }
}

TEST_F(ShippedLibraryTest, HeadwordsAreWordsAndBritishPhoneticsAreIpa) {
  const Value rows = CallDB::callDB()->sql_select(
      "select wl_tWord, wl_tPhonetics_UK from Words_Library", "ss", "", Value());
  size_t british = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string word = rows.at(i).at(0).asString();
    const std::string phonetics = rows.at(i).at(1).asString();
    EXPECT_EQ(word.find_first_of("_ "), std::string::npos) << word;
    EXPECT_TRUE(tools::isBritishIpa(phonetics)) << word << " " << phonetics;
    british += !phonetics.empty();
  }
  EXPECT_GE(british * 100, rows.size() * 95);
}

// Words common in speech or in writing, some of them function words the open data give no part
// of speech, are headwords in the frequency books.
TEST_F(ShippedLibraryTest, CommonWordsOfSpeechAndWritingAreInTheBooks) {
  for (const char* word :
       {"else",     "ought",    "belong",   "unable",       "nor",     "per",
        "via",      "due",      "northern", "rural",        "urban",   "width",
        "accuracy", "output",   "usage",    "satisfaction", "absence", "sixth",
        "fridge",   "scissors", "jeans",    "whenever",     "evening", "interesting"})
    EXPECT_EQ(number(std::string("select count(*) from book_words as bw, Words_Library as wl "
                                 "where bw.f_wl_uId = wl.wl_uWordID and bw.f_b_uId in (800, 801) "
                                 "and wl.wl_tWord = '") +
                     word + "'"),
              1)
        << word;
}

TEST_F(ShippedLibraryTest, CommonWordsHaveTheirEverydayChineseMeaningFirst) {
  // Nouns, verbs, adjectives and function words, each one way the reverse lookup can go wrong.
  const std::map<std::string, std::string> expected = {
      {"water", "n. 水"},
      {"run", "v. 跑"},
      {"good", "adj. 好"},
      {"school", "n. 学校"},
      {"child", "n. 孩子"},
      {"love", "v. 爱"},
      {"happy", "adj. 快乐"},
      {"go", "v. 去"},
      {"be", "v. 是"},
      {"you", "pron. 你"},
      {"the", "art."},
      {"and", "conj. 和"},
      {"red", "adj. 红"},
      {"computer", "n. 电脑"},
      // Adverbs first where they are used most; no technical sense ahead of the everyday one.
      {"very", "adv."},
      {"still", "adv. 仍然"},
      {"then", "adv."},
      {"even", "adv. 甚至"},
      {"core", "n. 核心"},
      {"series", "n. 系列"},
      {"mode", "n. 方式"},
      {"poker", "n. 扑克"}};
  for (const auto& [word, start] : expected)
    EXPECT_EQ(firstMeaning(word).rfind(start, 0), 0u) << word << ": " << firstMeaning(word);
  // A word used in two parts of speech keeps a row for each.
  for (const char* word : {"own", "green"})
    EXPECT_GE(number(std::string("select count(*) from Words_Meaning_Ch where f_wl_uWordID = "
                                 "(select wl_uWordID from Words_Library where wl_tWord = '") +
                     word + "')"),
              2)
        << word;
}

// Words a learner meets as words of their own, which the frequency data count for another word
// ("goods" for good) or hardly count (words of computing), are headwords with their own meaning.
TEST_F(ShippedLibraryTest, PluralsAndParticiplesOfTheirOwnAndNewWordsAreHeadwords) {
  const std::map<std::string, std::string> expected = {
      {"goods", "n. 货物"},         {"media", "n. 媒体"},       {"glasses", "n. 眼镜"},
      {"shorts", "n. 短裤"},        {"statistics", "n. 统计"},  {"arms", "n. 武器"},
      {"blog", "n. 博客"},          {"browser", "n. 浏览器"},   {"template", "n. 模板"},
      {"sales", "n. 销售"},         {"according", "adj. 依照"}, {"including", "prep. 包"},
      {"embarrassed", "adj. 尴尬"}, {"swimming", "n. 游泳"},    {"app", "n. 应用程序"}};
  for (const auto& [word, start] : expected)
    EXPECT_EQ(firstMeaning(word).rfind(start, 0), 0u) << word << ": " << firstMeaning(word);
  // The commonest of them stand in the frequency books beside the word they were counted for.
  for (const char* word : {"goods", "media", "glasses", "according", "including", "good", "glass",
                           "arm", "short", "medium"})
    EXPECT_FALSE(booksOf(word).empty()) << word;
}

// The dictionary's first line and every noun line stay, whatever WordNet's tagged texts used;
// the everyday sense comes first, and a verb before a noun only where it is clearly the commoner.
TEST_F(ShippedLibraryTest, MeaningsKeepEveryNounAndPutTheEverydaySenseFirst) {
  const std::map<std::string, std::string> nouns = {
      {"telescope", "望远镜"}, {"pyramid", "金字塔"},   {"monitor", "监视器"}, {"tailor", "裁缝"},
      {"whistle", "口哨"},     {"underground", "地铁"}, {"screw", "螺钉"}};
  for (const auto& [word, noun] : nouns)
    EXPECT_NE(meanings(word).find(noun), std::string::npos) << word << ": " << meanings(word);
  const std::map<std::string, std::string> first = {
      {"present", "n. 礼物"},
      {"desert", "n. 沙漠"},
      {"bow", "v. 鞠躬"},
      {"tear", "n. 眼泪"},
      {"steal", "v. 偷"},
      {"train", "n. 火车"},
      {"nurse", "n. 护士"},
      {"kid", "n. 孩子"},
      {"telescope", "n. 望远镜"},
      {"observance", "n. 遵守"},
      {"scary", "adj. 可怕"},
      // Verbs, adjectives and adverbs that the tagged texts clearly favour stay first.
      {"run", "v. 跑"},
      {"thank", "v. "},
      {"close", "v. 关"},
      {"swim", "v. 游泳"},
      {"sick", "adj. "},
      {"still", "adv. 仍然"}};
  for (const auto& [word, start] : first)
    EXPECT_EQ(firstMeaning(word).rfind(start, 0), 0u) << word << ": " << firstMeaning(word);
  EXPECT_EQ(meanings("imagination").find("听觉"), std::string::npos) << meanings("imagination");
  EXPECT_EQ(meanings("gym").find('+'), std::string::npos) << meanings("gym");

  // The English meanings show neither a vulgar sense nor a name's for the common word.
  auto english = [](const std::string& word) {
    return firstRow("Words_Meaning_En", "wme_tData", word);
  };
  EXPECT_EQ(english("screw").find("sexual"), std::string::npos) << english("screw");
  EXPECT_NE(english("china").find("porcelain"), std::string::npos) << english("china");
  EXPECT_EQ(english("china").find("communist"), std::string::npos) << english("china");
}

// WordNet holds no function word: their English meanings and examples are our own, and the
// commonest words of the language must not show an empty card.
TEST_F(ShippedLibraryTest, EveryFunctionWordHasAnEnglishMeaningAndATranslatedExample) {
  const std::string words = std::string(VOCAB_SOURCE_DIR) + "/resources/words/";
  const tools::TsvFile function = tools::TsvFile::read(words + "function_words.tsv", true);
  std::set<std::string> headwords;
  for (const tools::TsvRecord& r : function.records()) headwords.insert(r.fields[0]);
  ASSERT_GE(headwords.size(), 139u);
  for (const std::string& word : headwords) {
    const std::string id = "(select wl_uWordID from Words_Library where wl_tWord = '" + word + "')";
    EXPECT_EQ(number("select count(*) from Words_Meaning_En where f_wl_uWordID = " + id), 1)
        << word;
    EXPECT_GE(number("select count(*) from Words_Example as we, Words_Meaning_Ch as wmc where "
                     "we.f_wmc_uMeaingID = wmc.wmc_uMeaingID and we.we_tTranslation <> '' and "
                     "wmc.f_wl_uWordID = " +
                     id),
              1)
        << word;
  }
  const Value about = CallDB::callDB()->sql_select(
      "select wme.wme_tData, wl.wl_uWordID from Words_Meaning_En as wme, Words_Library as wl "
      "where wme.f_wl_uWordID = wl.wl_uWordID and wl.wl_tWord = 'about'",
      "sN", "", Value());
  ASSERT_EQ(about.size(), 1u);
  EXPECT_EQ(
      WordText::rekey(about.at(0).at(0).asString(), static_cast<int>(about.at(0).at(1).asInt())),
      "prep. on the subject of; connected with");
  // A word of two parts of speech has its examples under each part's own meaning row.
  for (const char* word : {"that", "when", "no"})
    EXPECT_EQ(number(std::string("select count(distinct we.f_wmc_uMeaingID) from Words_Example "
                                 "as we, Words_Meaning_Ch as wmc, Words_Library as wl where "
                                 "we.f_wmc_uMeaingID = wmc.wmc_uMeaingID and wmc.f_wl_uWordID = "
                                 "wl.wl_uWordID and wl.wl_tWord = '") +
                     word + "'"),
              2)
        << word;
}

TEST_F(ShippedLibraryTest, ExtractionOfAnEnglishTextYieldsTheLibrarysBaseForms) {
  const std::string text =
      "When the children walked home from school, they stopped at the river and watched the "
      "boats on the water. The older boys were running along the bank while their sisters "
      "studied the flowers in the grass. Everyone agreed that it was the happiest day of the "
      "summer.";
  Value words = Value::array(), learned = Value::array(), none = Value::array();
  ExtractWord extract;
  extract.extractWord(text, words, learned, none);
  std::vector<std::string> found;
  for (size_t i = 0; i < words.size(); ++i) found.push_back(words.at(i).asString());
  for (const char* base : {"walk", "school", "stop", "river", "watch", "boat", "boy", "run", "bank",
                           "sister", "study", "flower", "agree", "day", "summer", "home"})
    EXPECT_NE(std::find(found.begin(), found.end(), base), found.end()) << base;
  // Inflected forms are no headwords of their own.
  for (const char* form : {"walked", "stopped", "watched", "boats", "running", "studied", "flowers",
                           "agreed", "sisters"})
    EXPECT_EQ(std::find(found.begin(), found.end(), form), found.end()) << form;
  EXPECT_EQ(none.size(), words.size());
}

}  // namespace
}  // namespace toolstest
