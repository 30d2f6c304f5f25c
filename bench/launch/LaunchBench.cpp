// The application's launch up to its first drawn frame (headless: delegate, window, tab bar,
// night overlay, the store opened, the daily refresh of an activation, the screen drawn) against
// opening the shipped learn.db with SQLite and reading its word count.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/AppDelegate.h"
#include "bench/support/BenchHome.h"
#include "bench/support/Ratio.h"
#include "online/CheckVersion.h"
#include "platform/base/Bundle.h"
#include "platform/host/HeadlessHost.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

std::string shippedDatabase() {
  return plat::Bundle::main().pathForResource("learn", "db");
}

// A temporary app home for the run, removed at exit, in which the app has run once already (the
// database copied, words planned, the study day's first refresh done), as on a learner's phone.
void prepareHome() {
  static const bool ready = [] {
    bench::temporaryHome();
    CheckVersion::setLookupBase("http://127.0.0.1:9");  // nothing leaves the machine
    // A learner with the day's new words planned and the first-start guide seen: the first
    // frame shows a word. The words are planned by the host's clock, which the app reads, not by
    // the machine's (planned in the host's future, they would not be due).
    plat::HeadlessHost host(std::make_shared<AppDelegate>());
    CallDB* store = CallDB::callDB();
    store->UpdatePersonalValue("run_machine", "1");
    plat::Value words = store->getOrderWords();
    const int64_t now = MyDate::storedTime(MyDate::localDateTime());
    for (size_t i = 0; i < words.size(); ++i) store->InsertStudyWord(words[i].asString(), now);
    host.launch();
    if (CallDB::callDB()->getReviewWords_tempData().size() == 0) {
      std::fprintf(stderr, "the planned words are not in the review queue\n");
      std::exit(1);
    }
    return true;
  }();
  (void)ready;
}

void BM_LaunchToFirstFrame(benchmark::State& state) {
  prepareHome();
  for (auto _ : state) {
    state.PauseTiming();
    CallDB::Release_CallDB();
    state.ResumeTiming();
    auto host = std::make_unique<plat::HeadlessHost>(std::make_shared<AppDelegate>());
    host->launch();
    std::shared_ptr<plat::Image> frame = host->renderScreen();
    if (!frame) state.SkipWithError("nothing was drawn");
    benchmark::DoNotOptimize(frame);
    state.PauseTiming();
    host.reset();
    state.ResumeTiming();
  }
  CallDB::Release_CallDB();
}

void BM_SqliteOpenAndCount(benchmark::State& state) {
  const std::string path = shippedDatabase();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      state.SkipWithError("learn.db did not open");
    }
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select count(*) from Words_Library", -1, &statement, nullptr);
    int64_t words = 0;
    if (statement && sqlite3_step(statement) == SQLITE_ROW)
      words = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (words == 0) state.SkipWithError("no words");
    benchmark::DoNotOptimize(words);
  }
}

BENCHMARK(BM_LaunchToFirstFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SqliteOpenAndCount)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (shippedDatabase().empty()) {
    std::fprintf(stderr, "no learn.db in the bundle %s\n", plat::Bundle::main().path().c_str());
    return 1;
  }
  return bench::runWithRatios(
      argc, argv, {{"launch_vs_sqlite_open", "BM_LaunchToFirstFrame", "BM_SqliteOpenAndCount"}});
}
