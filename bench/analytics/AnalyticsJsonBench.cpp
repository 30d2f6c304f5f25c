// Reading and then writing back a 64 KB analytics document (online parameters with their
// settings, and a run of event records) with the component's codec and with nlohmann::json.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "analytics/ANJson.h"
#include "bench/support/Ratio.h"

namespace {

const std::string& document() {
  static const std::string text = [] {
    std::string out =
        "{\"config_update\":\"Yes\",\"last_config_time\":\"20261206\","
        "\"report_policy\":6,\"report_interval\":600,\"oc_interval\":60,"
        "\"online_params\":{";
    for (int i = 0; i < 200; ++i) {
      if (i) out += ",";
      out += "\"param_" + std::to_string(i) + "\":\"value \\\"" + std::to_string(i * 7) +
             "\\\" \\u4e2d\\u6587 ok\"";
    }
    out += "},\"events\":[";
    for (int i = 0; out.size() < 64 * 1024 - 200; ++i) {
      if (i) out += ",";
      out += "{\"id\":\"word_answered\",\"ts\":" + std::to_string(1700000000123LL + i * 997) +
             ",\"du\":" + std::to_string(i % 5000) + ",\"score\":" + std::to_string(i % 100) +
             ".5,\"ok\":" + (i % 3 ? "true" : "false") + ",\"label\":\"单词 unit " +
             std::to_string(i % 40) + "\",\"extra\":null}";
    }
    out += "]}";
    return out;
  }();
  return text;
}

void BM_Ours(benchmark::State& state) {
  const std::string& text = document();
  for (auto _ : state) {
    ANJsonParser parser;
    auto value = parser.objectWithString(text);
    ANJsonWriter writer;
    auto written = writer.stringWithObject(*value);
    benchmark::DoNotOptimize(written);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}

void BM_Nlohmann(benchmark::State& state) {
  const std::string& text = document();
  for (auto _ : state) {
    auto value = nlohmann::json::parse(text);
    std::string written = value.dump();
    benchmark::DoNotOptimize(written);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}

BENCHMARK(BM_Ours);
BENCHMARK(BM_Nlohmann);

}  // namespace

int main(int argc, char** argv) {
  // Both must accept the document, or the comparison means nothing.
  ANJsonParser parser;
  if (!parser.objectWithString(document()) || nlohmann::json::parse(document()).is_discarded()) {
    std::fprintf(stderr, "the analytics document does not decode\n");
    return 1;
  }
  return bench::runWithRatios(argc, argv,
                              {{"analytics_json_vs_nlohmann", "BM_Ours", "BM_Nlohmann"}});
}
