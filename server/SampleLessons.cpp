// The server program's daily lessons: a few sentences taken in turn, one a day, so that the lesson
// screen has something to show on any day without anyone writing lessons first.
#include "server/State.h"

namespace standin {
namespace {

constexpr int64_t kDay = 86400;

struct Sample {
  const char* sentence;
  const char* translate;
  const char* luckyWords;
};

constexpr Sample kSamples[] = {
    {"Practice makes perfect.", "熟能生巧。", "practice perfect make"},
    {"Where there is a will, there is a way.", "有志者，事竟成。", "will way"},
    {"Knowledge is power.", "知识就是力量。", "knowledge power"},
    {"A friend in need is a friend indeed.", "患难见真情。", "friend need indeed"},
    {"Time and tide wait for no man.", "岁月不待人。", "time tide wait"},
    {"Well begun is half done.", "好的开始是成功的一半。", "begin half"},
    {"Actions speak louder than words.", "事实胜于雄辩。", "action speak loud"},
};
constexpr int64_t kSampleCount = sizeof kSamples / sizeof kSamples[0];

}  // namespace

Lesson sampleLesson(int dayIndex, int64_t now) {
  const int64_t day = now / kDay - dayIndex;
  const Sample& sample = kSamples[((day % kSampleCount) + kSampleCount) % kSampleCount];
  Lesson lesson;
  lesson.sentence = sample.sentence;
  lesson.translate = sample.translate;
  lesson.luckyWords = sample.luckyWords;
  lesson.time = day * kDay + kDay / 2;
  lesson.lottery = "<p>每天学完幸运单词的学员都有机会获得奖品，加油！</p>";
  return lesson;
}

}  // namespace standin
