// The daily rebuild of the review queue for 10,000 planned words (the due-word list under the
// review cap, then the queue table replaced) against one plain SELECT of the same 10,000 words;
// items per second are words per second.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/BenchStore.h"
#include "bench/support/Ratio.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

using plat::Value;

constexpr int kWords = 10000;

// kWords extra headwords, all planned, answered and due today.
CallDB* preparedStore() {
  static CallDB* const store = [] {
    CallDB* db = bench::storeWithPlannedWords(kWords, "queue", 100000);
    bench::makeAllDue(db);
    return db;
  }();
  return store;
}

void BM_QueueRebuild(benchmark::State& state) {
  CallDB* db = preparedStore();
  for (auto _ : state) {
    Value words = db->GetReviewWords("review");
    if (words.size() != static_cast<size_t>(kWords)) state.SkipWithError("wrong due-word count");
    db->initReviewWords_tempData(words, 0);
  }
  state.SetItemsProcessed(state.iterations() * kWords);
}

const char* const kPlainSelect =
    "select wl.wl_tWord from Words_Library as wl, Study_Log as sl where wl.wl_uWordID = "
    "sl.sl_uWordID";

// The reference: the same 10,000 headwords read by one plain SELECT through the store's
// statement wrapper, into the same kind of result as every read of the store.
void BM_PlainSelect(benchmark::State& state) {
  CallDB* db = preparedStore();
  for (auto _ : state) {
    Value words = db->sql_select(kPlainSelect, "s", "", Value::array());
    if (words.size() != static_cast<size_t>(kWords)) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(words);
  }
  state.SetItemsProcessed(state.iterations() * kWords);
}

// For scale: the same SELECT on SQLite's own interface into plain strings.
void BM_RawSqliteSelect(benchmark::State& state) {
  CallDB* db = preparedStore();
  sqlite3* handle = nullptr;
  {
    plat::LockGuard lock(db->sqlMgr().connection());
    handle = db->sqlMgr().database();
  }
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(handle, kPlainSelect, -1, &stmt, nullptr);
    std::vector<std::string> words;
    while (sqlite3_step(stmt) == SQLITE_ROW)
      words.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (words.size() != static_cast<size_t>(kWords)) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(words);
  }
  state.SetItemsProcessed(state.iterations() * kWords);
}

BENCHMARK(BM_QueueRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSelect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqliteSelect)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  preparedStore();  // exits with a message when the store cannot be made
  return bench::runWithRatios(
      argc, argv,
      {{"queue_rebuild_vs_select", "BM_QueueRebuild", "BM_PlainSelect"},
       {"queue_rebuild_vs_raw_sqlite_select", "BM_QueueRebuild", "BM_RawSqliteSelect"}});
}
