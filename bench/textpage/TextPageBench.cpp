// The text page's extraction of a 300 KB English text (bench/support/EnglishText.h): the thread
// it starts, its progress reports handed to the main thread's run loop and the result handed
// back there, against ExtractWord alone on the calling thread over the same text. What the page
// adds to the extraction itself is what this measures.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/support/BenchStore.h"
#include "bench/support/EnglishText.h"
#include "bench/support/Ratio.h"
#include "books/TextExtraction.h"
#include "extract/ExtractWord.h"
#include "platform/base/RunLoop.h"

namespace {

using plat::Value;

constexpr size_t kTextBytes = 300 * 1024;

void prepare() {
  bench::storeWithPlannedWords(300, "planned", 900000);
  bench::englishText(kTextBytes);
}

void BM_TextPageExtract(benchmark::State& state) {
  prepare();
  int reports = 0;
  int64_t added = 0;
  for (auto _ : state) {
    bool done = false;
    std::string shown;
    textextraction::start(
        bench::englishText(kTextBytes),
        [&](const Value& fraction) {  // what the page's panel shows
          shown = "提取 " + std::to_string(static_cast<int>(fraction.asDouble() * 100)) + "％";
          ++reports;
        },
        [&](const Value& result) {
          added = result.at(0).asInt();
          done = true;
        });
    plat::RunLoop::main().runUntil([&] { return done; }, 600);
    benchmark::DoNotOptimize(shown);
  }
  state.counters["headwords"] = static_cast<double>(added);
  state.counters["reports_shown"] =
      benchmark::Counter(reports, benchmark::Counter::kAvgIterations);
}

void BM_ExtractWordAlone(benchmark::State& state) {
  prepare();
  for (auto _ : state) {
    ExtractWord extractor;
    Value words, learned, none;
    benchmark::DoNotOptimize(extractor.extractWord(bench::englishText(kTextBytes), words,
                                                   learned, none));
  }
}

// Wall time: the page's work runs on a thread of its own while this one serves the run loop.
BENCHMARK(BM_TextPageExtract)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExtractWordAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  plat::RunLoop::setMainThread();
  prepare();
  return bench::runWithRatios(argc, argv,
                              {{"textpage_extract_vs_extract", "BM_TextPageExtract/real_time",
                                "BM_ExtractWordAlone/real_time", /*comparesCpu=*/false}});
}
