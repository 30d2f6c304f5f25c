// The full backup dump of 10,000 studied words: the study tables and settings written as the
// tab-separated dump and zipped at level 9, against the sqlite3 shell's ".dump" of the same
// tables piped to gzip.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/support/BenchStore.h"
#include "bench/support/Ratio.h"
#include "online/Data_Package.h"
#include "platform/base/AppHome.h"
#include "store/CallDB.h"

namespace {

constexpr int kWords = 10000;

CallDB* store() {
  static CallDB* db = [] {
    CallDB* made = bench::storeWithPlannedWords(kWords, "dw", 500000);
    bench::makeAllDue(made);
    return made;
  }();
  return db;
}

void BM_DumpAndZip(benchmark::State& state) {
  store();
  Data_Package package;
  for (auto _ : state) {
    std::string path = package.getAllDataZipPath();
    if (path.empty()) state.SkipWithError("nothing dumped");
    benchmark::DoNotOptimize(path);
  }
}

void BM_SqliteShellDumpGzip(benchmark::State& state) {
  store();
  // The store keeps its file locked while its connection is open: the shell reads it closed.
  CallDB::Release_CallDB();
  const std::string database = plat::AppHome::applicationSupportDir() + "/learn.db";
  const std::string out = plat::AppHome::cachesDir() + "/shell_dump.sql.gz";
  // pipefail: a shell that cannot read the file must fail the run, not leave gzip's success.
  const std::string command =
      "bash -o pipefail -c \"sqlite3 -readonly '" + database +
      "' '.dump Study_List Study_Log Study_Note Words_Mnemonic Words_MyYuFa Words_YuFa "
      "IncreasingWord_Log Familiarity_Log ReviewWords_Log ForgetWords_Log Var_Config' | gzip -9 > "
      "'" +
      out + "'\"";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("the sqlite3 shell failed");
  }
  std::filesystem::remove(out);
}

BENCHMARK(BM_DumpAndZip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteShellDumpGzip)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"dump_vs_sqlite_dump", "BM_DumpAndZip", "BM_SqliteShellDumpGzip",
                                /*comparesCpu=*/false}});
}
