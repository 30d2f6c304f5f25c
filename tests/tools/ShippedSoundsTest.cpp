// The sounds and example sentences of the shipped learn.db, as a learner reads them on a card.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <map>
#include <utility>

#include "store/CallDB.h"
#include "store/WordText.h"
#include "tests/tools/ShippedStore.h"
#include "tools/library/BritishPhonetics.h"
#include "tools/library/ExampleSentences.h"

namespace toolstest {
namespace {

using plat::Value;

class ShippedSoundsTest : public ShippedStoreTest {
 protected:
  // American and British phonetics of a word.
  std::pair<std::string, std::string> sounds(const std::string& word) {
    const Value rows = CallDB::callDB()->sql_select(
        "select wl_tPhonetics_USA, wl_tPhonetics_UK from Words_Library where wl_tWord = ?", "ss",
        "s", Value::array({word}));
    if (rows.size() == 0) return {};
    return {rows.at(0).at(0).asString(), rows.at(0).at(1).asString()};
  }

  // Every example of the library as [word, meaning text, sentence].
  std::vector<std::array<std::string, 3>> examples() {
    const Value rows = CallDB::callDB()->sql_select(
        "select wl.wl_tWord, wl.wl_uWordID, wmc.wmc_tData, we.we_tSentence from Words_Example as "
        "we, Words_Meaning_Ch as wmc, Words_Library as wl where we.f_wmc_uMeaingID = "
        "wmc.wmc_uMeaingID and wmc.f_wl_uWordID = wl.wl_uWordID",
        "sNss", "", Value());
    std::vector<std::array<std::string, 3>> out;
    for (size_t i = 0; i < rows.size(); ++i) {
      const int id = static_cast<int>(rows.at(i).at(1).asInt());
      out.push_back({rows.at(i).at(0).asString(), WordText::rekey(rows.at(i).at(2).asString(), id),
                     WordText::rekey(rows.at(i).at(3).asString(), id)});
    }
    return out;
  }
};

TEST_F(ShippedSoundsTest, CommonWordsSoundAsLearnersDictionariesWriteThem) {
  const std::map<std::string, std::pair<std::string, std::string>> expected = {
      {"around", {"əˈraʊnd", "əˈraʊnd"}},
      {"outside", {"ˌaʊtˈsaɪd", "ˌaʊtˈsaɪd"}},
      {"weekend", {"ˈwikˌɛnd", "ˈwiːkend"}},
      {"bedroom", {"ˈbɛdˌrum", "ˈbedrʊm"}},
      {"read", {"rid", "riːd"}},
      {"this", {"ðɪs", "ðɪs"}},
      {"shut", {"ʃʌt", "ʃʌt"}},
      {"thanks", {"θæŋks", "θæŋks"}},
      {"north", {"nɔrθ", "nɔːθ"}},
      {"correct", {"kəˈrɛkt", "kəˈrekt"}},
      // Reviewed where the open data say it wrongly.
      {"pugnacious", {"pəɡˈneɪʃəs", "pʌɡˈneɪʃəs"}},
      {"previously", {"ˈpriviəsli", "ˈpriːviəsli"}},
      {"locate", {"ˈloʊkeɪt", "ləʊˈkeɪt"}},
      {"paycheck", {"ˈpeɪˌtʃɛk", "ˈpeɪtʃek"}},
      {"steroid", {"ˈstɛˌrɔɪd", "ˈsterɔɪd"}},
      {"accountability", {"əˌkaʊntəˈbɪlɪti", "əˌkaʊntəˈbɪlɪti"}},
      {"valet", {"væˈleɪ", "ˈvæleɪ"}},
      {"steward", {"ˈstuərd", "ˈstjuːəd"}},
      {"satisfy", {"ˈsætəsˌfaɪ", "ˈsætɪsfaɪ"}},
      {"here", {"hɪr", "hɪə"}},
      {"circulation", {"ˌsɝkjəˈleɪʃən", "ˌsɜːkjʊˈleɪʃən"}},
      {"yourself", {"jərˈsɛlf", "jɔːˈself"}},
      // An abbreviation sounds as the word it is read as, not as another word it stands for.
      {"Dr", {"ˈdɑktər", "ˈdɒktə"}},
      {"vs", {"ˈvɝsəs", "ˈvɜːsəs"}},
      {"atmosphere", {"ˈætməˌsfɪr", "ˈætməsfɪə"}},
      // British says the vowel of "bath" where the English-Chinese dictionary types the American.
      {"pass", {"pæs", "pɑːs"}},
      {"example", {"ɪɡˈzæmpəl", "ɪɡˈzɑːmpl"}},
      {"grass", {"ɡræs", "ɡrɑːs"}},
      {"craft", {"kræft", "krɑːft"}},
      {"spacecraft", {"ˈspeɪskræft", "ˈspeɪskrɑːft"}}};
  for (const auto& [word, phonetics] : expected) EXPECT_EQ(sounds(word), phonetics) << word;
  // An s before f begins a syllable only in the sph of sphere.
  const std::map<std::string, std::string> american = {{"satisfy", "ˈsætəsˌfaɪ"},
                                                       {"transfer", "trænsˈfɝ"},
                                                       {"misfortune", "mɪsˈfɔrtʃən"},
                                                       {"atmosphere", "ˈætməˌsfɪr"},
                                                       {"hemisphere", "ˈhɛmɪˌsfɪr"}};
  for (const auto& [word, ipa] : american) EXPECT_EQ(sounds(word).first, ipa) << word;
  // "close" as the verb its first meaning is, or as the adjective: the sounds of that one.
  const std::string close = firstMeaning("close");
  EXPECT_EQ(sounds("close").first, close.rfind("v.", 0) == 0 ? "kloʊz" : "kloʊs") << close;
  const std::string live = firstMeaning("live");
  EXPECT_EQ(sounds("live").first, live.rfind("v.", 0) == 0 ? "lɪv" : "laɪv") << live;
}

// The British vowels a learner hears, read against an independent British reading.
TEST_F(ShippedSoundsTest, BritishVowelsAreThoseOfLearnersDictionaries) {
  const std::map<std::string, std::string> british = {
      // An unstressed -ative is weak; a stressed one keeps the vowel of "day".
      {"decorative", "ˈdekərətɪv"},
      {"speculative", "ˈspekjʊlətɪv"},
      {"collaborative", "kəˈlæbərətɪv"},
      {"native", "ˈneɪtɪv"},
      {"creative", "kriːˈeɪtɪv"},
      // The vowel of "cloth" where the dictionary types that of "law"; the -al- words keep it.
      {"because", "bɪˈkɒz"},
      {"often", "ˈɒfn"},
      {"orange", "ˈɒrɪndʒ"},
      {"tomorrow", "təˈmɒrəʊ"},
      {"salt", "sɔːlt"},
      {"fault", "fɔːlt"},
      // Weak vowels where the dictionary types full ones.
      {"incense", "ˈɪnsens"},
      {"certificate", "səˈtɪfɪkət"},
      {"again", "əˈɡen"},
      {"domestic", "dəˈmestɪk"},
      {"pronunciation", "prəˌnʌnsiˈeɪʃən"},
      // Full vowels of British English where the dictionary types another.
      {"your", "jɔː"},
      {"either", "ˈaɪðə"},
      {"process", "ˈprəʊses"},
      {"leisure", "ˈleʒə"},
      {"rich", "rɪtʃ"},
      {"vitamin", "ˈvɪtəmɪn"},
      {"skier", "ˈskiːə"},
      {"parent", "ˈpeərənt"},
      {"clerk", "klɑːk"},
      {"laboratory", "ləˈbɒrətri"},
      {"vase", "vɑːz"},
      {"fuel", "ˈfjuːəl"},
      {"foodstuff", "ˈfuːdstʌf"},
      {"security", "sɪˈkjʊərɪti"},
      {"insurance", "ɪnˈʃʊərəns"},
      {"volume", "ˈvɒljuːm"},
      {"juicy", "ˈdʒuːsi"},
      {"address", "əˈdres"},
      {"hedonism", "ˈhiːdənɪzəm"},
      {"electromagnetic", "ɪˌlektrəʊmæɡˈnetɪk"},
      {"rather", "ˈrɑːðə"},
      {"pianist", "ˈpiːənɪst"},
      // The vowel of "hurry" before r, not that of "her"; furry keeps its fur.
      {"borough", "ˈbʌrə"},
      {"hurricane", "ˈhʌrɪkən"},
      {"furry", "ˈfɜːri"}};
  for (const auto& [word, ipa] : british) EXPECT_EQ(sounds(word).second, ipa) << word;
  // A card that opens with the noun or the adjective sounds as that one in both accents.
  using Sounds = std::pair<std::string, std::string>;
  EXPECT_EQ(sounds("defect"), Sounds("ˈdiˌfɛkt", "ˈdiːfekt"));
  EXPECT_EQ(sounds("Polish"), Sounds("ˈpoʊlɪʃ", "ˈpəʊlɪʃ"));
  EXPECT_EQ(sounds("complex").second, "ˈkɒmpleks");
  // No British sound left with an unstressed -ative of the verb.
  const Value rows = CallDB::callDB()->sql_select(
      "select wl_tWord, wl_tPhonetics_UK from Words_Library where wl_tPhonetics_UK like "
      "'%eɪtɪv%'", "ss", "", Value());
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string ipa = rows.at(i).at(1).asString();
    const std::string before = ipa.substr(0, ipa.find("eɪtɪv"));
    // A stress mark stands between that vowel and the one before it.
    size_t mark = before.rfind("ˈ");
    if (mark == std::string::npos || (before.rfind("ˌ") != std::string::npos &&
                                      before.rfind("ˌ") > mark))
      mark = before.rfind("ˌ");
    bool vowelBetween = mark == std::string::npos;
    for (const char* vowel : {"a", "e", "i", "o", "u", "ɪ", "ʊ", "ə", "æ", "ʌ", "ɒ", "ɔ", "ɑ", "ɜ"})
      vowelBetween = vowelBetween || before.find(vowel, mark) != std::string::npos;
    EXPECT_FALSE(vowelBetween)
        << rows.at(i).at(0).asString() << " " << ipa;
  }
}

TEST(BritishNotationTest, AnUnstressedAtiveIsWeak) {
  EXPECT_EQ(tools::britishToIpa("'dekәreitiv"), "ˈdekərətɪv");
  EXPECT_EQ(tools::britishToIpa("'spekjuleitiv"), "ˈspekjʊlətɪv");
  EXPECT_EQ(tools::britishToIpa("in'vestigeitiv"), "ɪnˈvestɪɡətɪv");
  EXPECT_EQ(tools::britishToIpa("'neitiv"), "ˈneɪtɪv");
  EXPECT_EQ(tools::britishToIpa("kri:'eitiv"), "kriːˈeɪtɪv");
}

TEST(BritishNotationTest, TheVowelOfCureBeforeRIsLongAfterAYod) {
  EXPECT_EQ(tools::britishToIpa("'fjuri"), "ˈfjʊəri");
  EXPECT_EQ(tools::britishToIpa("si'kjuriti"), "sɪˈkjʊərɪti");
  EXPECT_EQ(tools::britishToIpa("in'ʃurәns"), "ɪnˈʃʊərəns");
  EXPECT_EQ(tools::britishToIpa(".pjurifi'keiʃәn"), "ˌpjʊərɪfɪˈkeɪʃən");
  // Unstressed, or after another consonant, it stays short.
  EXPECT_EQ(tools::britishToIpa("dju'reiʃәn"), "djʊˈreɪʃən");
  EXPECT_EQ(tools::britishToIpa("'guru:"), "ˈɡʊruː");
  EXPECT_EQ(tools::britishToIpa("'pjuәri"), "ˈpjʊəri");
}

TEST_F(ShippedSoundsTest, EachAccentIsMadeFromTheOtherWhereTheyMapOneToOne) {
  // Common words whose British the dictionary lacks or gives for another sense, or gives in a
  // notation that maps to more than one British vowel.
  for (const char* word : {"record", "present", "project", "restaurant", "necessarily",
                           "extraordinary", "stereotype", "scenario", "laptop", "buried"})
    EXPECT_FALSE(sounds(word).second.empty()) << word << " " << sounds(word).first;
  // "a record" keeps the full vowel of its British other sense; the verb project is weak.
  if (sounds("record").first == "ˈrɛkərd") {
    EXPECT_EQ(sounds("record").second, "ˈrekɔːd");
  }
  if (sounds("project").first == "prəˈdʒɛkt") {
    EXPECT_EQ(sounds("project").second, "prəˈdʒekt");
  }
  // Exam words the pronouncing dictionary lacks, American made from the British.
  const std::map<std::string, std::string> made = {
      {"fretwork", "ˈfrɛtwərk"}, {"dishearten", "dɪsˈhɑrtn"}, {"toady", "ˈtoʊdi"}};
  for (const auto& [word, american] : made) EXPECT_EQ(sounds(word).first, american) << word;
}

// The figures a learner notices: words of the frequency books with a British sound, words of
// the exam books with an American one (the card shows nothing without it), and frequency-book
// words with an example.
TEST_F(ShippedSoundsTest, FewBookWordsLackASoundOrAnExample) {
  auto share = [&](const std::string& books, const std::string& condition) {
    const std::string from = " from Words_Library as wl where wl.wl_uWordID in (select f_wl_uId "
                             "from book_words where " + books + ")";
    const double all = static_cast<double>(number("select count(*)" + from));
    return number("select count(*)" + from + " and " + condition) / all;
  };
  const std::string frequency = "f_b_uId between 101 and 306";
  const std::string exams = "(f_b_uId between 501 and 799 or f_b_uId >= 901)";
  EXPECT_GE(share(frequency, "wl.wl_tPhonetics_UK != ''"), 0.99);
  EXPECT_GE(share(exams, "wl.wl_tPhonetics_USA != ''"), 0.98);
  EXPECT_GE(share(frequency, "wl.wl_uWordID in (select f_wl_uWordID from Words_Meaning_Ch where "
                             "wmc_uMeaingID in (select f_wmc_uMeaingID from Words_Example))"),
            0.51);
}

TEST_F(ShippedSoundsTest, EveryAmericanEntryHasOnePrimaryStressAndNoBreakAfterR) {
  const Value rows = CallDB::callDB()->sql_select(
      "select wl_tWord, wl_tPhonetics_USA from Words_Library", "ss", "", Value());
  ASSERT_GT(rows.size(), 8000u);
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string word = rows.at(i).at(0).asString();
    const std::string ipa = rows.at(i).at(1).asString();
    size_t primaries = 0;
    for (size_t at = ipa.find("ˈ"); at != std::string::npos; at = ipa.find("ˈ", at + 1))
      ++primaries;
    EXPECT_LE(primaries, 1u) << word << " " << ipa;
    // ... unless a compound's first part ends in r: "for|ever" fərˈɛvər.
    if (word.rfind("for", 0) == 0 || word.rfind("there", 0) == 0 || word.rfind("over", 0) == 0 ||
        word.rfind("inter", 0) == 0 || word.rfind("under", 0) == 0 || word.rfind("more", 0) == 0)
      continue;
    // "around" is əˈraʊnd: an r before a stressed vowel begins its syllable.
    for (const char* vowel : {"a", "æ", "ɛ", "ɪ", "i", "ɔ", "ɑ", "oʊ", "u", "ʊ", "ʌ", "eɪ"})
      EXPECT_EQ(ipa.find(std::string("rˈ") + vowel), std::string::npos)
          << word << " " << ipa;
  }
}

TEST_F(ShippedSoundsTest, ExamplesAreWholeFitSentencesUnderTheirOwnPartOfSpeech) {
  const auto all = examples();
  ASSERT_GT(all.size(), 5000u);
  for (const auto& [word, meaning, sentence] : all) {
    EXPECT_TRUE(tools::isFitForACard(sentence, {}, {word})) << word << ": " << sentence;
    EXPECT_TRUE(tools::hasNoGrammarSlip(sentence)) << word << ": " << sentence;
    EXPECT_TRUE(tools::hasNoElision(sentence)) << word << ": " << sentence;
    const std::vector<std::string> words = tools::wordsOf(sentence);
    // A capital, at least three words and an end: "Visual powers." never reaches a card.
    EXPECT_GE(words.size(), 3u) << word << ": " << sentence;
    const size_t first = sentence.find_first_not_of("\"'");
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(sentence[first]))) << sentence;
    EXPECT_NE(sentence.find_last_of(".!?"), std::string::npos) << sentence;
    for (const char* fragment : {"At the expense of.", "Visual powers.", "Lunar surface."})
      EXPECT_NE(sentence, fragment) << word;
    // Under a verb, the word is no noun after an article.
    if (meaning.rfind("v. ", 0) != 0) continue;
    for (size_t i = 1; i < words.size(); ++i) {
      EXPECT_FALSE((words[i - 1] == "the" || words[i - 1] == "a") && words[i] == word)
          << word << " (" << meaning << "): " << sentence;
    }
  }
}

}  // namespace
}  // namespace toolstest
