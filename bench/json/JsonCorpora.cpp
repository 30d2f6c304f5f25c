#include "bench/json/JsonCorpora.h"

#include <cstdint>
#include <cstdio>

namespace {

// A fixed generator, so every run and every library decodes the same bytes.
class Lcg {
 public:
  uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }
  uint32_t below(uint32_t n) { return next() % n; }

 private:
  uint64_t state_ = 20240601;
};

const char* const kPhrases[] = {
    "记忆", "单词", "联想", "词根", "前缀", "后缀",   "发音", "例句", "复习", "遗忘", "曲线",
    "放弃", "坚持", "学习", "方法", "谐音", "拆分",   "故事", "图像", "口诀", "英语", "考试",
    "四级", "六级", "托福", "雅思", "每天", "进步",   "同学", "老师", "分享", "助记", "语法",
    "时态", "被动", "从句", "名词", "动词", "形容词", "副词", "，",   "。",   "！",   "、"};
const char* const kWords[] = {"abandon",  "ability", "absorb",    "abstract",
                              "academic", "access",  "accompany", "accurate",
                              "achieve",  "acquire", "adapt",     "adequate"};

std::string chineseText(Lcg& rng, size_t phrases) {
  std::string text;
  for (size_t i = 0; i < phrases; ++i) {
    text += kPhrases[rng.below(sizeof kPhrases / sizeof *kPhrases)];
    uint32_t roll = rng.below(40);
    if (roll == 0) text += "\\n";  // the notes' line breaks
    if (roll == 1) text += " \\\"";
    if (roll == 2) text += " abc ";
  }
  return text;
}

void appendNote(std::string& out, Lcg& rng, unsigned id) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer,
                "{\"id\":%u,\"word_id\":%u,\"word\":\"%s\",\"num\":%u,\"score\":%u.%02u,"
                "\"time\":%u,\"flag\":%u,\"text\":\"",
                id, 1000 + rng.below(30000), kWords[rng.below(12)], rng.below(500), rng.below(5),
                rng.below(100), 1700000000 + rng.below(30000000), rng.below(2));
  out += buffer;
  out += chineseText(rng, 8 + rng.below(40));
  out += "\",\"name\":\"";
  // Some servers escape every non-ASCII character.
  if (rng.below(8) == 0)
    out += "\\u5b66\\u4e60\\u8005";
  else
    out += "学习者";
  std::snprintf(buffer, sizeof buffer, "%u\",\"tags\":[\"%s\",\"%s\"]}", rng.below(100000),
                kPhrases[rng.below(10)], kPhrases[rng.below(10)]);
  out += buffer;
}

void appendRow(std::string& out, Lcg& rng, unsigned id) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "[%u,\"", id);
  out += buffer;
  out += chineseText(rng, 4 + rng.below(20));
  std::snprintf(buffer, sizeof buffer, "\",%u,%u,\"用户%u\",%u]", rng.below(300),
                1700000000 + rng.below(30000000), rng.below(9999), rng.below(2));
  out += buffer;
}

const char* const kEnglish[] = {
    "remember", "the",   "root",   "of",      "this",  "word",   "comes", "from", "latin",
    "meaning",  "to",    "leave",  "behind",  "think", "of",     "a",     "ship", "left",
    "at",       "sea",   "by",     "its",     "crew",  "sounds", "like",  "bend", "on",
    "and",      "don't", "forget", "example", "story", "prefix", "ab-",   "away", "quickly"};

std::string englishText(Lcg& rng, size_t words) {
  std::string text;
  for (size_t i = 0; i < words; ++i) {
    if (i > 0) text += ' ';
    text += kEnglish[rng.below(sizeof kEnglish / sizeof *kEnglish)];
    uint32_t roll = rng.below(60);
    if (roll == 0) text += "\\n";
    if (roll == 1) text += " \\\"quoted\\\"";
    if (roll == 2) text += ".";
  }
  return text;
}

void appendEnglishNote(std::string& out, Lcg& rng, unsigned id) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer,
                "{\"id\":%u,\"word_id\":%u,\"word\":\"%s\",\"num\":%u,\"time\":%u,"
                "\"flag\":%s,\"text\":\"",
                id, 1000 + rng.below(30000), kWords[rng.below(12)], rng.below(500),
                1700000000 + rng.below(30000000), rng.below(2) ? "true" : "false");
  out += buffer;
  out += englishText(rng, 6 + rng.below(30));
  std::snprintf(buffer, sizeof buffer,
                "\",\"name\":\"learner%u\",\"email\":\"user%u@example.com\",\"note\":null,"
                "\"tags\":[\"%s\",\"%s\"]}",
                rng.below(100000), rng.below(100000), kWords[rng.below(12)],
                kEnglish[rng.below(10)]);
  out += buffer;
}

void appendNumberRow(std::string& out, Lcg& rng, unsigned day) {
  char buffer[256];
  // A day log: the day id, word counts, a signed change, a rate, a memory duration with an
  // exponent, and a large id.
  std::snprintf(buffer, sizeof buffer, "[%u,%u,%u,%u,%d,%u.%04u,%u.%03ue%d,%llu]", day,
                rng.below(300), rng.below(3000), rng.below(30000),
                static_cast<int>(rng.below(2000)) - 1000, rng.below(2), rng.below(10000),
                1 + rng.below(9), rng.below(1000), static_cast<int>(rng.below(10)) - 5,
                1000000000000ULL + rng.next() * 977ULL);
  out += buffer;
}

}  // namespace

std::string makeReplyCorpus(size_t targetBytes) {
  Lcg rng;
  std::string notes, rows;
  unsigned id = 100000;
  // The head and tail take about 200 bytes; notes and rows fill the rest, two to one.
  while (notes.size() + rows.size() + 200 < targetBytes) {
    if (!notes.empty()) notes += ',';
    appendNote(notes, rng, id++);
    if (id % 2 == 0) {
      if (!rows.empty()) rows += ',';
      appendRow(rows, rng, id);
    }
  }
  std::string out =
      "{\"result\":1,\"msg\":\"获取成功\",\"relogin\":0,\"time\":1712345678,"
      "\"syn_var\":{\"nNewMsgCount\":\"2\",\"nLastSynId\":\"10086\",\"v_lexicon\":\"3\"},"
      "\"list\":[";
  out += notes;
  out += "],\"rows\":[";
  out += rows;
  out += "],\"page\":{\"index\":1,\"size\":20,\"more\":true,\"ratio\":0.618}}";
  return out;
}

std::string makeAsciiCorpus(size_t targetBytes) {
  Lcg rng;
  std::string notes;
  unsigned id = 100000;
  while (notes.size() + 200 < targetBytes) {
    if (!notes.empty()) notes += ',';
    appendEnglishNote(notes, rng, id++);
  }
  std::string out =
      "{\"result\":1,\"msg\":\"success\",\"relogin\":0,\"time\":1712345678,"
      "\"syn_var\":{\"nNewMsgCount\":\"2\",\"nLastSynId\":\"10086\"},\"list\":[";
  out += notes;
  out += "],\"page\":{\"index\":1,\"size\":20,\"more\":false}}";
  return out;
}

std::string makeNumberCorpus(size_t targetBytes) {
  Lcg rng;
  std::string rows;
  unsigned day = 8000;
  while (rows.size() + 100 < targetBytes) {
    if (!rows.empty()) rows += ',';
    appendNumberRow(rows, rng, day++);
  }
  return "{\"result\":1,\"days\":[" + rows + "],\"total\":" + std::to_string(day) + "}";
}
