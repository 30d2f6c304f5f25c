// Answering the review queue on a file database: the queue is loaded for 10,000 due words and
// 1,000 of them are answered, each answer with its transaction (the previous answer's study
// record, counters and day count, and the queue's mirror). The reference is one plain UPDATE of a
// study log row in its own transaction.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "bench/support/BenchStore.h"
#include "bench/support/Ratio.h"
#include "learn/ReviewQueue.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

using plat::Value;

constexpr int kWords = 10000;
constexpr int kAnswers = 1000;
constexpr int kFirstId = 100000;

int64_t storedNow() {
  return MyDate::storedTime(MyDate::localDateTime());
}

CallDB* preparedStore() {
  return bench::storeWithPlannedWords(kWords, "review", kFirstId);
}

// Rebuilds the queue from the due words, as a new study day does.
void loadQueue(ReviewQueue& queue, benchmark::State& state) {
  queue.reLoadReviewData();
  if (queue.ArrayReview().size() != static_cast<size_t>(kWords))
    state.SkipWithError("wrong due-word count");
}

void BM_LoadQueue(benchmark::State& state) {
  bench::makeAllDue(preparedStore());
  ReviewQueueView view;
  ReviewQueue queue(view);
  queue.firstInit();
  for (auto _ : state) loadQueue(queue, state);
}

void BM_Answer(benchmark::State& state) {
  bench::makeAllDue(preparedStore());
  ReviewQueueView view;
  ReviewQueue queue(view);
  queue.firstInit();
  loadQueue(queue, state);
  for (auto _ : state) {
    queue.showSelBtn();
    queue.selBtn_Down();
    queue.selBtn_Up(2);
  }
  queue.changeViewState();
  if (static_cast<int64_t>(queue.finishWords().size()) != state.iterations())
    state.SkipWithError("answers were lost");
}

void BM_PlainUpdate(benchmark::State& state) {
  CallDB* db = preparedStore();
  sqlite3* handle = nullptr;
  {
    plat::LockGuard lock(db->sqlMgr().connection());
    handle = db->sqlMgr().database();
  }
  const int64_t now = storedNow();
  int word = 0;
  for (auto _ : state) {
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(handle,
                       "update Study_Log set sl_uLastTestTime = ?, sl_uNextStudyTime = ?, "
                       "sl_uFeedbackID1 = 2 where sl_uWordID = ?",
                       -1, &stmt, nullptr);
    sqlite3_bind_int64(stmt, 1, now);
    sqlite3_bind_int64(stmt, 2, now + 86400);
    sqlite3_bind_int(stmt, 3, kFirstId + word++ % kWords);
    if (sqlite3_step(stmt) != SQLITE_DONE) state.SkipWithError("update failed");
    sqlite3_finalize(stmt);
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
  }
}

BENCHMARK(BM_LoadQueue)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Answer)->Unit(benchmark::kMicrosecond)->Iterations(kAnswers);
BENCHMARK(BM_PlainUpdate)->Unit(benchmark::kMicrosecond)->Iterations(kAnswers);

}  // namespace

int main(int argc, char** argv) {
  preparedStore();  // exits with a message when the store cannot be made
  return bench::runWithRatios(
      argc, argv,
      {{"answer_vs_update", "BM_Answer/iterations:1000", "BM_PlainUpdate/iterations:1000"}});
}
