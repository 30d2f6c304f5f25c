// How extraction reads a spelling that is two words, a capitalised word and a form that a
// frequency list made a headword, on a library of chosen words, meanings and books.
#include <atomic>
#include <cstdlib>
#include <thread>

#include "extract/ExtractWord.h"
#include "store/WordText.h"
#include "tests/store/StudyFixture.h"
#include "tests/support/ExitRounds.h"

namespace {

using plat::Value;
using storetest::StudyTest;
using Words = std::vector<std::string>;

class ExtractReadingTest : public StudyTest {
 protected:
  void SetUp() override {
    StudyTest::SetUp();
    db_->sqlMgr().beginTransaction();
    // word, meaning lines, taught by a book
    const struct {
      const char* word;
      std::vector<const char*> meanings;
      bool taught;
    } library[] = {
        {"left", {"adj. 左边的", "n. 左"}, true},
        {"leave", {"v. 离开"}, true},
        {"the", {"art. 这"}, true},
        {"a", {"art. 一"}, true},
        {"red", {"adj. 红的", "n. 红色"}, true},
        {"strange", {"adj. 奇怪的"}, true},
        {"still", {"adj. 静止的", "adv. 仍然"}, true},
        {"turn", {"v. 转"}, true},
        {"felt", {"n. 毡"}, true},
        {"feel", {"v. 感觉"}, true},
        {"feeling", {"n. 感觉"}, true},
        {"egg", {"n. 蛋；卵"}, true},
        {"eggs", {"n. 鸡蛋；蛋"}, false},
        {"glass", {"n. 玻璃"}, true},
        {"glasses", {"n. 眼镜"}, false},
        {"said", {"v. 说"}, false},
        {"say", {"v. 说"}, true},
        {"state", {"n. 州"}, true},
        {"States", {"n. 美国"}, true},
        {"china", {"n. 瓷器"}, true},
        {"China", {"n. 中国"}, true},
        {"Monday", {"n. 星期一"}, true},
        {"lied", {"n. 歌曲"}, true},
        {"lie", {"v. 说谎"}, true},
        {"filled", {"adj. 满的"}, true},
        {"fill", {"v. 装满"}, true},
        {"tired", {"adj. 累的"}, true},
        {"tire", {"n. 轮胎", "v. 使疲倦"}, true},
        {"leaf", {"n. 叶子"}, true},
        {"life", {"n. 生活；生命"}, true},
        {"live", {"v. 居住；生活"}, true},
        {"thief", {"n. 小偷"}, true},
        {"thieve", {"v. 偷"}, false},
        {"base", {"n. 基础；底部", "v. 以…为基础"}, true},
        {"basis", {"n. 基础"}, true},
        {"ax", {"n. 斧"}, true},
        {"axis", {"n. 轴"}, true},
        {"found", {"v. 建立"}, true},
        {"find", {"v. 找到"}, true},
        {"saw", {"n. 锯"}, true},
        {"see", {"v. 看见"}, true},
        {"dog", {"n. 狗"}, true},
        {"bit", {"n. 一点"}, true},
        {"bite", {"v. 咬"}, true},
        {"many", {"adj. 许多的"}, true},
        {"more", {"adj. 更多的"}, true},
        {"brook", {"n. 小溪"}, true},
        {"white", {"adj. 白色的"}, true},
        {"Mrs", {"n. 太太"}, true},
        {"patient", {"n. 病人", "adj. 耐心的"}, true},
        {"happy", {"adj. 快乐的"}, true},
        {"gentle", {"adj. 温和的"}, true},
        {"true", {"adj. 真的"}, true},
        {"full", {"adj. 满的"}, true},
        {"basic", {"adj. 基本的"}, true},
        {"early", {"adj. 早的", "adv. 早"}, true},
        {"bill", {"n. 账单"}, true},
        {"aunt", {"n. 阿姨"}, true},
        {"park", {"n. 公园"}, true},
        {"short", {"adj. 短的", "n. 短片"}, true},
        {"shorts", {"n. 短裤"}, true},
        {"new", {"adj. 新的"}, true},
        {"news", {"n. 新闻"}, true},
        {"canvas", {"n. 帆布"}, true},
        {"canvass", {"n. 游说；拉票"}, true},
        {"arm", {"n. 手臂"}, true},
        {"arms", {"n. 武器"}, true},
        {"respondent", {"adj. 回答的", "n. 被告"}, true},
        {"respondents", {"n. 被告；调查对象"}, true},
        {"can", {"v. 能", "n. 罐头"}, true},
        {"may", {"v. 可以"}, true},
        {"May", {"n. 五月"}, true},
        {"tin", {"n. 锡"}, true},
        {"spoke", {"n. 轮辐"}, true},
        {"speak", {"v. 说"}, true},
        {"rich", {"adj. 富裕的"}, true},
        {"us", {"pron. 我们"}, true},
        {"me", {"pron. 我"}, true},
        {"archive", {"v. 存档", "n. 档案馆"}, true},
        {"archives", {"n. 档案"}, true},
        {"mean", {"v. 意思是"}, true},
        {"means", {"n. 手段"}, true},
        {"old", {"adj. 老的"}, true},
        {"cut", {"v. 切"}, true},
        {"rose", {"n. 玫瑰"}, true},
        {"rise", {"v. 升起"}, true},
        {"dry", {"adj. 干的", "v. 弄干"}, true},
        {"dried", {"adj. 弄干了的"}, true},
        {"chief", {"adj. 主要的", "n. 首领"}, true},
        {"club", {"n. 俱乐部"}, true},
        {"three", {"num. 三"}, true},
        {"friend", {"n. 朋友"}, true},
        {"up", {"adv. 向上"}, true},
        {"dame", {"n. 夫人"}, true},
        {"ping", {"n. 砰", "v. 砰地发声"}, true},
        {"line", {"n. 线", "v. 排成一行"}, true},
        {"thanksgiving", {"n. 感恩节"}, true},
        {"fund", {"n. 基金"}, true},
        {"famous", {"adj. 著名的"}, true},
        {"sum", {"n. 总数"}, true},
        {"cafe", {"n. 咖啡馆"}, true},
        {"resume", {"v. 重新开始", "n. 简历"}, true},
        {"naive", {"adj. 天真的"}, true},
    };
    int id = 2000, meaning = 2000;
    for (const auto& entry : library) {
      db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                      Value::array({id, entry.word}));
      for (const char* line : entry.meanings)
        db_->sql_insert(
            "insert into Words_Meaning_Ch (wmc_uMeaingID, f_wl_uWordID, wmc_tData) values (?, ?, "
            "?)",
            "nns", Value::array({meaning++, id, WordText::scramble(line, id)}));
      if (entry.taught)
        db_->sql_insert("insert into book_words (bw_uId, f_b_uId, f_wl_uId) values (?, 101, ?)",
                        "nn", Value::array({id, id}));
      ++id;
    }
    record("leave", "@leaves $left %left ^leaving");
    record("feel", "@feels $felt %felt ^feeling");
    // A card that carries its lemma's forms: read backwards, "feeling" would give felt.
    record("felt", "@feels $felted ^feeling");
    record("egg", "#eggs");
    record("glass", "#glasses");
    record("say", "@says $said %said ^saying");
    record("state", "#states @states $stated");
    record("leaf", "#leaves");
    record("life", "#lives");
    record("live", "@lives $lived %lived ^living");
    record("thief", "#thieves");
    record("thieve", "@thieves $thieved");
    record("base", "@bases $based #bases");
    record("basis", "#bases");
    record("ax", "#axes");
    record("axis", "#axes");
    record("find", "@finds $found %found ^finding");
    record("see", "@sees $saw %seen ^seeing");
    record("bite", "@bites $bit %bitten ^biting");
    record("many", "&more *most");
    record("speak", "@speaks $spoke %spoken ^speaking");
    record("archive", "#archives @archives $archived");
    record("mean", "@means $meant");
    record("cut", "@cuts $cut %cut ^cutting");
    record("rise", "@rises $rose %risen ^rising");
    record("dry", "@dries $dried %dried ^drying");
    record("chief", "#chiefs");
    db_->sqlMgr().commitTransaction();
  }

  // Gives `word` these meaning lines in place of its own, and makes the index read the library
  // again.
  void replaceMeanings(const std::string& word, const std::vector<const char*>& lines) {
    const int id = db_->getWordID(word);
    db_->sql_update("delete from Words_Meaning_Ch where f_wl_uWordID = ?", "n", Value::array({id}));
    int meaning = 9000 + static_cast<int>(replaced_++) * 10;
    for (const char* line : lines)
      db_->sql_insert(
          "insert into Words_Meaning_Ch (wmc_uMeaingID, f_wl_uWordID, wmc_tData) values (?, ?, ?)",
          "nns", Value::array({meaning++, id, WordText::scramble(line, id)}));
    db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                    Value::array({8000 + static_cast<int>(replaced_), "zz" + word}));
  }

  void record(const std::string& word, const std::string& forms) {
    const int id = db_->getWordID(word);
    db_->sql_insert("insert into Words_Transform (f_wl_uWordID, wt_tRelatedWords) values (?, ?)",
                    "ns", Value::array({id, WordText::scramble(forms, id)}));
  }

  size_t replaced_ = 0;

  static Words extract(const std::string& text) {
    Value words, learned, none;
    ExtractWord().extractWord(text, words, learned, none);
    return strings(words);
  }
};

TEST_F(ExtractReadingTest, AnotherWordsFormGivesBothUnlessADeterminerOrAdjectiveMakesItTheNoun) {
  EXPECT_EQ(extract("turn left"), (Words{"turn", "left", "leave"}));
  EXPECT_EQ(extract("the left"), (Words{"the", "left"}));
  EXPECT_EQ(extract("a red left"), (Words{"a", "red", "left"}));
  EXPECT_EQ(extract("strange left"), (Words{"strange", "left"}));
  // Only spaces may stand between: after a comma the sentence tells nothing.
  EXPECT_EQ(extract("the, left"), (Words{"the", "left", "leave"}));
  EXPECT_EQ(extract("red left"), (Words{"red", "left"}));
  // "still" may be an adverb, so alone it tells nothing.
  EXPECT_EQ(extract("still left"), (Words{"still", "left", "leave"}));
  EXPECT_EQ(extract("a still left"), (Words{"a", "still", "left"}));
  // The noun once does not hide the verb later.
  EXPECT_EQ(extract("the left; they left"), (Words{"the", "left", "leave"}));
}

TEST_F(ExtractReadingTest, OneWordsPluralThatIsAnothersThirdPersonGivesTheNounAfterADeterminer) {
  // Whichever card comes first ("leave" before "leaf", "life" before "live").
  EXPECT_EQ(extract("leaves"), (Words{"leaf", "leave"}));
  EXPECT_EQ(extract("the leaves"), (Words{"the", "leaf"}));
  EXPECT_EQ(extract("lives"), (Words{"life", "live"}));
  EXPECT_EQ(extract("the lives"), (Words{"the", "life"}));
  // A verb that no book teaches yields to the taught noun.
  EXPECT_EQ(extract("thieves"), (Words{"thief"}));
}

TEST_F(ExtractReadingTest, CopiedFormsAndCountedFormsGiveTheirOwnWordOrTheirBase) {
  EXPECT_EQ(extract("a strange feeling"), (Words{"a", "strange", "feeling"}));
  EXPECT_EQ(extract("felt"), (Words{"felt", "feel"}));
  // Counted by frequency alone: the singular; a plural with a sense of its own stays, after
  // the singular that it is as often, whatever stands before it.
  EXPECT_EQ(extract("eggs glasses said"), (Words{"egg", "glass", "glasses", "say"}));
  EXPECT_EQ(extract("the glasses"), (Words{"the", "glass", "glasses"}));
  // So does a plural that no card records, where both are nouns; "-ss" is no plural. A
  // singular that is first an adjective is seldom meant, unless the plural means what it does.
  EXPECT_EQ(extract("arms news canvass"), (Words{"arm", "arms", "news", "canvass"}));
  EXPECT_EQ(extract("shorts respondents"), (Words{"shorts", "respondent", "respondents"}));
  // A past that is a word of its own is as likely the verb's, but after a determiner.
  EXPECT_EQ(extract("lied"), (Words{"lied", "lie"}));
  EXPECT_EQ(extract("a filled"), (Words{"a", "filled"}));
  EXPECT_EQ(extract("filled"), (Words{"filled", "fill"}));
  // ... and where that word is first a verb: "tired" is no tyre's.
  EXPECT_EQ(extract("tired"), (Words{"tired"}));
}

TEST_F(ExtractReadingTest, CapitalsInsideASentenceNameTheCapitalisedWordAndLowerCaseNeverDoes) {
  EXPECT_EQ(extract("in China, fine china"), (Words{"China", "china"}));
  EXPECT_EQ(extract("the law states"), (Words{"the", "state"}));
  EXPECT_EQ(extract("to the States"), (Words{"the", "States"}));
  // At the start of a sentence a capital tells nothing: both.
  EXPECT_EQ(extract("China."), (Words{"china", "China"}));
  // A word stored only with capitals is found from any case.
  EXPECT_EQ(extract("monday MONDAY mondays"), (Words{"Monday"}));
}

TEST_F(ExtractReadingTest, APluralOfTwoNounsGivesBothTheCommonerFirst) {
  EXPECT_EQ(extract("the bases"), (Words{"the", "base", "basis"}));
  EXPECT_EQ(extract("axes"), (Words{"ax", "axis"}));
  // A verb's third person that is a noun's plural stays apart ("the lives").
  EXPECT_EQ(extract("the lives"), (Words{"the", "life"}));
}

TEST_F(ExtractReadingTest, TheWordBeforeAPastOrABaseFormDecidesWhichWordItIs) {
  // A subject makes a past the verb's; one that is itself a verb may be its present after
  // "we", never after "he", and after "had" a past participle.
  EXPECT_EQ(extract("we left. she saw. we saw"), (Words{"leave", "see"}));
  EXPECT_EQ(extract("we found"), (Words{"found", "find"}));
  EXPECT_EQ(extract("he found. they had found"), (Words{"find"}));
  // A modal verb or "to" wants the base form.
  EXPECT_EQ(extract("they will found. to found"), (Words{"found"}));
  // A noun is the subject where the form takes an object; else it may be a compound.
  EXPECT_EQ(extract("the dog bit the"), (Words{"the", "dog", "bite"}));
  EXPECT_EQ(extract("a dog bit"), (Words{"a", "dog", "bit", "bite"}));
  // Where nothing before it decides, or only a comma, both stay.
  EXPECT_EQ(extract("Saw, saw"), (Words{"saw", "see"}));
  EXPECT_EQ(extract("she, saw"), (Words{"saw", "see"}));
  EXPECT_EQ(extract("he lives. Lucy lives"), (Words{"live"}));
  EXPECT_EQ(extract("he filled"), (Words{"fill"}));
  // An irregular comparative that is a headword is that word alone.
  EXPECT_EQ(extract("more"), (Words{"more"}));
}

TEST_F(ExtractReadingTest, AModalLeadsItsBaseFormOnlyWhereItIsTheModal) {
  EXPECT_EQ(extract("we can found"), (Words{"can", "found"}));
  // After a determiner or a possessive it is a noun, the subject where an object follows.
  EXPECT_EQ(extract("the can found"), (Words{"the", "can", "found", "find"}));
  EXPECT_EQ(extract("the can saw the dog. Lucy's can saw the dog"),
            (Words{"the", "can", "see", "dog"}));
  // Capitalised, only before its subject: else a name or a month, the subject of a past.
  EXPECT_EQ(extract("Can saw"), (Words{"can", "see"}));
  EXPECT_EQ(extract("May saw"), (Words{"may", "May", "see"}));
  // After a noun that a determiner leads, a modal that is a noun too is the modal only
  // before the verb's object.
  EXPECT_EQ(extract("the tin can saw the dog"), (Words{"the", "tin", "can", "saw", "dog"}));
  EXPECT_EQ(extract("the tin can saw"), (Words{"the", "tin", "can", "saw", "see"}));
  // A form that is no verb of its own is the verb's too after a modal, not after "to".
  EXPECT_EQ(extract("we may spoke"), (Words{"may", "spoke", "speak"}));
  EXPECT_EQ(extract("to left"), (Words{"left"}));
}

TEST_F(ExtractReadingTest, ANameOrTheRichIsTheSubjectOfTheVerbAfterIt) {
  EXPECT_EQ(extract("Mrs White left the"), (Words{"Mrs", "leave", "the"}));
  EXPECT_EQ(extract("the rich left the"), (Words{"the", "rich", "leave"}));
  // Other adjectives lead their noun; a plural verb's form is no "the rich"'s.
  EXPECT_EQ(extract("the red left the"), (Words{"the", "red", "left"}));
  EXPECT_EQ(extract("the rich leaves"), (Words{"the", "rich", "leaf"}));
}

TEST_F(ExtractReadingTest, AThirdPersonOfTwoNounsPluralIsTheVerbsAndCapitalsOfAPronounAreNone) {
  EXPECT_EQ(extract("she bases. the dog bases the"), (Words{"base", "the", "dog"}));
  EXPECT_EQ(extract("nobody lives"), (Words{"live"}));
  EXPECT_EQ(extract("the bases. bases"), (Words{"the", "base", "basis"}));
  EXPECT_EQ(extract("the US, US."), (Words{"the"}));
  EXPECT_EQ(extract("TELL US"), (Words{"us"}));
}

TEST_F(ExtractReadingTest, AVerbsThirdPersonThatIsAWordOfItsOwnIsTheVerbsAfterASubject) {
  // A plural that is also the verb's third person keeps the verb wherever it stands.
  EXPECT_EQ(extract("she archives"), (Words{"archive"}));
  EXPECT_EQ(extract("the archives"), (Words{"the", "archive", "archives"}));
  // A word of its own is the verb's only after a subject.
  EXPECT_EQ(extract("by means. she means"), (Words{"means", "mean"}));
}

TEST_F(ExtractReadingTest, APastAfterTheRichIsTheirsUnlessTheSentencesVerbFollows) {
  EXPECT_EQ(extract("the old saw early"), (Words{"the", "old", "see", "early"}));
  // "cut" is its own past, as its card says.
  EXPECT_EQ(extract("the old saw cut"), (Words{"the", "old", "saw", "cut"}));
}

TEST_F(ExtractReadingTest, NoIngFormLeavesABaseOfTwoLettersAndAPlacesNameHasNoVerb) {
  EXPECT_EQ(extract("Ming ming"), Words{});
  EXPECT_EQ(extract("along Rose Avenue"), (Words{"rose"}));
  EXPECT_EQ(extract("along Rose"), (Words{"rose", "rise"}));
}

TEST_F(ExtractReadingTest, AnIngFormOfADoubledLastLetterMayLeaveABaseOfTwo) {
  EXPECT_EQ(extract("upping"), Words{"up"});
  EXPECT_EQ(extract("Upping"), Words{"up"});
}

TEST_F(ExtractReadingTest, ACapitalisedIngWordNeverWrittenInLowerCaseIsAGivenName) {
  EXPECT_EQ(extract("turn Lining. turn Ping, turn Daming"), Words{"turn"});
  // Written in lower case anywhere in the text, it is the word everywhere.
  EXPECT_EQ(extract("turn Ping. a ping."), (Words{"turn", "ping", "a"}));
  EXPECT_EQ(extract("turn Lining. lining"), (Words{"turn", "line"}));
  // A determiner before it makes it a thing's name.
  EXPECT_EQ(extract("the Lining"), (Words{"the", "line"}));
  // A headline: a name after a surname, else a word.
  EXPECT_EQ(extract("Zantor Ping"), Words{});
  EXPECT_EQ(extract("Turn Lining Left"), (Words{"turn", "line", "left", "leave"}));
  EXPECT_EQ(extract("turn Lining Left"), (Words{"turn", "line", "left", "leave"}));
  // At a sentence's start, only a word in Chinese syllables of which no reading is a verb.
  EXPECT_EQ(extract("Daming turned. Lining turned. Upping turned. Funding turned."),
            (Words{"turn", "line", "up", "fund"}));
  // A headword of its own is its word, but for a Chinese syllable.
  EXPECT_EQ(extract("turn Thanksgiving"), (Words{"turn", "thanksgiving"}));
}

TEST_F(ExtractReadingTest, AStreetsNameHasNoVerbAndMoreAdjectivesNamePeopleAfterThe) {
  EXPECT_EQ(extract("along Rose Way. along Rose Hill. along Rose Crescent"), (Words{"rose"}));
  EXPECT_EQ(extract("the famous left the"), (Words{"the", "famous", "leave"}));
}

TEST_F(ExtractReadingTest, AWordWithAccentsIsTheWordWithoutThemOrNone) {
  EXPECT_EQ(extract("r\u00e9sum\u00e9 caf\u00e9s na\u00efve"), (Words{"resume", "cafe", "naive"}));
  EXPECT_EQ(extract("Caf\u00e9. CAF\u00c9"), (Words{"cafe"}));
  // Accents typed apart from their letters; a word that is none without them.
  EXPECT_EQ(extract("cafe\u0301 cr\u00e8me r\u00e9sum\u00e9\u0301x"), (Words{"cafe"}));
}

TEST_F(ExtractReadingTest, CapitalisedWordsAfterATitleOrBesideANameGiveNothing) {
  EXPECT_EQ(extract("Lucy Brook sang. I met Lucy Brook."), Words{});
  EXPECT_EQ(extract("Mrs. White sang, and Mrs White too."), (Words{"Mrs"}));
  EXPECT_EQ(extract("Tom Brook left."), (Words{"leave"}));
  // Alone, or beside capitals that books teach (a headline), a capital is its word.
  EXPECT_EQ(extract("We met Brook."), (Words{"brook"}));
  EXPECT_EQ(extract("White Brook Left Early"), (Words{"white", "brook", "left", "leave", "early"}));
  // A comma parts a title from the word after it.
  EXPECT_EQ(extract("Mrs, White"), (Words{"Mrs", "white"}));
  // A title that is a word gives it, before a name of any kind.
  EXPECT_EQ(extract("Aunt Brook sang. We met Aunt Zantor."), (Words{"aunt"}));
}

TEST_F(ExtractReadingTest, CapitalsBesideANameAreANameOnlyWhereTheyNameAPerson) {
  // One taught word beside untaught ones names a person, on either side.
  EXPECT_EQ(extract("We met Bill Zantor and Lucy Brook Zantor."), Words{});
  // Two or more are the words of a thing's name or a headline, each read as a word.
  EXPECT_EQ(extract("We read the Zantor White Brook Bill."),
            (Words{"the", "white", "brook", "bill"}));
  EXPECT_EQ(extract("Zantor Brook Left Early"), (Words{"brook", "left", "leave", "early"}));
  // A sentence's first word could be any word: it makes no name a thing's.
  EXPECT_EQ(extract("Early Lucy Brook sang."), (Words{"early"}));
  // So does a word that ends the name of a place: no one is called Park.
  EXPECT_EQ(extract("We met in Zantor Park."), (Words{"park"}));
  // A determiner does: no one is "the Zantor Brook".
  EXPECT_EQ(extract("We met the Zantor Brook. The Zantor Bill"), (Words{"the", "brook", "bill"}));
}

TEST_F(ExtractReadingTest, AnAdverbThatIsNoHeadwordGivesItsAdjective) {
  EXPECT_EQ(extract("patiently happily gently truly fully basically"),
            (Words{"patient", "happy", "gentle", "true", "full", "basic"}));
  // A headword of its own stays itself; a noun is no adjective ("billy" is no bill's).
  EXPECT_EQ(extract("early billy"), (Words{"early"}));
}

TEST_F(ExtractReadingTest, AModalsCapitalInsideASentenceIsAMonthOrANameAndLeadsNoBaseForm) {
  EXPECT_EQ(extract("in May she left the"), (Words{"May", "leave", "the"}));
  EXPECT_EQ(extract("in May we saw. in May they found"), (Words{"May", "see", "found", "find"}));
  // Where a sentence or a quote starts, it is the modal before its subject.
  EXPECT_EQ(extract("May we saw"), (Words{"may", "May", "saw"}));
  EXPECT_EQ(extract("he said, \"May we saw"), (Words{"say", "may", "May", "saw"}));
}

TEST_F(ExtractReadingTest, APastIsItsVerbsAfterItsSubjectWhicheverRowTheVerbsCardOpensWith) {
  // "dry" opens with its adjective: "dried" is the verb's after a subject, "had" or a noun
  // with an object, and the word of its own where nothing decides or a determiner leads it.
  EXPECT_EQ(extract("he dried the"), (Words{"dry", "the"}));
  EXPECT_EQ(extract("we dried. they had dried"), (Words{"dry"}));
  EXPECT_EQ(extract("the dog dried the"), (Words{"the", "dog", "dry"}));
  EXPECT_EQ(extract("dried. the dried. a dog dried"), (Words{"dried", "the", "a", "dog"}));
  // A question puts "be" before the subject: the adjective.
  EXPECT_EQ(extract("are you dried"), (Words{"dried"}));
  // No more than before where the verb opens its card.
  EXPECT_EQ(extract("he filled the. filled"), (Words{"fill", "the", "filled"}));
}

TEST_F(ExtractReadingTest, TheOrderOfACardsRowsDecidesNoPastAfterItsSubject) {
  const char* const texts[] = {
      "he dried the", "we dried",      "they had dried",      "the dog dried the",
      "the dried",    "are you dried", "we tired. the tired", "the dogs dried themselves"};
  std::vector<Words> before;
  for (const char* text : texts) before.push_back(extract(text));
  replaceMeanings("dry", {"v. 弄干", "adj. 干的"});
  replaceMeanings("tire", {"v. 使疲倦", "n. 轮胎"});
  for (size_t k = 0; k < std::size(texts); ++k) EXPECT_EQ(extract(texts[k]), before[k]) << texts[k];
  EXPECT_EQ(before[0], (Words{"dry", "the"}));
  EXPECT_EQ(before[6], (Words{"tire", "the", "tired"}));
}

TEST_F(ExtractReadingTest, ANounThatMayBeAnAdjectiveIsTheSubjectOfAPastOrAThirdPerson) {
  // One that its card opens as a noun, whatever follows.
  EXPECT_EQ(extract("the patient felt"), (Words{"the", "patient", "felt", "feel"}));
  // One with a plural, before the verb's object; an adjective with none leads its noun.
  EXPECT_EQ(extract("the chief left the"), (Words{"the", "chief", "leave"}));
  EXPECT_EQ(extract("the chief left"), (Words{"the", "chief", "left"}));
  EXPECT_EQ(extract("the red left the"), (Words{"the", "red", "left"}));
  // So it is of "axes", and a number starts the object as a determiner does.
  EXPECT_EQ(extract("the chief axes the"), (Words{"the", "chief", "ax"}));
  EXPECT_EQ(extract("the club axes three"), (Words{"the", "club", "ax", "three"}));
}

TEST_F(ExtractReadingTest, ANounBeforeLivesIsItsSubjectWhereAVerbWithoutObjectGoesOn) {
  EXPECT_EQ(extract("my friend lives in"), (Words{"friend", "live"}));
  EXPECT_EQ(extract("my friend lives the"), (Words{"friend", "live", "the"}));
  // Not before "of", another verb or the end, nor after a verb's form.
  EXPECT_EQ(extract("my friend lives of"), (Words{"friend", "life", "live"}));
  EXPECT_EQ(extract("my friend lives"), (Words{"friend", "life", "live"}));
  EXPECT_EQ(extract("we saw leaves in"), (Words{"see", "leaf", "leave"}));
}

TEST_F(ExtractReadingTest, AClausesVerbAfterThePhraseMakesLeavesANounAndAPastAnAdjective) {
  EXPECT_EQ(extract("the dog leaves in the park were"), (Words{"the", "dog", "leaf", "park"}));
  EXPECT_EQ(extract("the dog leaves in the park"), (Words{"the", "dog", "leave", "park"}));
  EXPECT_EQ(extract("the dog leaves in the park that were"),
            (Words{"the", "dog", "leave", "park"}));
  EXPECT_EQ(extract("someone filled in the park should"), (Words{"filled", "the", "park"}));
  EXPECT_EQ(extract("someone filled the park"), (Words{"fill", "the", "park"}));
}

TEST_F(ExtractReadingTest, ANounsPastReachesItsVerbPastAnAdverbAndAndAndBeforeAParticle) {
  EXPECT_EQ(extract("the dog dried up"), (Words{"the", "dog", "dry", "up"}));
  EXPECT_EQ(extract("the dog never dried the"), (Words{"the", "dog", "dry"}));
  EXPECT_EQ(extract("he left and dried the"), (Words{"leave", "dry", "the"}));
  // Not where the first past is no verb of a subject.
  EXPECT_EQ(extract("the dried and dried"), (Words{"the", "dried"}));
  EXPECT_EQ(extract("dried and dried"), (Words{"dried"}));
}

// The text page's extraction thread may still be reading a text as the process exits: the tables
// it reads (here the Chinese syllables that tell a given name in -ing) are whole until the end.
// Each round is a process of its own whose thread extracts through the exit.
TEST_F(ExtractReadingTest, AnExtractionGoingOnAsTheProcessExitsFindsItsTables) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(10, [] {
    static std::atomic<bool> extracted{false};
    std::thread([] {
      const std::string text = "Liming felt the red leaves. Daming saw Liping at the base.";
      const Words first = extract(text);
      for (;;) {
        if (extract(text) != first) std::abort();
        extracted = true;
      }
    }).detach();
    while (!extracted) std::this_thread::yield();
  });
  EXPECT_EQ(rounds.failed, 0) << "of 10 exits; first: " << rounds.firstFailure;
}

}  // namespace
