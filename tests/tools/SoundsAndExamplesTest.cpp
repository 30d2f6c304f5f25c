// How the word library chooses and writes a word's sounds and which examples it lets through,
// on small made-up dictionary entries.
#include <gtest/gtest.h>

#include "tools/library/AmericanFromBritish.h"
#include "tools/library/AmericanPronunciation.h"
#include "tools/library/BritishFromAmerican.h"
#include "tools/library/BritishPhonetics.h"
#include "tools/library/CardFitness.h"
#include "tools/library/ExampleSentences.h"
#include "tools/library/Phonetics.h"

namespace toolstest {
namespace {

tools::AmericanPronunciation dictionary() {
  return tools::AmericanPronunciation({{"around", {"ER0 AW1 N D"}},
                                       {"outside", {"AW1 T S AY1 D"}},
                                       {"out", {"AW1 T"}},
                                       {"side", {"S AY1 D"}},
                                       {"weekend", {"W IY1 K EH2 N D"}},
                                       {"week", {"W IY1 K"}},
                                       {"end", {"EH1 N D"}},
                                       {"bedroom", {"B EH1 D R UW2 M"}},
                                       {"bed", {"B EH1 D"}},
                                       {"room", {"R UW1 M"}},
                                       {"upon", {"AH0 P AA1 N"}},
                                       {"up", {"AH1 P"}},
                                       {"on", {"AA1 N"}},
                                       {"read", {"R EH1 D", "R IY1 D"}},
                                       {"live", {"L AY1 V", "L IH1 V"}},
                                       {"close", {"K L OW1 S", "K L OW1 Z"}},
                                       {"record", {"R AH0 K AO1 R D", "R EH1 K ER0 D"}},
                                       {"estimate", {"EH1 S T AH0 M AH0 T", "EH1 S T AH0 M EY2 T"}},
                                       {"police", {"P AH0 L IY1 S", "P L IY1 S"}},
                                       {"good", {"G UH1 D", "G IH0 D"}},
                                       {"effect", {"IH0 F EH1 K T", "IY1 F EH0 K T"}},
                                       {"sulfate", {"S AH1 L F EY2 T", "S AH1 L F AH0 T"}},
                                       {"sometimes", {"S AH0 M T AY1 M Z", "S AH1 M T AY2 M Z"}},
                                       {"contact", {"K AA1 N T AE2 K T"}},
                                       {"con", {"K AA1 N"}},
                                       {"tact", {"T AE1 K T"}},
                                       {"tourism", {"T UH1 R IH2 Z AH0 M"}},
                                       {"tour", {"T UH1 R"}},
                                       {"ism", {"IH1 Z AH0 M"}},
                                       {"color", {"K AH1 L ER0"}},
                                       {"organize", {"AO1 R G AH0 N AY2 Z"}},
                                       {"center", {"S EH1 N ER0"}},
                                       {"motor", {"M OW1 T ER0"}},
                                       {"way", {"W EY1"}}},
                                      [](const std::string& word) { return word != "bedroo"; });
}

TEST(AmericanPronunciation, BreaksAndStressesAsLearnersDictionariesWriteThem) {
  const tools::AmericanPronunciation american = dictionary();
  EXPECT_EQ(american.ipa("around", 'r', ""), "əˈraʊnd");     // the r opens the stressed syllable
  EXPECT_EQ(american.ipa("outside", 'r', ""), "ˌaʊtˈsaɪd");  // one primary stress, the last
  EXPECT_EQ(american.ipa("weekend", 'n', ""), "ˈwikˌɛnd");   // split at the compound's join
  EXPECT_EQ(american.ipa("bedroom", 'n', ""), "ˈbɛdˌrum");
  EXPECT_EQ(american.ipa("upon", 0, ""), "əˈpɑn");  // a part of two letters makes no compound
  EXPECT_EQ(american.ipa("contact", 'n', "nv"), "ˈkɑntækt");  // nor a prefix or a suffix
  EXPECT_EQ(american.ipa("tourism", 'n', "n"), "ˈtʊrɪzəm");
  EXPECT_EQ(american.ipa("missing", 'n', ""), "");
  // A British spelling sounds as the American one; a compound noun as its parts.
  EXPECT_EQ(american.ipa("colour", 'n', "n"), "ˈkʌlər");
  EXPECT_EQ(american.ipa("organise", 'v', "v"), "ˈɔrɡəˌnaɪz");
  EXPECT_EQ(american.ipa("centre", 'n', "n"), "ˈsɛnər");
  EXPECT_EQ(american.ipa("motorway", 'n', "n"), "ˈmoʊtərˌweɪ");
  EXPECT_EQ(american.ipa("motorway", 'a', "a"), "");
  EXPECT_EQ(tools::arpabetToIpa("K ER0 EH1 K T"), "kəˈrɛkt");
  EXPECT_EQ(tools::arpabetToIpa("F AO1 R T IY1 N"), "ˌfɔrˈtin");
  EXPECT_EQ(tools::arpabetToIpa("Y UW1 ZH AH0 W AH0 L"), "ˈjuʒuəl");
  EXPECT_EQ(tools::arpabetToIpa("T AH0 W AO1 R D"), "təˈwɔrd");
  EXPECT_EQ(tools::arpabetToIpa("K AH1 M P AH0 N IY2"), "ˈkʌmpəni");
  EXPECT_EQ(tools::arpabetToIpa("K AA1 N T AE2 K T"), "ˈkɑntækt");
}

TEST(AmericanPronunciation, TheVariantFitsTheFirstMeaningsPartOfSpeech) {
  const tools::AmericanPronunciation american = dictionary();
  EXPECT_EQ(american.ipa("read", 'v', "vn"), "rid");  // a homograph of the reviewed list
  EXPECT_EQ(american.ipa("live", 'v', "va"), "lɪv");
  EXPECT_EQ(american.ipa("live", 'a', "va"), "laɪv");
  EXPECT_EQ(american.ipa("close", 'v', "va"), "kloʊz");  // a verb voices its end
  EXPECT_EQ(american.ipa("close", 'a', "va"), "kloʊs");
  EXPECT_EQ(american.ipa("record", 'n', "nv"), "ˈrɛkərd");  // a noun is stressed first
  EXPECT_EQ(american.ipa("record", 'v', "nv"), "rəˈkɔrd");
  EXPECT_EQ(american.ipa("estimate", 'v', "nv"), "ˈɛstəˌmeɪt");
  EXPECT_EQ(american.ipa("estimate", 'n', "nv"), "ˈɛstəmət");
  EXPECT_EQ(american.ipa("police", 'n', "n"), "pəˈlis");  // a shorter variant is no other word
  EXPECT_EQ(american.ipa("good", 'a', "anr"), "ɡʊd");  // no weak form
  EXPECT_EQ(american.ipa("effect", 'n', "nv"), "ɪˈfɛkt");  // no prefix of a stress pair
  EXPECT_EQ(american.ipa("sulfate", 'n', "n"), "ˈsʌlfeɪt");  // a noun alone keeps the first
  // Where the part of speech leaves a choice, the British dictionary's stress decides.
  EXPECT_EQ(american.ipa("sometimes", 'r', "r"), "səmˈtaɪmz");
  EXPECT_EQ(american.ipa("sometimes", 'r', "r", {"ˈsʌmtaɪmz"}), "ˈsʌmtaɪmz");
  EXPECT_EQ(american.ipa("record", 'n', "nv", {"rɪˈkɔːd"}), "ˈrɛkərd");
  EXPECT_TRUE(american.stressVaries("record"));
  EXPECT_FALSE(american.stressVaries("close"));
}

TEST(AmericanPronunciation, OneSecondaryStressBeforeThePrimaryAndAFullNegativePrefix) {
  const std::pair<const char*, const char*> cases[] = {
      {"IH2 N V EH2 S T AH0 G EY1 SH AH0 N", "ɪnˌvɛstəˈɡeɪʃən"},  // the last one stands
      {"IH2 M AE2 JH AH0 N EY1 SH AH0 N", "ɪˌmædʒəˈneɪʃən"},
      {"IY2 L AE2 S T IH1 S AH0 T IY0", "ˌilæˈstɪsəti"},  // not the one right before the primary
      {"K AE2 P UW2 CH IY1 N OW0", "ˌkæpuˈtʃinoʊ"},
      {"IH2 L EH2 K T R AA1 N IH0 K", "ɪˌlɛkˈtrɑnɪk"},    // ... unless the other is an open prefix
      {"IH2 N K AE2 N T EY1 SH AH0 N", "ˌɪnkænˈteɪʃən"},  // a closed one is none
      {"L IH2 B ER2 EY1 SH AH0 N", "ˌlɪbəˈreɪʃən"}};      // an unwritten "er" is weak
  for (const auto& [arpabet, ipa] : cases) EXPECT_EQ(tools::arpabetToIpa(arpabet), ipa) << arpabet;

  const tools::AmericanPronunciation american({{"unarmed", {"AH0 N AA1 R M D"}},
                                               {"armed", {"AA1 R M D"}},
                                               {"unhappy", {"AH0 N HH AE1 P IY0"}},
                                               {"happy", {"HH AE1 P IY0"}},
                                               {"unscathed", {"AH0 N S K EY1 DH D"}},
                                               {"unless", {"AH0 N L EH1 S"}},
                                               {"less", {"L EH1 S"}},
                                               {"until", {"AH0 N T IH1 L"}}},
                                              [](const std::string&) { return true; });
  EXPECT_EQ(american.ipa("unarmed", 'a', "a"), "ˌʌnˈɑrmd");
  EXPECT_EQ(american.ipa("unhappy", 'a', "a"), "ˌʌnˈhæpi");
  // A prefix the British says so, though "scathed" is no word of the dictionary.
  EXPECT_EQ(american.ipa("unscathed", 'a', "a", {"ˌʌnˈskeɪðd"}), "ˌʌnˈskeɪðd");
  EXPECT_EQ(american.ipa("unscathed", 'a', "a"), "ənˈskeɪðd");
  EXPECT_EQ(american.ipa("unless", 0, "", {"ˌʌnˈles"}), "ənˈlɛs");  // no prefix
  EXPECT_EQ(american.ipa("until", 0, ""), "ənˈtɪl");
}

std::vector<tools::Phone> phones(const char* arpabet) {
  return tools::arpabetPhones(arpabet).value();
}

TEST(BritishFromAmerican, TyposOfTheDictionaryAreCaughtByTheAmericanConsonants) {
  EXPECT_FALSE(tools::britishAgreesWith("θɪs", phones("DH IH1 S")));
  EXPECT_FALSE(tools::britishAgreesWith("ʃʌʃ", phones("SH AH1 T")));
  EXPECT_FALSE(tools::britishAgreesWith("kənˈsɪdŋ", phones("K AH0 N S IH1 D ER0")));
  EXPECT_FALSE(tools::britishAgreesWith("ˈlɪbəli", phones("L IH1 B ER0 T IY0")));
  EXPECT_FALSE(tools::britishAgreesWith("lɪv", phones("L AY1 V")));            // the other word
  EXPECT_FALSE(tools::britishAgreesWith("rɪˈkɔːd", phones("R EH1 K ER0 D")));  // other stress
  // The accents' own differences are no fault: r, j, the ɡ of older notation, a slipped-in t.
  EXPECT_TRUE(tools::britishAgreesWith("ðɪs", phones("DH IH1 S")));
  EXPECT_TRUE(tools::britishAgreesWith("ˈwɔːtə", phones("W AO1 T ER0")));
  EXPECT_TRUE(tools::britishAgreesWith("njuː", phones("N UW1")));
  EXPECT_TRUE(tools::britishAgreesWith("prɪns", phones("P R IH1 N T S")));
  EXPECT_TRUE(tools::britishAgreesWith("ˌedjuːˈkeɪʃən", phones("EH2 JH AH0 K EY1 SH AH0 N")));
  EXPECT_TRUE(tools::britishAgreesWith("ˈdɑːns", phones("D AE1 N S")));
  EXPECT_TRUE(tools::britishAgreesWith("ˈmæri", phones("M EH1 R IY0")));  // "marry"
  EXPECT_TRUE(tools::britishAgreesWith("ænd", phones("AH0 N D")));        // a weak form
  EXPECT_TRUE(tools::britishAgreesWith("ˈɡrædʒueɪt", phones("G R AE1 JH AH0 W EY2 T")));
}

TEST(BritishFromAmerican, MadeFromTheAmericanOnlyWhereTheSoundsMapOneToOne) {
  const std::pair<const char*, const char*> made[] = {
      {"thanks", "TH AE1 NG K S"}, {"north", "N AO1 R TH"},   {"girlfriend", "G ER1 L F R EH2 N D"},
      {"shut", "SH AH1 T"},        {"around", "ER0 AW1 N D"}, {"consider", "K AH0 N S IH1 D ER0"},
      {"dog", "D AO1 G"},          {"thought", "TH AO1 T"},   {"home", "HH OW1 M"},
      {"fire", "F AY1 ER0"},       {"here", "HH IY1 R"}};
  const char* expected[] = {"θæŋks", "nɔːθ", "ˈɡɜːlfrend", "ʃʌt",  "əˈraʊnd", "kənˈsɪdə",
                            "dɒɡ",   "θɔːt", "həʊm",        "ˈfaɪə", "hɪə"};
  for (size_t i = 0; i < std::size(made); ++i) {
    const std::string british = tools::britishFromAmerican(made[i].first, phones(made[i].second));
    EXPECT_EQ(british, expected[i]) << made[i].first;
    EXPECT_TRUE(tools::isBritishIpa(british)) << british;
  }
  // The vowel of "dance" and "father", r before a vowel, j after t, d and n, words of their own.
  for (const auto& [word, arpabet] :
       std::initializer_list<std::pair<const char*, const char*>>{{"dance", "D AE1 N S"},
                                                                  {"father", "F AA1 DH ER0"},
                                                                  {"very", "V EH1 R IY0"},
                                                                  {"new", "N UW1"},
                                                                  {"water", "W AO1 T ER0"},
                                                                  {"tomato", "T AH0 M EY1 T OW2"},
                                                                  {"hurry", "HH ER1 IY0"},
                                                                  {"tour", "T UH1 R"}})
    EXPECT_EQ(tools::britishFromAmerican(word, phones(arpabet)), "") << word;
  // The dictionary's variant that agrees wins; a homograph gets nothing made.
  EXPECT_EQ(tools::britishFor("live", {"lɪv", "laɪv"}, phones("L AY1 V"), false), "laɪv");
  EXPECT_EQ(tools::britishFor("this", {"θɪs"}, phones("DH IH1 S"), false), "ðɪs");
  EXPECT_EQ(tools::britishFor("chance", {"tʃæns", "tʃɑːns"}, phones("CH AE1 N S"), false),
            "tʃɑːns");
  // A homograph's British is made with the full vowel of the dictionary's other sense, which
  // an American "er" hides: "a record" ˈrekɔːd, not ˈrekəd; without that sense, nothing.
  EXPECT_EQ(tools::britishFor("record", {"rɪˈkɔːd"}, phones("R EH1 K ER0 D"), true), "ˈrekɔːd");
  EXPECT_EQ(tools::britishFor("record", {}, phones("R EH1 K ER0 D"), true), "");
  EXPECT_EQ(tools::britishFor("project", {"ˈprɒdʒekt"}, phones("P R AH0 JH EH1 K T"), true),
            "prəˈdʒekt");
  // Where the accents stress otherwise, the stressed vowels correspond; a French "-ant" may
  // end nasal.
  EXPECT_EQ(tools::britishFor("necessarily", {"ˈnesɪsərɪli"},
                              phones("N EH2 S AH0 S EH1 R AH0 L IY0"), false),
            "ˈnesɪsərɪli");
  EXPECT_EQ(tools::britishFor("restaurant", {"ˈrestərɒŋ"}, phones("R EH1 S T ER0 AA2 N T"), false),
            "ˈrestərɒŋ");
  EXPECT_EQ(tools::britishFor("this", {"θɪs"}, phones("DH IH1 S"), false), "ðɪs");
  EXPECT_EQ(tools::britishFor("chance", {"tʃæns", "tʃɑːns"}, phones("CH AE1 N S"), false),
            "tʃɑːns");
  // The accents may stress a word that is no homograph differently.
  EXPECT_EQ(tools::britishFor("overlook", {"ˌəʊvəˈlʊk"}, phones("OW1 V ER0 L UH2 K"), false),
            "ˌəʊvəˈlʊk");
}

char verbEnding(const std::string& word) {
  if (word == "chased" || word == "ran" || word == "lived" || word == "had" || word == "gave" ||
      word == "used" || word == "appointed")
    return 'p';
  if (word == "serves" || word == "elaborates" || word == "gowns" || word == "surveys" ||
      word == "outlines")
    return 's';
  if (word == "buy" || word == "chip" || word == "fix") return 'b';
  return 0;
}

TEST(ExampleSentences, OnlyWholeSentencesReachACard) {
  for (const char* sentence :
       {"the dog chased the rabbit", "The tree stump serves as a table.", "we had to live frugally",
        "He ran home.", "the bee elaborates honey", "Did he go to the party?", "I buy food wholesale",
        "this serves no purpose", "I'm virtually broke", "Yes, I will.",
        "The manager appointed a new clerk."})
    EXPECT_TRUE(tools::isWholeSentence(sentence, verbEnding)) << sentence;
  for (const char* fragment :
       {"visual powers", "at the expense of", "lunar surface", "a lost child",
        "A sewer of fine gowns.", "demographic surveys", "chip the glass", "maintain a record",
        "\"to be or not to be\" - Shakespeare", "the broad outlines of the plan",
        "gave us a broad hint that it was time to leave", "had an unhappy time at school",
        "European emigres, who notoriously used to repair to the British Museum",
        "An ambassador of good will.", "A beautifully appointed house."})
    EXPECT_FALSE(tools::isWholeSentence(fragment, verbEnding)) << fragment;
}

TEST(ExampleSentences, AnExampleShowsTheWordInItsOwnPartOfSpeech) {
  // The verb dog shares its synset with chase; the example shows chase and the noun dog.
  EXPECT_FALSE(tools::showsTheWord("the dog chased the rabbit", {"dog", "dogs", "dogged"}, 'v',
                                   {"chase", "trail", "tail"}));
  EXPECT_TRUE(
      tools::showsTheWord("the dog chased the rabbit", {"dog", "dogs"}, 'n', {"domestic_dog"}));
  EXPECT_TRUE(tools::showsTheWord("the judge tried him", {"try", "tried"}, 'v', {"judge", "hear"}));
  EXPECT_TRUE(tools::showsTheWord("they dogged his every step", {"dog", "dogged"}, 'v', {"tail"}));
  EXPECT_FALSE(tools::showsTheWord("we had to live frugally", {"live"}, 'n', {}));
  EXPECT_FALSE(tools::showsTheWord("a quiet evening", {"dog"}, 'n', {}));
}

TEST(ExampleSentences, NothingUnfitForALearnersCard) {
  EXPECT_FALSE(tools::isFitForACard("he killed his neighbour", {}));
  EXPECT_FALSE(tools::isFitForACard("She called him a Bastard.", {}));
  EXPECT_FALSE(tools::isFitForACard("they were fuckers", {"fuckers"}));
  EXPECT_TRUE(tools::isFitForACard("The skill of a surgeon.", {}));  // "kill" inside a word
  // Bodily functions, sex, drugs, violence, a people summed up, a brand.
  for (const char* unfit :
       {"In China it is polite to burp at the table.", "The Chinese would bind the feet of their women.",
        "She's a real dog.", "She sells her body to support her drug habit.",
        "We debated the question of abortion.", "The Irish have a penchant for blarney.",
        "An Englishman would interrupt a war to have his afternoon tea.",
        "The Russians called their astronauts cosmonauts.", "He has a Mercedes, too.",
        "He bought 100 shares of IBM at the market price.", "The gunfire raked the coast."})
    EXPECT_FALSE(tools::isFitForACard(unfit, {})) << unfit;
  // A language or a people's word as the example's own word is no summing up.
  for (const char* fit : {"She mastered Japanese in less than two years.",
                          "I taught them French.", "The dog barked all night.",
                          "Treat the water so it can be drunk.", "They are at opposite poles."})
    EXPECT_TRUE(tools::isFitForACard(fit, {})) << fit;
  EXPECT_TRUE(tools::isFitForACard("The French are proud of their food.", {}, {"French"}));
  EXPECT_FALSE(tools::isFitForACard("The French are proud of their food.", {}, {"food"}));
  // A body shown in public, a child left to die, the shots of a gun; a people's word for a thing
  // ("the British term") sums up nobody.
  for (const char* unfit : {"The man exposed himself in the subway.",
                            "The infant was exposed by the teenage mother.",
                            "The bullets riddled his body.", "a woman adulterer"})
    EXPECT_FALSE(tools::isFitForACard(unfit, {})) << unfit;
  EXPECT_TRUE(tools::isFitForACard("small flat sweet cakes (\"biscuit\" is the British term)", {}));
  EXPECT_TRUE(tools::isFitForACard("The photograph was exposed for too long.", {}));
  EXPECT_FALSE(tools::hasNoGrammarSlip("They think a meteor cause the extinction of dinosaurs."));
  // A phrase of sex or swearing stands on that word's card alone.
  for (const char* crude : {"sex", "sexual", "hell", "bastard"})
    EXPECT_TRUE(tools::isOfSexOrSwearing(crude, {})) << crude;
  EXPECT_TRUE(tools::isOfSexOrSwearing("bugger", {"bugger"}));
  for (const char* plain : {"have", "abuse", "naked", "gun", "eye"})
    EXPECT_FALSE(tools::isOfSexOrSwearing(plain, {})) << plain;
}

TEST(ExampleSentences, NoHoleAndNothingMockingOrShaming) {
  for (const char* cut : {"She was not the...credible fool he expected.",
                          "A...youth with a gorgeous red necktie all awry.",
                          "In conclusion I want to say...", "The pavement was\u2026glassy."})
    EXPECT_FALSE(tools::hasNoElision(cut)) << cut;
  EXPECT_TRUE(tools::hasNoElision("The pavement was glassy with water."));
  for (const char* unfit : {"The impatient teacher slapped the student.",
                            "She denounced the exposure of children to pornography.",
                            "The piggy fat-cheeked little boy and his porcine pot-bellied father.",
                            "He hadn't remembered how fat she was.",
                            "Please don't advertise the fact that he has AIDS."})
    EXPECT_FALSE(tools::isFitForACard(unfit, {})) << unfit;
  for (const char* fit : {"Pizza has too much fat.", "Teaching aids help the class.",
                          "We are racing to find a cure for AIDS."})
    EXPECT_TRUE(tools::isFitForACard(fit, {})) << fit;
}

TEST(ExampleSentences, NoSlipOfGrammarALearnerWouldCopy) {
  for (const char* slip : {"The prisoner has be languishing for years in the dungeon.",
                           "In he can't get it honestly, he is willing to steal it.",
                           "I meet this men every day on my way to work.",
                           "A far far better thing that I do."})
    EXPECT_FALSE(tools::hasNoGrammarSlip(slip)) << slip;
  for (const char* sound : {"The prisoner has been languishing for years.",
                            "He said that that was enough.", "In the morning he left."})
    EXPECT_TRUE(tools::hasNoGrammarSlip(sound)) << sound;
}

TEST(AmericanFromBritish, MadeWhereTheAccentsMapOneToOne) {
  const std::pair<const char*, const char*> made[][2] = {
      {{"modern", "ˈmɒdən"}, {"", "ˈmɑdərn"}},
      {{"character", "ˈkærəktə"}, {"", "ˈkærəktər"}},
      {{"stouthearted", "ˌstaʊtˈhɑːtɪd"}, {"", "ˌstaʊtˈhɑrtɪd"}},
      {{"fretwork", "ˈfretwɜːk"}, {"", "ˈfrɛtwərk"}},
      {{"toady", "ˈtəʊdi"}, {"", "ˈtoʊdi"}},
      {{"incorruptible", "ˌɪnkəˈrʌptɪbl"}, {"", "ˌɪnkəˈrʌptɪbl"}},
      {{"story", "ˈstɔːri"}, {"", "ˈstɔri"}},
      {{"history", "ˈhɪstəri"}, {"", "ˈhɪstəri"}},
      {{"earsplitting", "ˈɪəsplɪtɪŋ"}, {"", "ˈɪrsplɪtɪŋ"}}};
  for (const auto& m : made)
    EXPECT_EQ(tools::americanFromBritish(m[0].first, m[0].second), m[1].second) << m[0].first;
  // ɑː of "dance" or "father", ɒ of "dog" and "sorry", j of "tune", "-ary", an r that may
  // colour one of several ə: not to be told.
  for (const auto& [word, british] : std::initializer_list<std::pair<const char*, const char*>>{
           {"dance", "dɑːns"}, {"calm", "kɑːm"}, {"dog", "dɒɡ"}, {"horology", "hɒˈrɒlədʒi"},
           {"tune", "tjuːn"}, {"apiary", "ˈeɪpiəri"}, {"preternatural", "ˌpriːtəˈnætʃərəl"},
           {"fertile", "ˈfɜːtaɪl"}, {"word", ""}})
    EXPECT_EQ(tools::americanFromBritish(word, british), "") << word;
}

TEST(BritishFromAmerican, StressMarkedAndNoOldYodAfterL) {
  // A dictionary entry of two syllables typed without its stress gives way to one made.
  EXPECT_EQ(tools::britishFor("mammal", {"mæməl"}, phones("M AE1 M AH0 L"), false), "ˈmæməl");
  EXPECT_EQ(tools::britishFromAmerican("including", phones("IH2 N K L UW1 D IH0 NG")),
            "ɪnˈkluːdɪŋ");
  EXPECT_EQ(tools::britishFromAmerican("solution", phones("S AH0 L UW1 SH AH0 N")), "səˈluːʃən");
  EXPECT_EQ(tools::britishFromAmerican("tune", phones("T UW1 N")), "");  // tjuːn
  // The dictionary's British keeps one secondary stress before the primary too.
  EXPECT_EQ(tools::britishToIpa("'ri:(h)ә,bili'teiʃәn"), "riːəˌbɪlɪˈteɪʃən");
  EXPECT_EQ(tools::britishToIpa("'sәuʃiәu,i:kә'nɔmik"), "səʊʃiəʊˌiːkəˈnɒmɪk");
  EXPECT_EQ(tools::britishToIpa(".i.lek'trɒnik"), "ɪˌlekˈtrɒnɪk");
  // A word of one syllable is stressed though unmarked: "whir" as "her".
  EXPECT_EQ(tools::americanFromBritish("whir", "wɜː"), "wɝ");
  EXPECT_EQ(tools::americanFromBritish("fretwork", "ˈfretwɜːk"), "ˈfrɛtwərk");
}

TEST(BritishFromAmerican, AVerbStressedOnItsFirstPartTakesTheBritishStress) {
  auto stressed = [](const char* arpabet, const char* british) {
    return tools::withStressMarks(tools::withBritishStress(phones(arpabet), british));
  };
  EXPECT_EQ(stressed("Y UW1 N AY2 T", "juːˈnaɪt"), "juˈnaɪt");
  EXPECT_EQ(stressed("OW1 V ER0 K AH2 M", "ˌəʊvəˈkʌm"), "ˌoʊvərˈkʌm");
  // Only onto an American secondary stress, and only the same word.
  EXPECT_EQ(stressed("K AH0 N T EH1 K S T", "ˈkɒntekst"), "kənˈtɛkst");
  EXPECT_EQ(stressed("R EH1 K ER0 D", "rɪˈkɔːd"), "ˈrɛkərd");
  EXPECT_EQ(stressed("L AY1 V", "lɪv"), "laɪv");
}

}  // namespace
}  // namespace toolstest
