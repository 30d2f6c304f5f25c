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

void BM_Ours(benchmark::State& state) {
  const auto& document = corpus(state.range(0));
  for (auto _ : state) {
    plat::Value tree = objectFromJSONData(document);
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}

void BM_RapidJSON(benchmark::State& state) {
  const auto& document = corpus(state.range(0));
  const char* text = reinterpret_cast<const char*>(document.data());
  for (auto _ : state) {
    rapidjson::Document tree;
    tree.Parse(text, document.size());
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}

void BM_RapidJSONValidating(benchmark::State& state) {
  const auto& document = corpus(state.range(0));
  const char* text = reinterpret_cast<const char*>(document.data());
  for (auto _ : state) {
    rapidjson::Document tree;
    tree.Parse<rapidjson::kParseValidateEncodingFlag>(text, document.size());
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}

void BM_Nlohmann(benchmark::State& state) {
  const auto& document = corpus(state.range(0));
  for (auto _ : state) {
    nlohmann::json tree = nlohmann::json::parse(document.begin(), document.end());
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}

constexpr int64_t k1KB = 1024, k64KB = 64 * 1024, k4MB = 4 * 1024 * 1024;

BENCHMARK(BM_Ours)->Arg(k1KB)->Arg(k64KB)->Arg(k4MB);
BENCHMARK(BM_RapidJSON)->Arg(k1KB)->Arg(k64KB)->Arg(k4MB);
BENCHMARK(BM_RapidJSONValidating)->Arg(k1KB)->Arg(k64KB)->Arg(k4MB);
BENCHMARK(BM_Nlohmann)->Arg(k1KB)->Arg(k64KB)->Arg(k4MB);

}  // namespace

int main(int argc, char** argv) {
  std::vector<bench::RatioPair> pairs;
  for (auto [size, name] : {std::pair{k1KB, "1KB"}, {k64KB, "64KB"}, {k4MB, "4MB"}}) {
    std::string arg = "/" + std::to_string(size);
    pairs.push_back(
        {std::string("json_vs_nlohmann_") + name, "BM_Ours" + arg, "BM_Nlohmann" + arg});
    pairs.push_back(
        {std::string("json_vs_rapidjson_") + name, "BM_Ours" + arg, "BM_RapidJSON" + arg});
  }
  return bench::runWithRatios(argc, argv, pairs);
}
