// Where the shipped learn.db's phonetics put their stress marks, and whose British phonetics a
// capitalised headword shows, checked over every entry as a learner's dictionary writes them.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <utility>

#include "store/CallDB.h"
#include "tests/tools/ShippedStore.h"

namespace toolstest {
namespace {

using plat::Value;
using Sounds = std::pair<std::string, std::string>;  // American, British

class ShippedStressMarksTest : public ShippedStoreTest {
 protected:
  std::map<std::string, Sounds> allSounds() {
    const Value rows = CallDB::callDB()->sql_select(
        "select wl_tWord, wl_tPhonetics_USA, wl_tPhonetics_UK from Words_Library", "sss", "",
        Value());
    std::map<std::string, Sounds> out;
    for (size_t i = 0; i < rows.size(); ++i)
      out[rows.at(i).at(0).asString()] = {rows.at(i).at(1).asString(), rows.at(i).at(2).asString()};
    return out;
  }
};

// std::regex works on bytes: multi-byte IPA letters are written as alternatives.
const std::string kConsonants = "(?:[bdfhjklmnprstvwz]|ɡ|ʃ|ʒ|θ|ð|ŋ)*";

TEST_F(ShippedStressMarksTest, NoSecondaryStressOnAWeakSyllableRightBeforeThePrimary) {
  const auto sounds = allSounds();
  ASSERT_GT(sounds.size(), 8000u);
  // ˌ, consonants, ɪ not closed by r, consonants, ˈ: "ˌɪmˈpɔrtənt", "ˌdɪˈsaɪd", "ˌɪˈrɛɡjələr".
  const std::regex weakBeforePrimary("ˌ" + kConsonants + "ɪ(?!r)" + kConsonants + "ˈ");
  for (const auto& [word, s] : sounds)
    EXPECT_FALSE(std::regex_search(s.first, weakBeforePrimary)) << word << " " << s.first;
  const std::map<std::string, std::string> expected = {
      {"important", "ɪmˈpɔrtənt"},
      {"decide", "dɪˈsaɪd"},
      {"imagine", "ɪˈmædʒən"},
      {"irregular", "ɪˈrɛɡjələr"},
      {"itself", "ɪtˈsɛlf"},
      // A syllable between, a full vowel or an ɪ closed by r keeps the secondary stress.
      {"information", "ˌɪnfərˈmeɪʃən"},
      {"situation", "ˌsɪtʃuˈeɪʃən"},
      {"nearby", "ˌnɪrˈbaɪ"},
      {"outside", "ˌaʊtˈsaɪd"},
      {"fourteen", "ˌfɔrˈtin"}};
  for (const auto& [word, ipa] : expected) EXPECT_EQ(sounds.at(word).first, ipa) << word;
}

TEST_F(ShippedStressMarksTest, AtMostOneSecondaryStressBeforeThePrimaryAndStrongVowelsKept) {
  const auto sounds = allSounds();
  auto secondariesBeforePrimary = [](const std::string& ipa) {
    const std::string before = ipa.substr(0, ipa.find("ˈ"));
    size_t count = 0;
    for (size_t at = before.find("ˌ"); at != std::string::npos; at = before.find("ˌ", at + 1))
      ++count;
    return count;
  };
  for (const auto& [word, s] : sounds) {
    EXPECT_LE(secondariesBeforePrimary(s.first), 1u) << word << " " << s.first;
    EXPECT_LE(secondariesBeforePrimary(s.second), 1u) << word << " " << s.second;
  }
  const std::map<std::string, Sounds> expected = {
      {"investigation", {"ɪnˌvɛstəˈɡeɪʃən", "ɪnˌvestɪˈɡeɪʃən"}},
      {"imagination", {"ɪˌmædʒəˈneɪʃən", "ɪˌmædʒɪˈneɪʃən"}},
      {"elasticity", {"ˌilæˈstɪsəti", "ɪˌlæˈstɪsɪti"}},
      {"whir", {"wɝ", "wɜː"}},  // as "her" and "fur"
      {"her", {"hɝ", "hɜː"}},
      {"unarmed", {"ˌʌnˈɑrmd", "ˌʌnˈɑːmd"}},
      {"unhappy", {"ˌʌnˈhæpi", "ˌʌnˈhæpi"}},
      {"until", {"ənˈtɪl", "ənˈtɪl"}},
      {"including", {"ɪnˈkludɪŋ", "ɪnˈkluːdɪŋ"}},
      {"mammal", {"ˈmæməl", "ˈmæməl"}},
      {"handle", {"ˈhændəl", "ˈhændl"}},
      {"uncle", {"ˈʌŋkəl", "ˈʌŋkl"}}};
  for (const auto& [word, phonetics] : expected) EXPECT_EQ(sounds.at(word), phonetics) << word;
}

TEST_F(ShippedStressMarksTest, VerbsNumbersAndWordsOfOneSyllableMarkedAsLearnersDictionariesDo) {
  const auto sounds = allSounds();
  // The pronouncing dictionary stresses these verbs on their first part; a compound's join
  // keeps its r and its s ("under|estimate", "six|teen").
  const std::map<std::string, Sounds> expected = {
      {"unite", {"juˈnaɪt", "juːˈnaɪt"}},
      {"overcome", {"ˌoʊvərˈkʌm", "ˌəʊvəˈkʌm"}},
      {"undertake", {"ˌʌndərˈteɪk", "ˌʌndəˈteɪk"}},
      {"underestimate", {"ˌʌndərˈɛstəˌmeɪt", "ˌʌndərˈestɪmeɪt"}},
      {"sixteen", {"sɪksˈtin", "ˌsɪksˈtiːn"}},
      {"queen", {"kwin", "kwiːn"}},  // no mark on a word of one syllable
      {"people", {"ˈpipəl", "ˈpiːpl"}},
      {"fifteen", {"fɪfˈtin", "ˌfɪfˈtiːn"}}};
  for (const auto& [word, s] : expected) EXPECT_EQ(sounds.at(word), s) << word;
}

TEST_F(ShippedStressMarksTest, BritishStressMarksStandBeforeAnOnsetOfSAndAStop) {
  const auto sounds = allSounds();
  // "dɪsˈkʌs": the s that begins the stressed syllable with its stop stands after the mark.
  const std::regex markAfterS("s(?:ˈ|ˌ)(?:p|k|t(?!ʃ))");
  // ... unless a compound's part begins there: "six|teen" ˌsɪksˈtiːn.
  for (const auto& [word, s] : sounds) {
    if (word == "sixteen") continue;
    EXPECT_FALSE(std::regex_search(s.second, markAfterS)) << word << " " << s.second;
  }
  const std::map<std::string, std::string> expected = {
      {"discuss", "dɪˈskʌs"},      {"expect", "ɪkˈspekt"},
      {"mistake", "mɪˈsteɪk"},     {"distinguish", "dɪˈstɪŋɡwɪʃ"},
      {"transport", "trænˈspɔːt"}, {"exchange", "ɪksˈtʃeɪndʒ"}};  // tʃ is one sound
  for (const auto& [word, ipa] : expected) EXPECT_EQ(sounds.at(word).second, ipa) << word;
}

TEST_F(ShippedStressMarksTest, ACapitalisedWordShowsNoLowerCaseHomographsOtherStress) {
  const auto sounds = allSounds();
  // The month, not the adjective ɔːˈɡʌst.
  EXPECT_EQ(sounds.at("August").second, "ˈɔːɡəst");
  // A headword with a capital whose letters a lower-case headword shares ("March", "China")
  // stresses its British where its American does.
  auto firstSyllableStressed = [](const std::string& ipa) {
    return ipa.rfind("ˈ", 0) == 0 || ipa.find("ˈ") == std::string::npos;
  };
  for (const auto& [word, s] : sounds) {
    if (word.empty() || !std::isupper(static_cast<unsigned char>(word[0])) || s.second.empty())
      continue;
    std::string lower = word;
    lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
    if (!sounds.count(lower)) continue;
    EXPECT_EQ(firstSyllableStressed(s.first), firstSyllableStressed(s.second))
        << word << " " << s.first << " " << s.second;
  }
}

TEST_F(ShippedStressMarksTest, TheBritishStressedVowelIsNoTypingSlipForTheAmericanShortOne) {
  const auto sounds = allSounds();
  const std::map<std::string, std::string> expected = {
      {"collective", "kəˈlektɪv"}, {"contention", "kənˈtenʃən"}, {"punctual", "ˈpʌŋktʃuəl"}};
  for (const auto& [word, ipa] : expected) EXPECT_EQ(sounds.at(word).second, ipa) << word;
  // Where both stress the same syllable, its vowel is no slip: ˈɛ is never ˈeɪ, ˈʌ never ˈə.
  const std::regex stressed("^(.*?)ˈ" + kConsonants + "(eɪ|ɛ|e|ʌ|ə)");
  const std::regex vowelRun("(?:ɪ|ə|æ|ɑ|ɔ|ɒ|ʊ|u|i|ɛ|e|ʌ|ɝ|ɜ|o|a|ː)+");
  auto syllablesIn = [&](const std::string& text) {
    return std::distance(std::sregex_iterator(text.begin(), text.end(), vowelRun),
                         std::sregex_iterator());
  };
  for (const auto& [word, s] : sounds) {
    std::smatch us, uk;
    if (!std::regex_search(s.first, us, stressed) || !std::regex_search(s.second, uk, stressed) ||
        syllablesIn(us.str(1)) != syllablesIn(uk.str(1)))
      continue;
    EXPECT_FALSE(us.str(2) == "ɛ" && uk.str(2) == "eɪ") << word << " " << s.second;
    EXPECT_FALSE(us.str(2) == "ʌ" && uk.str(2) == "ə") << word << " " << s.second;
  }
}

}  // namespace
}  // namespace toolstest
