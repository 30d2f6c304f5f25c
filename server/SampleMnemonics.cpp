#include "server/SampleMnemonics.h"

#include <sqlite3.h>

#include <iterator>
#include <memory>

namespace standin {
namespace {

struct Sample {
  const char* word;
  const char* text;
};

// Sound-alikes and word parts, each checked against the word's usual meaning.
constexpr Sample kSamples[] = {
    {"pest", "谐音“拍死它”：见了害虫就拍死它。"},
    {"ambulance", "谐音“俺不能死”：快叫救护车！"},
    {"bachelor", "谐音“白吃了”：单身汉天天到朋友家白吃一顿。"},
    {"economy", "谐音“依靠农民”：经济要依靠农民。"},
    {"island", "is + land：岛是(is)一块四面环水的陆地(land)，s不发音。"},
    {"heart", "心(heart)里有耳朵(ear)，才能听见(hear)别人的话。"},
    {"believe", "be + lie + ve：相信(believe)里面藏着谎言(lie)，别轻信。"},
    {"together", "to + get + her：去(to)得到(get)她(her)，从此在一起。"},
    {"hesitate", "he + sit + ate：他(he)坐下(sit)吃了(ate)又吃，犹豫着不肯走。"},
    {"ponder", "pond + er：坐在池塘(pond)边的人(er)，正在沉思。"},
    {"breakfast", "break + fast：打破(break)一夜的禁食(fast)，就是早餐。"},
    {"cupboard", "cup + board：放杯子(cup)的板(board)架，就是碗柜；p不发音。"},
    {"manuscript", "manu(手) + script(写)：用手写的稿子，就是手稿。"},
    {"friend", "fri + end：朋友(friend)是陪你走到最后(end)的人。"},
    {"knowledge", "know + ledge：知道(know)的越多，知识越多；k不发音。"},
    {"candidate", "can + did + ate：能(can)做事、做过(did)事、吃过(ate)苦，才配当候选人。"},
};
constexpr const char* kSharers[] = {"小林", "阿青", "背单词编辑部"};

}  // namespace

std::string addSampleMnemonics(State& state, const std::string& libraryPath) {
  if (!state.excellent.empty()) return "";
  sqlite3* opened = nullptr;
  const int status = sqlite3_open_v2(libraryPath.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> library(opened, sqlite3_close);
  sqlite3_stmt* prepared = nullptr;
  if (status != SQLITE_OK ||
      sqlite3_prepare_v2(opened, "select wl_uWordID from Words_Library where wl_tWord = ?", -1,
                         &prepared, nullptr) != SQLITE_OK) {
    return libraryPath + ": " + sqlite3_errmsg(opened);
  }
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> lookup(prepared, sqlite3_finalize);
  int64_t sort = 0;
  for (const Sample& sample : kSamples) {
    sqlite3_reset(prepared);
    sqlite3_bind_text(prepared, 1, sample.word, -1, SQLITE_STATIC);
    if (sqlite3_step(prepared) != SQLITE_ROW) continue;  // a library without the word
    const int64_t wordId = sqlite3_column_int64(prepared, 0);
    const char* sharer = kSharers[sort % std::size(kSharers)];
    Note note{state.nextId++,
              wordId,
              sample.text,
              sharer,
              state.clock(),
              20 - static_cast<int>(sort),
              true};
    state.mnemonics.push_back(note);
    ++sort;
    // The book lists the highest sort id first: the samples keep their order here.
    const int64_t sortId = static_cast<int64_t>(std::size(kSamples)) - sort;
    state.excellent.push_back({state.nextId++, wordId, note.id, sortId, sample.text, sharer});
  }
  return "";
}

}  // namespace standin
