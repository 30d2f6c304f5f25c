#include "tests/tools/WordSourceFixtures.h"

#include "tests/support/FixtureWords.h"

namespace toolstest {

void writeWordNetExtract(const std::string& folder) {
  auto write = [&](const std::string& name, const std::string& text) {
    testsupport::writeTextFile(folder + "/" + name, "  1 licence lines start with spaces\n" + text);
  };
  write("data.noun",
        "00000001 13 n 01 tree 0 000 | a tall perennial woody plant; \"the tree fell\"\n"
        "00000002 27 n 02 water 0 H2O 0 000 | a clear liquid; \"she drank some water\"\n"
        "00000003 13 n 01 apple 0 000 | fruit with red or green skin\n"
        "00000004 18 n 02 child 0 kid 0 000 | a young person; \"the children played\"\n"
        "00000005 04 n 01 walk 0 000 | the act of walking\n"
        "00000006 18 n 01 Paris 0 000 | the capital of France\n");
  write("data.verb",
        "00000011 38 v 01 walk 0 001 + 00000005 n 0101 01 + 02 00 | use one's feet to advance; "
        "\"we walked home\"\n"
        "00000012 38 v 01 run 0 000 01 + 02 00 | move fast on foot; \"he ran to the bus\"\n"
        "00000013 30 v 01 water 0 000 01 + 08 00 | supply with water; \"water the plants\"\n"
        "00000014 38 v 01 stop 0 000 01 + 02 00 | come to a halt\n");
  write("data.adj",
        "00000021 00 a 01 happy 0 001 ! 00000022 a 0101 | enjoying well-being; \"a happy child\"\n"
        "00000022 00 a 01 unhappy 0 001 ! 00000021 a 0101 | not happy\n");
  write("data.adv", "00000031 02 r 01 quickly 0 000 | with speed\n");
  write("index.noun",
        "tree n 1 0 1 1 00000001\nwater n 1 0 1 1 00000002\nh2o n 1 0 1 0 00000002\n"
        "apple n 1 0 1 1 00000003\nchild n 1 0 1 1 00000004\nkid n 1 0 1 0 00000004\n"
        "walk n 1 1 + 1 0 00000005\nparis n 1 0 1 0 00000006\n");
  write("index.verb",
        "walk v 1 1 + 1 1 00000011\nrun v 1 0 1 1 00000012\nwater v 1 0 1 1 00000013\n"
        "stop v 1 0 1 1 00000014\n");
  write("index.adj", "happy a 1 1 ! 1 1 00000021\nunhappy a 1 1 ! 1 0 00000022\n");
  write("index.adv", "quickly r 1 0 1 0 00000031\n");
  testsupport::writeTextFile(folder + "/noun.exc", "children child\n");
  testsupport::writeTextFile(folder + "/verb.exc",
                             "fell fall\nran run\nrunning run\nstopped stop\nstopping stop\n");
  testsupport::writeTextFile(folder + "/adj.exc", "happier happy\nhappiest happy\n");
  testsupport::writeTextFile(folder + "/adv.exc", "quicker quickly\n");
  testsupport::writeTextFile(folder + "/cntlist.rev",
                             "walk%2:38:00:: 1 20\nwalk%1:04:00:: 1 2\nwater%1:27:00:: 1 10\n"
                             "water%2:30:00:: 1 3\nhappy%3:00:00:: 1 5\ntree%1:13:00:: 1 4\n");
}

void writeWordDataExtract(const std::string& folder) {
  testsupport::writeTextFile(folder + "/cedict.txt",
                             "树\t樹\tshu4\ttree\n"
                             "树木\t樹木\tshu4 mu4\ttrees\n"
                             "水\t水\tshui3\twater\triver\tliquid\n"
                             "水\t水\tShui3\tsurname Shui\n"
                             "浇水\t澆水\tjiao1 shui3\tto water (plants etc)\n"
                             "喝水\t喝水\the1 shui3\tto drink water\n"
                             "水管\t水管\tshui3 guan3\twater pipe\n"
                             "水分\t水分\tshui3 fen4\tmoisture content\n"
                             "氵\t氵\tshui3\t(literary) water\n"
                             "苹果\t蘋果\tping2 guo3\tapple\n"
                             "孩子\t孩子\thai2 zi5\tchild\n"
                             "儿\t兒\ter2\tchild\tson\n"
                             "走\t走\tzou3\tto walk\tto go\n"
                             "散步\t散步\tsan4 bu4\tto take a walk; walk\n"
                             "停\t停\tting2\tto stop\tto halt\n"
                             "快乐\t快樂\tkuai4 le4\thappy; joyful\n"
                             "骂人\t罵人\tma4 ren2\tto swear at someone\tdamn\n"
                             "该死\t該死\tgai1 si3\tdamn\n"
                             "巴黎\t巴黎\tBa1 li2\tParis\n");
  // "apple" has only a subject field's line, so no meaning; "Paris" and "Monday" stand with
  // capitals, "Monday" on an exam list.
  testsupport::writeTextFile(folder + "/ecdict.txt",
                             "water\t'wɒ:tә\tn. 水, (美)雨水\\nvt. 给...浇水\\nvi. 流泪\\n"
                             "[化] 氧化氢\\na. 水的\t0\t0\tzk cet4\n"
                             "tree\ttri:\tn. 树, 树木\\n[植] 树木\t0\t0\tzk\n"
                             "walk\twɔ:k\tvi. 走, 步行\\nn. 散步\t0\t0\tzk\n"
                             "child\ttʃaild\tn. 孩子, 小孩\t0\t0\tzk\n"
                             "children\t'tʃildrәn\tn. 孩子们（child的复数）\t0\t0\tzk\n"
                             "happy\t'hæpi\ta. 快乐的, 幸福的\t0\t0\tcet4\n"
                             "stop\tstɒp\tv. 停止\t0\t0\tcet4\n"
                             "apple\t'æpl\t[植] 苹果\n"
                             "Paris\t'pæris\tn. 巴黎\t0\t0\n"
                             "Monday\t'mʌndi\tn. 星期一\t0\t0\tzk\n");
  testsupport::writeTextFile(folder + "/names.txt", "harry\nparis\n");
  testsupport::writeTextFile(folder + "/exchange.txt",
                             "walk\tp:walked/i:walking/s:walks/d:walked/3:walks\n"
                             "walked\t0:walk/1:pd\n"
                             "water\ts:waters/p:watered/d:watered/i:watering/3:waters\n"
                             "children\t0:child/1:s/s:childrens\n");
  testsupport::writeTextFile(folder + "/cmudict.txt",
                             "tree\tT R IY1\nwater\tW AO1 T ER0\nwater(2)\tW AA1 T ER0\n"
                             "apple\tAE1 P AH0 L\nchild\tCH AY1 L D\nwalk\tW AO1 K\n"
                             "the\tDH AH0\nhappy\tHH AE1 P IY0\n");
  testsupport::writeTextFile(folder + "/frequencies.txt",
                             "the\t100\nwalked\t50\ntree\t40\nParis\t35\nchildren\t25\n"
                             "water\t30\napple\t20\nwalk\t10\ndamn\t9\nstopped\t8\nhappy\t7\n"
                             "child\t5\nwatered\t4\nwalks\t3\ntrees\t3\nwaters\t3\napples\t3\n"
                             "Monday\t3\nMr\t3\n");
}

void writeCuratedExtract(const std::string& folder) {
  auto write = [&](const std::string& name, const std::string& text) {
    testsupport::writeTextFile(folder + "/" + name, text);
  };
  write("function_words.tsv", "the\t\tart. 这；那\n");
  write("function_words_en.tsv", "the\tart.\tused before a noun when it is clear which one\n");
  write("meaning_overrides.tsv", "Mr\tn. 先生\n");
  write("sound_overrides.tsv", "");
  write("examples_zh.tsv", "tree\tn.\tWe sat under a tree.\t我们坐在一棵树下。\n");
  write("excluded_words.txt", "damn\n");
  write("unfit_words.txt", "bastard\n");
  write("bookless_words.txt", "Trees\n");
  write("unbanded_words.txt", "");
  write("kept_off_synonyms.txt", "");
  write("chinese_slips.tsv", "");
  write("english_first.tsv", "");
  write("word_ids.tsv", "1\thappy\n");
  write("book_bands.tsv", "1\t基础词汇\t101\t1\t4\t2\n4\t常用词频\t800\t1\t6\t3\n");
  write("exam_books.tsv", "5\t中考词汇\tzk\t501\t2\n7\t四级词汇\tcet4\t701\t500\n");
  write("capitalised_words.txt", "Mr\n");
  write("added_words.txt", "");
  write("uncountable_nouns.txt", "");
}

}  // namespace toolstest
