#include "bench/extract/ColdExtract.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_map>

#include "bench/extract/ExtractOnce.h"
#include "bench/json/AllocationCounter.h"
#include "bench/support/BenchHome.h"
#include "bench/support/EnglishText.h"
#include "extract/ExtractWord.h"
#include "extract/HeadwordIndex.h"
#include "store/CallDB.h"

namespace bench {
namespace {

using plat::Value;

constexpr size_t kShortTextBytes = 1024;
constexpr int64_t kExtraWordId = 990000;

// Adds or removes one headword in turn: the library's shape changes, so the next extraction
// builds its index anew, as the first one of a process does.
void changeLibrary() {
  static bool present = false;
  CallDB* db = CallDB::callDB();
  if (present)
    db->sql_delete("delete from Words_Library where wl_uWordID = ?", "N",
                   Value::array({static_cast<long long>(kExtraWordId)}));
  else
    db->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "Ns",
                   Value::array({static_cast<long long>(kExtraWordId), "coldstart"}));
  present = !present;
}

// The index in use stays alive until the next one is built, so that the time and the heap count
// leave out freeing it; the store's page cache is emptied, as in a new process.
std::shared_ptr<const HeadwordIndex> prepareColdStart() {
  std::shared_ptr<const HeadwordIndex> previous = HeadwordIndex::current();
  changeLibrary();
  CallDB* db = CallDB::callDB();
  plat::LockGuard lock(db->sqlMgr().connection());
  sqlite3_db_release_memory(db->sqlMgr().database());
  return previous;
}

// A copy of the store for the reference's own connection, since the store's connection holds its
// file exclusively.
const std::string& copyOfStore() {
  static const std::string path = [] {
    const std::string copy = temporaryHome() + "/cold-reference.db";
    CallDB::callDB()->sqlMgr().RecordExec("vacuum into '" + copy + "'");
    return copy;
  }();
  return path;
}

// The floor of a cold start: a connection of its own reads every headword row into a hash map
// of word to id, and each token of the text is looked up there.
size_t readRowsAndLookUp(const std::string& path, const std::string& text) {
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, "select wl_uWordID, wl_tWord from Words_Library", -1, &stmt,
                         nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), sqlite3_errmsg(db));
    std::exit(1);
  }
  std::unordered_map<std::string, int64_t> ids;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const auto* word = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    ids.emplace(std::string(word, sqlite3_column_bytes(stmt, 1)), sqlite3_column_int64(stmt, 0));
  }
  sqlite3_finalize(stmt);

  size_t found = 0;
  std::string token;
  for (size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    if (std::isalpha(static_cast<unsigned char>(c))) {
      token += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (!token.empty()) {
      found += ids.count(token);
      token.clear();
    }
  }
  sqlite3_close(db);
  return found;
}

void BM_ColdExtract(benchmark::State& state) {
  const std::string& text = englishText(kShortTextBytes);
  int added = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::shared_ptr<const HeadwordIndex> previous = prepareColdStart();
    state.ResumeTiming();
    added = extractOnce(text);
  }
  state.counters["headwords"] = added;
}

void BM_ColdSqliteRowsAndHashLookup(benchmark::State& state) {
  const std::string& text = englishText(kShortTextBytes);
  const std::string& path = copyOfStore();
  for (auto _ : state) benchmark::DoNotOptimize(readRowsAndLookUp(path, text));
}

BENCHMARK(BM_ColdExtract)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColdSqliteRowsAndHashLookup)->Unit(benchmark::kMillisecond);

}  // namespace

const RatioPair kColdExtractRatio = {"cold_extract_vs_sqlite_rows", "BM_ColdExtract",
                                     "BM_ColdSqliteRowsAndHashLookup"};

void printColdExtractMemoryRatio() {
  const std::string& text = englishText(kShortTextBytes);
  const std::string& path = copyOfStore();

  const std::shared_ptr<const HeadwordIndex> previous = prepareColdStart();
  startHeapCount();
  extractOnce(text);
  const int64_t ours = stopHeapCount();

  startHeapCount();
  readRowsAndLookUp(path, text);
  const int64_t reference = stopHeapCount();

  std::printf("cold extraction of 1 KB, peak heap: ours %.1f MB, plain SQLite rows %.1f MB\n",
              ours / 1e6, reference / 1e6);
  std::printf("RATIO cold_extract_memory_vs_sqlite_rows %.3f\n",
              static_cast<double>(ours) / static_cast<double>(reference));
}

}  // namespace bench
