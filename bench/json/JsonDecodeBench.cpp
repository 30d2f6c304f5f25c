// Decoding the same documents with this codec, RapidJSON and nlohmann::json, on three corpora
// (server replies with Chinese text, the same in ASCII, rows of numbers). Each iteration decodes
// into a tree and frees it, as a reply handler does. Beside the times, the heap bytes held at the
// peak of decoding a 50 MB document, against RapidJSON's.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>

#include "bench/json/AllocationCounter.h"
#include "bench/json/JsonCorpora.h"
#include "bench/support/Ratio.h"
#include "json/JsonCodec.h"

namespace {

struct Corpus {
  const char* name;
  std::string (*make)(size_t);
};
const Corpus kCorpora[] = {
    {"reply", makeReplyCorpus}, {"ascii", makeAsciiCorpus}, {"numbers", makeNumberCorpus}};

// RapidJSON as the app would use it: with the UTF-8 checks this decoder always makes.
constexpr unsigned kValidating = rapidjson::kParseValidateEncodingFlag;

template <unsigned Flags>
rapidjson::Document rapidjsonTree(const plat::Value::Bytes& document) {
  rapidjson::Document tree;
  tree.Parse<Flags>(reinterpret_cast<const char*>(document.data()), document.size());
  return tree;
}

plat::Value::Bytes makeDocument(int64_t corpus, int64_t size) {
  std::string text = kCorpora[corpus].make(static_cast<size_t>(size));
  plat::Value::Bytes document(text.begin(), text.end());
  // Every library must accept the document, or the comparison means nothing.
  if (objectFromJSONData(document).isNull() ||
      rapidjsonTree<kValidating>(document).HasParseError() ||
      nlohmann::json::parse(text).is_discarded()) {
    std::fprintf(stderr, "the %s corpus of %lld bytes does not decode\n", kCorpora[corpus].name,
                 static_cast<long long>(size));
    std::exit(1);
  }
  return document;
}

const plat::Value::Bytes& corpus(int64_t kind, int64_t size) {
  static std::map<std::pair<int64_t, int64_t>, plat::Value::Bytes> documents;
  auto& document = documents[{kind, size}];
  if (document.empty()) document = makeDocument(kind, size);
  return document;
}

// Decodes the document of the benchmark's corpus and size with `decode` in every iteration.
template <typename Decode>
void decodeEachIteration(benchmark::State& state, Decode decode) {
  const auto& document = corpus(state.range(0), state.range(1));
  for (auto _ : state) {
    auto tree = decode(document);
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}

void BM_Ours(benchmark::State& state) {
  decodeEachIteration(
      state, [](const plat::Value::Bytes& document) { return objectFromJSONData(document); });
}

void BM_RapidJSON(benchmark::State& state) {
  decodeEachIteration(state, rapidjsonTree<kValidating>);
}

// RapidJSON as it is called by default, without the UTF-8 checks.
void BM_RapidJSONUnchecked(benchmark::State& state) {
  decodeEachIteration(state, rapidjsonTree<rapidjson::kParseDefaultFlags>);
}

void BM_Nlohmann(benchmark::State& state) {
  decodeEachIteration(state, [](const plat::Value::Bytes& document) {
    return nlohmann::json::parse(document.begin(), document.end());
  });
}

constexpr int64_t k1KB = 1024, k64KB = 64 * 1024, k4MB = 4 * 1024 * 1024;
constexpr int64_t k50MB = 50 * 1024 * 1024;

void corpusSizes(benchmark::internal::Benchmark* benchmark) {
  for (int64_t kind = 0; kind < 3; ++kind)
    for (int64_t size : {k1KB, k64KB, k4MB}) benchmark->Args({kind, size});
}

BENCHMARK(BM_Ours)->Apply(corpusSizes);
BENCHMARK(BM_RapidJSON)->Apply(corpusSizes);
BENCHMARK(BM_RapidJSONUnchecked)->Apply(corpusSizes);
BENCHMARK(BM_Nlohmann)->Apply(corpusSizes);

// The heap bytes held at the peak of one decode, beyond what was held before it.
template <typename Decode>
int64_t peakBytesOfDecoding(const plat::Value::Bytes& document, Decode decode) {
  bench::startHeapCount();
  {
    auto tree = decode(document);
    benchmark::DoNotOptimize(tree);
  }
  return bench::stopHeapCount();
}

// "RATIO json_memory_vs_rapidjson_<corpus>" for each corpus, then the largest of them as
// "RATIO json_memory_vs_rapidjson".
void printMemoryRatios() {
  double worst = 0;
  for (int64_t kind = 0; kind < 3; ++kind) {
    plat::Value::Bytes document = makeDocument(kind, k50MB);
    int64_t ours = peakBytesOfDecoding(
        document, [](const plat::Value::Bytes& bytes) { return objectFromJSONData(bytes); });
    int64_t reference = peakBytesOfDecoding(document, rapidjsonTree<kValidating>);
    double ratio = static_cast<double>(ours) / static_cast<double>(reference);
    std::printf("json peak heap for 50 MB of %s: ours %.1f MB, RapidJSON %.1f MB\n",
                kCorpora[kind].name, ours / 1e6, reference / 1e6);
    std::printf("RATIO json_memory_vs_rapidjson_%s %.3f\n", kCorpora[kind].name, ratio);
    worst = std::max(worst, ratio);
  }
  std::printf("RATIO json_memory_vs_rapidjson %.3f\n", worst);
}

}  // namespace

int main(int argc, char** argv) {
  const std::pair<const char*, int64_t> sizes[] = {{"1KB", k1KB}, {"64KB", k64KB}, {"4MB", k4MB}};
  std::vector<bench::RatioPair> pairs;
  for (int64_t kind = 0; kind < 3; ++kind) {
    // The reply corpus keeps the names it has always had.
    std::string corpusName = kind == 0 ? "" : std::string(kCorpora[kind].name) + "_";
    for (auto [sizeName, size] : sizes) {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "/%lld/%lld", static_cast<long long>(kind),
                    static_cast<long long>(size));
      const std::string args = buffer;
      std::string suffix = corpusName + sizeName;
      std::string ours = std::string("BM_Ours") + args;
      pairs.push_back({"json_vs_nlohmann_" + suffix, ours, "BM_Nlohmann" + args});
      pairs.push_back({"json_vs_rapidjson_" + suffix, ours, "BM_RapidJSON" + args});
      pairs.push_back(
          {"json_vs_rapidjson_unchecked_" + suffix, ours, "BM_RapidJSONUnchecked" + args});
    }
  }
  int status = bench::runWithRatios(argc, argv, pairs);
  printMemoryRatios();
  return status;
}
