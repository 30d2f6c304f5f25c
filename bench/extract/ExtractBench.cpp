// Extracting the headwords of a 300 KB English text (bench/support/EnglishText.h) against the
// shipped word library, against a plain pass that only splits the same text into tokens and
// looks each one up in a hash set of the library's words; 300 KB of prose (ProseText.h) against
// the same pass over that prose; and the first extraction of a process, which builds the
// headword index (ColdExtract.h).
#include <benchmark/benchmark.h>

#include <cctype>
#include <string>
#include <unordered_set>

#include "bench/extract/ColdExtract.h"
#include "bench/extract/ExtractOnce.h"
#include "bench/extract/ProseText.h"
#include "bench/support/BenchStore.h"
#include "bench/support/EnglishText.h"
#include "bench/support/Ratio.h"
#include "extract/ExtractWord.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"

namespace {

constexpr size_t kTextBytes = 300 * 1024;

const std::string& benchText() {
  return bench::englishText(kTextBytes);
}

const std::string& prose() {
  return bench::proseText(kTextBytes);
}

void prepare() {
  bench::storeWithPlannedWords(300, "planned", 900000);
  benchText();
  prose();
}

// Warm, as every extraction but a process's first: the index is built before the clock runs.
void extractWarm(benchmark::State& state, const std::string& text) {
  prepare();
  bench::extractOnce(text);
  int added = 0;
  for (auto _ : state) added = bench::extractOnce(text);
  state.counters["headwords"] = added;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Extract(benchmark::State& state) {
  extractWarm(state, benchText());
}

void BM_ExtractProse(benchmark::State& state) {
  extractWarm(state, prose());
}

// The reference: the same text split into lower-case tokens, each looked up in a hash set of the
// library's words.
void tokenizeAndHashLookup(benchmark::State& state, const std::string& text) {
  prepare();
  const std::vector<std::string> library = bench::libraryWords();
  const std::unordered_set<std::string> set(library.begin(), library.end());
  for (auto _ : state) {
    size_t found = 0;
    std::string token;
    for (size_t i = 0; i <= text.size(); ++i) {
      const char c = i < text.size() ? text[i] : ' ';
      if (std::isalpha(static_cast<unsigned char>(c)) || c == '.' || c == '_') {
        token += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      } else if (!token.empty()) {
        found += set.count(token);
        token.clear();
      }
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_TokenizeAndHashLookup(benchmark::State& state) {
  tokenizeAndHashLookup(state, benchText());
}

void BM_TokenizeProseAndHashLookup(benchmark::State& state) {
  tokenizeAndHashLookup(state, prose());
}

BENCHMARK(BM_Extract)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizeAndHashLookup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizeProseAndHashLookup)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  plat::RunLoop::setMainThread();
  prepare();
  const int status = bench::runWithRatios(
      argc, argv,
      {{"extract_vs_tokenize", "BM_Extract", "BM_TokenizeAndHashLookup"},
       {"extract_prose_vs_tokenize", "BM_ExtractProse", "BM_TokenizeProseAndHashLookup"},
       bench::kColdExtractRatio});
  bench::printColdExtractMemoryRatio();
  return status;
}
