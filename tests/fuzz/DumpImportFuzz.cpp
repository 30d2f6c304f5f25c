// The restore's dump import over arbitrary bytes: a dump is applied whole or refused, and a
// refusal leaves every study table as it was. The store is a copy of the shipped learn.db in a
// scratch home in memory ($VOCAB_BUNDLE names the bundle, as for the tests), seeded with a few
// rows: on disk, the store's syncs after every import held the fuzzer to a few dozen inputs a
// second, too few for it ever to try long ones.
#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <utility>

#include "online/Data_Package.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/Value.h"
#include "store/CallDB.h"

namespace {

// The study tables with their column counts.
const std::pair<const char*, int> kTables[] = {
    {"Study_List", 3},         {"Study_Log", 10},      {"Study_Note", 3},
    {"Words_Mnemonic", 3},     {"Words_MyYuFa", 3},    {"Words_YuFa", 3},
    {"IncreasingWord_Log", 3}, {"Familiarity_Log", 6}, {"ReviewWords_Log", 3},
    {"ForgetWords_Log", 4},    {"delete_words", 1},    {"Var_Config", 3}};

// Every row of the study tables as text.
std::string snapshot() {
  std::string all;
  for (const auto& [table, columns] : kTables) {
    const plat::Value rows =
        CallDB::callDB()->sql_select(std::string("select * from ") + table + " order by rowid",
                                     std::string(columns, 's'), "", plat::Value::array());
    all += table;
    for (size_t r = 0; r < rows.size(); ++r) {
      for (size_t c = 0; c < rows[r].size(); ++c) all += "|" + rows[r][c].asString();
      all += ";";
    }
    all += "\n";
  }
  return all;
}

void exec(const std::string& sql) {
  CallDB::callDB()->sql_update(sql, "", plat::Value::array());
}

// The rows every input meets.
void seed() {
  exec("delete from Study_List");
  exec("delete from Study_Note");
  exec("insert into Study_List values (1, 100, 0)");
  exec("insert into Study_Note values (1, 'device note', 0)");
  exec("insert or ignore into delete_words values (6)");
}

void setUp() {
  const char* memory = plat::files::exists("/dev/shm") ? "/dev/shm" : "/tmp";
  const std::string home = std::string(memory) + "/vocab-fuzz-dump-" + std::to_string(::getpid());
  plat::files::remove(home);
  plat::AppHome::setHome(home);
  plat::AppHome::ensureFolders();
  std::atexit([] { plat::files::remove(plat::AppHome::home()); });
  seed();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  const std::string before = snapshot();
  Data_Package package;
  try {
    package.DataToDB(Data_Package::Bytes(data, data + size));
  } catch (const std::exception&) {
    if (snapshot() != before) std::abort();  // a refused dump changed the store
    return 0;
  }
  seed();  // applied: the next input meets the same rows
  return 0;
}
