// Decoding the same server-reply-like documents with this codec, RapidJSON and nlohmann::json. Each
// iteration decodes into a tree and frees it, as a reply handler does.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>

#include "bench/json/ReplyCorpus.h"
#include "bench/support/Ratio.h"
#include "json/JsonCodec.h"

namespace {

const plat::Value::Bytes& corpus(int64_t size) {
  static std::map<int64_t, plat::Value::Bytes> documents;
  auto& document = documents[size];
  if (document.empty()) {
    std::string text = makeReplyCorpus(static_cast<size_t>(size));
    document.assign(text.begin(), text.end());
    // Every library must accept the document, or the comparison means nothing.
    rapidjson::Document reference;
    reference.Parse(text.data(), text.size());
    if (objectFromJSONData(document).isNull() || reference.HasParseError() ||
        nlohmann::json::parse(text).is_discarded()) {
      std::fprintf(stderr, "corpus of %lld bytes does not decode\n", static_cast<long long>(size));
      std::exit(1);
    }
  }
  return document;
}

// Decodes the document of the benchmark's size with `decode` in every iteration.
template <typename Decode>
void decodeEachIteration(benchmark::State& state, Decode decode) {
  const auto& document = corpus(state.range(0));
  for (auto _ : state) {
    auto tree = decode(document);
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}

template <unsigned Flags>
rapidjson::Document rapidjsonTree(const plat::Value::Bytes& document) {
  rapidjson::Document tree;
  tree.Parse<Flags>(reinterpret_cast<const char*>(document.data()), document.size());
  return tree;
}

void BM_Ours(benchmark::State& state) {
  decodeEachIteration(
      state, [](const plat::Value::Bytes& document) { return objectFromJSONData(document); });
}

// RapidJSON doing the same work, with the UTF-8 checks this decoder always makes, and as it is
// called by default, without them.
void BM_RapidJSON(benchmark::State& state) {
  decodeEachIteration(state, rapidjsonTree<rapidjson::kParseValidateEncodingFlag>);
}

void BM_RapidJSONUnchecked(benchmark::State& state) {
  decodeEachIteration(state, rapidjsonTree<rapidjson::kParseDefaultFlags>);
}

void BM_Nlohmann(benchmark::State& state) {
  decodeEachIteration(state, [](const plat::Value::Bytes& document) {
    return nlohmann::json::parse(document.begin(), document.end());
  });
}

constexpr int64_t k1KB = 1024, k64KB = 64 * 1024, k4MB = 4 * 1024 * 1024;

BENCHMARK(BM_Ours)->Arg(k1KB)->Arg(k64KB)->Arg(k4MB);
BENCHMARK(BM_RapidJSON)->Arg(k1KB)->Arg(k64KB)->Arg(k4MB);
BENCHMARK(BM_RapidJSONUnchecked)->Arg(k1KB)->Arg(k64KB)->Arg(k4MB);
BENCHMARK(BM_Nlohmann)->Arg(k1KB)->Arg(k64KB)->Arg(k4MB);

}  // namespace

int main(int argc, char** argv) {
  const std::pair<const char*, const char*> sizes[] = {
      {"1KB", "/1024"}, {"64KB", "/65536"}, {"4MB", "/4194304"}};
  std::vector<bench::RatioPair> pairs;
  for (auto [name, arg] : sizes) {
    std::string ours = std::string("BM_Ours") + arg;
    pairs.push_back(
        {std::string("json_vs_nlohmann_") + name, ours, std::string("BM_Nlohmann") + arg});
    pairs.push_back(
        {std::string("json_vs_rapidjson_") + name, ours, std::string("BM_RapidJSON") + arg});
    pairs.push_back({std::string("json_vs_rapidjson_unchecked_") + name, ours,
                     std::string("BM_RapidJSONUnchecked") + arg});
  }
  return bench::runWithRatios(argc, argv, pairs);
}
