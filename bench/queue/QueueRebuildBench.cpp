// The daily rebuild of the review queue for 10,000 planned words (the due-word list under the
// review cap, then the queue table replaced) against one plain SELECT of the same 10,000 words;
// items per second are words per second.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/Ratio.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

namespace fs = std::filesystem;
using plat::Value;

constexpr int kWords = 10000;

// A fresh app home whose study database holds kWords extra headwords, all planned, answered and
// due today; removed at exit.
CallDB* preparedStore() {
  static CallDB* const store = [] {
    std::string home = (fs::temp_directory_path() / "vocab-bench-XXXXXX").string();
    if (!mkdtemp(home.data())) std::abort();
    plat::AppHome::setHome(home);
    plat::AppHome::ensureFolders();
    static const std::string removed = home;
    std::atexit([] {
      CallDB::Release_CallDB();
      std::error_code ignored;
      fs::remove_all(removed, ignored);
    });

    CallDB* db = CallDB::callDB();
    if (!db->isOpen()) return db;
    const int64_t now = MyDate::storedTime(MyDate::localDateTime());
    db->sqlMgr().beginTransaction();
    for (int i = 0; i < kWords; ++i) {
      char word[32];
      std::snprintf(word, sizeof word, "queue%05d", i);
      db->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                     Value::array({100000 + i, word}));
      db->InsertStudyWord(word, now - 10 * 86400);
    }
    // Answered two days ago, due at scattered times before now.
    db->sql_update(
        "update Study_Log set sl_uLastTestTime = ?, sl_uNextStudyTime = ? - (sl_uWordID * 7919) % "
        "86400, sl_uFeedbackID1 = 2",
        "NN", Value::array({static_cast<long long>(now - 2 * 86400), static_cast<long long>(now)}));
    db->UpdatePersonalValue_isNeed("ReviewLimitCount", std::to_string(2 * kWords));
    db->sqlMgr().commitTransaction();
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
  sqlite3* handle = db->sqlMgr().database();
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
  if (plat::Bundle::main().pathForResource("learn", "db").empty()) {
    std::fprintf(stderr, "no learn.db in the bundle %s\n", plat::Bundle::main().path().c_str());
    return 1;
  }
  if (!preparedStore()->isOpen()) {
    std::fprintf(stderr, "the study store did not open\n");
    return 1;
  }
  return bench::runWithRatios(
      argc, argv,
      {{"queue_rebuild_vs_select", "BM_QueueRebuild", "BM_PlainSelect"},
       {"queue_rebuild_vs_raw_sqlite_select", "BM_QueueRebuild", "BM_RawSqliteSelect"}});
}
