// The first extraction of a process, which builds the headword index before it reads a 1 KB
// text, against a plain SQLite connection that reads the same headword rows into a hash map
// and looks the text's tokens up there: in time (benchmarks BM_ColdExtract and
// BM_ColdSqliteRowsAndHashLookup) and in peak heap bytes.
#pragma once

#include "bench/support/Ratio.h"

namespace bench {

extern const RatioPair kColdExtractRatio;

// Prints "RATIO cold_extract_memory_vs_sqlite_rows <value>". Call after the benchmarks.
void printColdExtractMemoryRatio();

}  // namespace bench
