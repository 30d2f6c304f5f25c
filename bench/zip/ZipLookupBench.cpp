// Looking up entries by name in a voice-pack-sized archive: the fast lookup against minizip's own
// unzLocateFile, both through ZipFile, on the same archive and the same 10,000 random names.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/support/Ratio.h"
#include "util/ZipFile.h"

namespace {

constexpr int kEntries = 20000;
constexpr int kLookups = 10000;

struct VoicePack {
  std::string path;
  std::vector<std::string> wanted;  // kLookups names of the archive in random order

  VoicePack() {
    char dir[] = "/tmp/vocab-zip-bench-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    path = std::string(dir) + "/words_voices.zip";
    std::mt19937 random(20240501);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_int_distribution<int> length(3, 12);
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    while (names.size() < kEntries) {
      std::string word;
      for (int n = length(random); n > 0; --n) word += static_cast<char>(letter(random));
      if (!seen.insert(word).second) continue;
      names.push_back("words_voices/" + word.substr(0, 1) + "/" + word + ".mp3");
    }
    ZipFile zip(path, ZipFileModeCreate);
    for (const auto& name : names) {
      ZipWriteStream stream = zip.writeEntryWithName(name, 1'700'000'000.0, 0);
      stream.writeData(std::string_view("ID3 recording"));
      stream.finishedWriting();
    }
    zip.close();
    std::uniform_int_distribution<size_t> pick(0, names.size() - 1);
    for (int i = 0; i < kLookups; ++i) wanted.push_back(names[pick(random)]);
  }
  ~VoicePack() {
    std::remove(path.c_str());
    ::rmdir(path.substr(0, path.rfind('/')).c_str());
  }
};

VoicePack& pack() {
  static VoicePack instance;
  return instance;
}

template <bool fast>
void lookups(benchmark::State& state) {
  ZipFile zip(pack().path, ZipFileModeUnzip);
  size_t next = 0;
  for (auto _ : state) {
    const std::string& name = pack().wanted[next++ % pack().wanted.size()];
    bool found = fast ? zip.locateEntry2(name) : zip.locateEntry(name);
    if (!found) state.SkipWithError("name not found");
    benchmark::DoNotOptimize(found);
  }
  zip.close();
}

void BM_FastLookup(benchmark::State& state) {
  lookups<true>(state);
}
void BM_StockLookup(benchmark::State& state) {
  lookups<false>(state);
}

BENCHMARK(BM_FastLookup)->Iterations(kLookups)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StockLookup)->Iterations(kLookups)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  pack();  // build the archive before any timing
  return bench::runWithRatios(argc, argv,
                              {{"zip_fast_lookup_vs_stock", "BM_FastLookup/iterations:10000",
                                "BM_StockLookup/iterations:10000"}});
}
