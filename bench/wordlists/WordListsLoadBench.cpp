// Opening a word book of 5,000 words (2,000 of them in study) on the word-list screen until all
// four lists are loaded by its loader thread and in place on the main thread, against the plain
// SELECTs of the same rows through the store's statement wrapper.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/support/BenchStore.h"
#include "bench/support/Ratio.h"
#include "books/WordsUIViewController.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"

namespace {

using plat::Value;

constexpr int kWords = 5000;
constexpr int kInStudy = 2000;
constexpr int kBook = 9001;
constexpr int kFirstId = 300000;

CallDB* preparedStore() {
  static CallDB* const store = [] {
    CallDB* db = bench::storeWithPlannedWords(kWords, "book", kFirstId);
    db->sqlMgr().beginTransaction();
    db->sql_insert("insert into book_class (bc_uId, bc_sName) values (?, ?)", "ns",
                   Value::array({kBook, "bench"}));
    db->sql_insert("insert into books (b_uId, b_sName, f_bc_uId) values (?, ?, ?)", "nsn",
                   Value::array({kBook, "bench", kBook}));
    for (int i = 0; i < kWords; ++i)
      db->sql_insert("insert into book_words (bw_uId, f_b_uId, f_wl_uId) values (?, ?, ?)", "nnn",
                     Value::array({kWords - i, kBook, kFirstId + i}));
    // Only every fifth word in two stays in study.
    db->sql_delete("delete from Study_List where sl_uWordID >= ? and sl_uWordID % 5 >= 2", "n",
                   Value::array({kFirstId}));
    db->sql_delete("delete from Study_Log where sl_uWordID >= ? and sl_uWordID % 5 >= 2", "n",
                   Value::array({kFirstId}));
    db->sqlMgr().commitTransaction();
    return db;
  }();
  return store;
}

void BM_WordListsLoad(benchmark::State& state) {
  preparedStore();
  for (auto _ : state) {
    auto screen = std::make_shared<WordsUIViewController>();
    screen->setWordsDic(kBook);
    if (!plat::RunLoop::main().runUntil([&] { return !screen->isLoadData(); }, 60))
      state.SkipWithError("the loader did not finish");
    if (screen->learnedWords().size() != kInStudy || !screen->allWords().back())
      state.SkipWithError("lists not loaded");
    benchmark::DoNotOptimize(screen);
  }
  state.SetItemsProcessed(state.iterations() * kWords);
}

// The same rows: the book's words with their study-list ids, its words in study in study order,
// and its words not in study, A-Z with case ignored.
void BM_PlainSelects(benchmark::State& state) {
  CallDB* db = preparedStore();
  const Value book = Value::array({kBook});
  for (auto _ : state) {
    Value all = db->sql_select(
        "select wl.wl_tWord, ifnull(sl.sl_uWordID, 0) from book_words as bw join Words_Library "
        "as wl on wl.wl_uWordID = bw.f_wl_uId left join Study_List as sl on sl.sl_uWordID = "
        "wl.wl_uWordID where bw.f_b_uId = ? order by wl.wl_tWord collate nocase, wl.wl_tWord",
        "sn", "n", book);
    Value learnt = db->sql_select(
        "select wl.wl_tWord from book_words as bw, Words_Library as wl, Study_Log as sl where "
        "bw.f_b_uId = ? and wl.wl_uWordID = bw.f_wl_uId and sl.sl_uWordID = wl.wl_uWordID order "
        "by case sl.sl_uLastTestTime when 0 then 0 else 1 end, sl.sl_uNextStudyTime, wl.wl_tWord "
        "collate nocase, wl.wl_tWord",
        "s", "n", book);
    Value none = db->sql_select(
        "select wl.wl_tWord from book_words as bw, Words_Library as wl where bw.f_b_uId = ? and "
        "wl.wl_uWordID = bw.f_wl_uId and wl.wl_uWordID not in (select sl_uWordID from "
        "Study_List) order by wl.wl_tWord collate nocase, wl.wl_tWord",
        "s", "n", book);
    if (all.size() != kWords || learnt.size() != kInStudy) state.SkipWithError("wrong rows");
    benchmark::DoNotOptimize(none);
  }
  state.SetItemsProcessed(state.iterations() * kWords);
}

BENCHMARK(BM_WordListsLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainSelects)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  plat::RunLoop::setMainThread();
  preparedStore();
  return bench::runWithRatios(
      argc, argv,
      {{"wordlists_load_vs_select", "BM_WordListsLoad/real_time", "BM_PlainSelects/real_time",
        /*comparesCpu=*/false}});
}
