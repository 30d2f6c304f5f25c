// The first opening of the study store on a fresh app home (copy of the shipped learn.db, backup
// mark, version check, connection, display forms) against a plain copy of the same file, and for
// scale against a copy flushed as safely as the first opening flushes its own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/support/BenchHome.h"
#include "bench/support/Ratio.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"

namespace {

namespace fs = std::filesystem;

std::string shippedDatabase() {
  return plat::Bundle::main().pathForResource("learn", "db");
}

void BM_StoreFirstOpen(benchmark::State& state) {
  bench::temporaryHome();
  const std::string target = plat::AppHome::applicationSupportDir() + "/learn.db";
  for (auto _ : state) {
    state.PauseTiming();
    CallDB::Release_CallDB();
    fs::remove(target);
    state.ResumeTiming();
    CallDB* db = CallDB::callDB();
    if (!db->isOpen()) state.SkipWithError("the store did not open");
    benchmark::DoNotOptimize(db);
  }
  CallDB::Release_CallDB();
}

void BM_PlainFileCopy(benchmark::State& state) {
  bench::temporaryHome();
  const std::string source = shippedDatabase();
  const std::string target = plat::AppHome::applicationSupportDir() + "/copy.db";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(target);
    state.ResumeTiming();
    if (!fs::copy_file(source, target)) state.SkipWithError("copy failed");
  }
  fs::remove(target);
}

// For scale: the least a copy that survives a power cut costs, a plain copy beside the target
// flushed, moved into place and its folder flushed; the first opening does this and more.
void BM_FlushedFileCopy(benchmark::State& state) {
  bench::temporaryHome();
  const std::string source = shippedDatabase();
  const std::string folder = plat::AppHome::applicationSupportDir();
  const std::string part = folder + "/flushed.db.part";
  const std::string target = folder + "/flushed.db";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(target);
    state.ResumeTiming();
    if (!fs::copy_file(source, part) || !plat::files::syncToDisk(part) ||
        !plat::files::moveFile(part, target) || !plat::files::syncToDisk(folder))
      state.SkipWithError("flushed copy failed");
  }
  fs::remove(target);
}

BENCHMARK(BM_StoreFirstOpen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainFileCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlushedFileCopy)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (shippedDatabase().empty()) {
    std::fprintf(stderr, "no learn.db in the bundle %s\n", plat::Bundle::main().path().c_str());
    return 1;
  }
  return bench::runWithRatios(
      argc, argv,
      {{"store_open_vs_copy", "BM_StoreFirstOpen", "BM_PlainFileCopy"},
       {"store_open_vs_flushed_copy", "BM_StoreFirstOpen", "BM_FlushedFileCopy"}});
}
