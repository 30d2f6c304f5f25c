// Meanings a teacher would hand out, read from the shipped learn.db: the everyday sense among the
// first, no line of another word, no word in the frequency books for a sense no teacher teaches,
// and the words of computing, money and print that learners meet.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "store/CallDB.h"
#include "tests/tools/ShippedStore.h"
#include "tools/TsvFile.h"

namespace toolstest {
namespace {

using plat::Value;

// How a card's meanings must read: the first begins with `start`, `shown` stands among them and
// `hidden` ("" for none) does not.
struct CardOpening {
  const char* word;
  const char* start;
  const char* shown;
  const char* hidden;
};

class ShippedMeaningsTest : public ShippedStoreTest {
 protected:
  void expectOpening(const CardOpening& c) {
    const std::string all = meanings(c.word);
    EXPECT_EQ(firstMeaning(c.word).rfind(c.start, 0), 0u) << c.word << ": " << all;
    EXPECT_NE(all.find(c.shown), std::string::npos) << c.word << ": " << all;
    if (*c.hidden) {
      EXPECT_EQ(all.find(c.hidden), std::string::npos) << c.word << ": " << all;
    }
  }
  // Whether a book of the frequency classes (基础, 核心, 进阶词汇 and books 800/801) holds it.
  bool inFrequencyBooks(const std::string& word) {
    for (int64_t book : booksOf(word))
      if ((book > 100 && book < 400) || book == 800 || book == 801) return true;
    return false;
  }
  std::string forms(const std::string& word) {
    return firstRow("Words_Transform", "wt_tRelatedWords", word);
  }
};

TEST_F(ShippedMeaningsTest, TheEverydaySenseComesFirstAndNoOtherWordsLineStands) {
  const CardOpening cases[] = {
      {"gay", "adj. 同性恋的", "同性恋者", ""},
      {"pitch", "n. 球场", "音高", ""},
      {"tan", "n. 晒黑", "v. 晒黑", "马戏团"},
      {"butt", "n. 屁股", "烟蒂", ""},
      // An adjective or adverb that showed the senses of the word it comes from.
      {"supportive", "adj. 支持的", "鼓励", "伴奏"},
      {"officially", "adv. 正式地", "官方", "公务员"},
      {"phenomenally", "adv. 非凡地", "惊人", "现象"},
      {"depressing", "adj. 令人沮丧的", "阴沉", "抑压"},
      {"hardly", "adv. 几乎不", "简直不", ""},
      {"separately", "adv. 分开地", "单独", "灵魂"},
      {"bluff", "n. 虚张声势", "悬崖", ""},
      {"hunch", "n. 预感", "耸", ""},
      {"nutty", "adj. 有坚果味的", "古怪", ""},
      {"armory", "n. 军械库", "兵工厂", ""},
      {"musketeer", "n. 火枪手", "步枪兵", "火枪车"},
      {"mitigate", "v. 减轻", "缓和", "温和"},
      {"contemplate", "v. 考虑", "沉思", "注视"},
      {"intersection", "n. 十字路口", "交集", ""},
      // Exam words read as a teacher would.
      {"instance", "n. 例子", "情况", "建议"},
      {"valid", "adj. 有效的", "合理", ""},
      {"tidy", "adj. 整齐的", "v. 收拾", "椅子"},
      {"tap", "n. 水龙头", "轻敲", ""},
      {"jog", "v. 慢跑", "轻推", ""},
      {"controversial", "adj. 有争议的", "争论", ""},
      {"council", "n. 委员会", "议会", ""},
      {"account", "n. 账户", "解释", ""},
      {"feeling", "n. 感觉", "情绪", ""},
      {"depression", "n. 抑郁", "萧条", ""},
      {"nowadays", "adv. 现今", "如今", "n."},
      {"unexpectedly", "adv. 出乎意料地", "意外地", "想不到的"},
      // Function words keep the content word of the same letters.
      {"like", "v. 喜欢", "prep. 像", ""},
      {"can", "v. 能", "n. 罐头", ""},
      {"will", "v. 将", "n. 意志", ""},
      {"mine", "pron. 我的", "n. 矿", ""},
      {"over", "prep. ", "adv. 结束", ""},
      // Words a reader meets, and frequency-book cards read as a teacher would.
      {"slew", "n. 大量", "旋转", "slay"},
      {"beeper", "n. 寻呼机", "蜂鸣器", "驾驶飞机"},
      {"whatnot", "n. 诸如此类", "等等", ""},
      {"titanic", "adj. 巨大的", "重大", "四价钛"},
      {"Titanic", "n. 泰坦尼克号", "邮轮", "四价钛"},
      {"bulldog", "n. 斗牛犬", "牛头犬", "喇叭狗"},
      {"pay", "v. 支付", "工资", "防水"},
      {"long", "adj. 长的", "渴望", "多头"},
      {"click", "v. 点击", "咔哒", ""},
      {"project", "n. 项目", "计划", ""},
      {"letter", "n. 信", "字母", "出租人"},
      {"shock", "n. 震惊", "休克", "长毛狗"},
      {"geek", "n. 极客", "书呆子", "滑稽表演"},
      // A line of another word (hardy's is hard's), a slip of the hand, the sense of another
      // word of the same letters (spine the thorn), the everyday sense last.
      {"hardy", "adj. 耐寒的", "强壮", "难的"},
      {"soon", "adv. 很快", "不久", "宁可"},
      {"excursion", "n. 远足", "短途旅行", "游览圆"},
      {"spinal", "adj. 脊柱的", "脊髓", "针的"},
      {"specialize", "v. 专门从事", "专攻", ""},
      {"facial", "adj. 面部的", "美容", ""},
      {"mar", "v. 损毁", "瑕疵", "三月"},
      {"sleigh", "n. 雪橇", "乘雪橇", "雪撬"},
      {"overturn", "v. 推翻", "倾覆", ""},
      {"trick", "n. 诡计", "诀窍", "决窍"},
      {"hustle", "n. 忙碌", "推挤", "心碌"},
      {"locker", "n. 储物柜", "更衣柜", "抽屉"},
      {"crow", "n. 乌鸦", "鸡鸣", ""},
      {"dry", "adj. 干的", "v. 把…弄干", ""},
      {"bat", "n. 蝙蝠", "v. 用球棒", ""},
      {"hip", "n. 臀部", "adj. 时髦的", "忧郁"},
      {"gut", "n. 内脏", "勇气", "剧情"},
      // The everyday sense the dictionary's line lacked, and its slips of the hand.
      {"backup", "n. 备份", "后援", ""},
      {"customer", "n. 顾客", "客户", ""},
      {"sustainable", "adj. 可持续的", "维持", "养得起"},
      {"hardcore", "adj. 铁杆的", "露骨", "性行为"},
      {"expensive", "adj. 昂贵的", "奢华", "乱化钱"},
      {"aggressive", "adj. 好斗的", "挑衅", "挑畔"},
      {"stew", "n. 炖菜", "v. 炖", "妓院"},
      {"allergy", "n. 过敏", "反感", ""},
      {"sour", "adj. 酸的", "n. 酸味", ""},
      {"angler", "n. 垂钓者", "钓鱼的人", "攫取"},
      {"time", "n. 时间", "时候", "时侯"},
      {"cloak", "n. 斗篷", "掩护", "斗蓬"},
  };
  for (const auto& c : cases) expectOpening(c);
}

// The most frequent cards open with what a learner's dictionary gives first, whole part-of-speech
// rows moved where the noun or preposition comes first; the word keeps its id and books, the
// English meaning follows the row the card now opens with, and a past still gives its verb.
TEST_F(ShippedMeaningsTest, FrequentCardsOpenWithTheSenseALearnerMeetsFirst) {
  const CardOpening cases[] = {
      {"condo", "n. 公寓", "公寓大楼", "统治"},
      {"word", "n. 单词", "诺言", ""},
      {"party", "n. 聚会", "政党", ""},
      {"bar", "n. 酒吧", "v. 禁止", ""},
      {"race", "n. 比赛", "种族", ""},
      {"cell", "n. 细胞", "牢房", ""},
      {"evidence", "n. 证据", "迹象", ""},
      {"dude", "n. 老兄", "家伙", ""},
      {"except", "prep. 除了", "v. 把…除外", ""},
      {"risk", "n. 风险", "v. 冒…的危险", ""},
      {"judge", "n. 法官", "评委", ""},
      {"dress", "n. 连衣裙", "v. 穿衣", ""},
      {"screw", "n. 螺钉", "v. 拧", ""},
      {"medium", "adj. 中等的", "媒介", ""},
      {"post", "n. 邮件", "张贴", "张帖"},
  };
  for (const auto& c : cases) expectOpening(c);
  EXPECT_EQ(number("select wl_uWordID from Words_Library where wl_tWord = 'condo'"), 8563);
  EXPECT_EQ(booksOf("condo"), (std::vector<int64_t>{302, 801}));
  const struct {
    const char* word;
    const char* start;
  } english[] = {{"screw", "n. a fastener"},
                 {"judge", "n. a public official"},
                 {"party", "n. an occasion on which people can assemble"},
                 {"cell", "n. (biology)"}};
  for (const auto& e : english) {
    const std::string text = firstRow("Words_Meaning_En", "wme_tData", e.word);
    EXPECT_EQ(text.rfind(e.start, 0), 0u) << e.word << ": " << text;
  }
  for (const auto& [text, verb] :
       {std::pair{"She dressed quickly and went out.", "dress"},
        std::pair{"They risked their lives.", "risk"}, std::pair{"He noted the time.", "note"},
        std::pair{"She witnessed the crash.", "witness"},
        std::pair{"He screwed the lid on.", "screw"}})
    EXPECT_TRUE(holds(extract(text), verb)) << text;
}

// Words whose frequency rank comes from a slur or slang stand in no frequency book; an exam list
// keeps its word, and the library keeps the word for a learner's texts.
TEST_F(ShippedMeaningsTest, NoFrequencyBookTeachesAWordForASenseNoTeacherHandsOut) {
  const std::string path = std::string(VOCAB_SOURCE_DIR) + "/resources/words/unbanded_words.txt";
  const tools::TsvFile list = tools::TsvFile::read(path, true);
  std::set<std::string> unbanded;
  for (const tools::TsvRecord& r : list.records()) unbanded.insert(r.fields[0]);
  for (const char* word : {"tit", "dope", "fart", "retard"}) EXPECT_TRUE(unbanded.count(word));
  for (const std::string& word : unbanded) {
    EXPECT_FALSE(inFrequencyBooks(word)) << word;
    EXPECT_EQ(number("select count(*) from Words_Library where wl_tWord = '" + word + "'"), 1)
        << word;
  }
  // retard keeps its 六级 books for the verb; dope no longer names the user first.
  EXPECT_FALSE(booksOf("retard").empty());
  EXPECT_EQ(firstMeaning("retard").rfind("v. 阻止；延迟", 0), 0u) << meanings("retard");
  EXPECT_EQ(meanings("dope").find("吸毒者"), std::string::npos) << meanings("dope");
  // The frequency books stay whole: the next words move up.
  EXPECT_EQ(number("select count(*) from book_words where f_b_uId in (800, 801)"), 7000);
}

TEST_F(ShippedMeaningsTest, WordsOfComputingMoneyAndPrintAreHeadwords) {
  const struct {
    const char* word;
    const char* start;
  } cases[] = {{"byte", "n. 字节"},        {"font", "n. 字体"},
               {"euro", "n. 欧元"},        {"spam", "n. 垃圾邮件"},
               {"haven", "n. 避风港"},     {"miscellaneous", "adj. 各种各样的"},
               {"compilation", "n. 汇编"}, {"adapter", "n. 适配器"},
               {"reprint", "n. 重印本"},   {"datum", "n. 数据"}};
  for (const auto& c : cases) {
    EXPECT_EQ(firstMeaning(c.word).rfind(c.start, 0), 0u) << c.word << ": " << meanings(c.word);
    EXPECT_EQ(number(std::string("select count(*) from Words_Library where wl_tWord = '") + c.word +
                     "' and wl_tPhonetics_USA <> '' and wl_tPhonetics_UK <> ''"),
              1)
        << c.word;
  }
  // datum is the singular of data, which keeps its own place in the first books; both stand in
  // the exam books whose lists hold them.
  EXPECT_EQ(forms("datum"), "#data");
  EXPECT_FALSE(booksOf("datum").empty());
  EXPECT_TRUE(inFrequencyBooks("data"));
  // haven takes the place its use in writing gives it, not the count of "haven't", which a text
  // still gives as have.
  for (int64_t book : booksOf("haven")) EXPECT_FALSE(book < 300 || book == 800) << book;
  EXPECT_FALSE(holds(extract("I haven't seen it."), "haven"));
  EXPECT_TRUE(holds(extract("The island was a safe haven for birds."), "haven"));
}

}  // namespace
}  // namespace toolstest
