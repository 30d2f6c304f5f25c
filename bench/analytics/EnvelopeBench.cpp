// One envelope of 1,000 events: building the log entry, compressing it, wrapping it and writing
// its file, against zlib's compress2 of the same serialized entry and a plain file write.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsEnvelope.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsThrift.h"
#include "analytics/AnalyticsUtility.h"
#include "bench/support/Ratio.h"
#include "platform/base/AppHome.h"

namespace {

std::string folder() {
  static const std::string path = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "analytics-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::exit(1);
    return pattern;
  }();
  return path;
}

void setUp() {
  static bool done = false;
  if (done) return;
  done = true;
  plat::AppHome::setHome(folder());
  plat::AppHome::ensureFolders();
  AnalyticsSetup setup;
  setup.settings = std::make_shared<plat::UserDefaults>(folder() + "/analytics.defaults");
  setup.sharedUdidDir = folder() + "/SharedUDID";
  setup.info = {{"CFBundleIdentifier", "org.vocab.trainer"}, {"CFBundleVersion", "1.0"}};
  AnalyticsContext::install(std::make_shared<AnalyticsContext>(std::move(setup)));
  AnalyticsInternal& core = AnalyticsInternal::sharedInstance();
  for (int i = 0; i < 1000; ++i) {
    auto event = std::make_shared<ANEvent>();
    event->event_id = i % 3 ? "word_answered" : "lesson_finished";
    event->label = "unit " + std::to_string(i % 40);
    event->acc = 1;
    event->du = i * 13;
    event->session_id = core.sessionID;
    core.events.push_back(event);
  }
}

void clearEnvelopes(benchmark::State& state) {
  state.PauseTiming();
  for (const std::string& path : AnalyticsUtility::envelopeFiles()) std::remove(path.c_str());
  state.ResumeTiming();
}

void BM_Envelope(benchmark::State& state) {
  setUp();
  for (auto _ : state) {
    auto bytes = AnalyticsEnvelope::sharedInstance().makeEnvelopeData();
    if (!bytes) state.SkipWithError("no envelope written");
    clearEnvelopes(state);
  }
}

void BM_Compress2AndWrite(benchmark::State& state) {
  setUp();
  const std::string entry = *AnalyticsThrift::sharedInstance().toData();
  const std::string path = folder() + "/plain.bin";
  for (auto _ : state) {
    uLongf room = compressBound(entry.size());
    std::string out(room, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &room,
              reinterpret_cast<const Bytef*>(entry.data()), entry.size(), Z_DEFAULT_COMPRESSION);
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(out.data(), 1, room, file);
    std::fclose(file);
    clearEnvelopes(state);
  }
}

BENCHMARK(BM_Envelope);
BENCHMARK(BM_Compress2AndWrite);

}  // namespace

int main(int argc, char** argv) {
  int result = bench::runWithRatios(argc, argv,
                                    {{"envelope_vs_zlib", "BM_Envelope", "BM_Compress2AndWrite"}});
  std::filesystem::remove_all(folder());
  return result;
}
