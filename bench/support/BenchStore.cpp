#include "bench/support/BenchStore.h"

#include <cstdio>
#include <cstdlib>

#include "bench/support/BenchHome.h"
#include "platform/base/Bundle.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace bench {
namespace {

int64_t storedNow() {
  return MyDate::storedTime(MyDate::localDateTime());
}

}  // namespace

CallDB* storeWithPlannedWords(int count, const std::string& prefix, int firstId) {
  static CallDB* const store = [&] {
    temporaryHome();
    // Registered after the home's removal, so it runs before it: the store closes first.
    std::atexit([] { CallDB::Release_CallDB(); });

    if (plat::Bundle::main().pathForResource("learn", "db").empty()) {
      std::fprintf(stderr, "no learn.db in the bundle %s\n", plat::Bundle::main().path().c_str());
      std::exit(1);
    }
    CallDB* db = CallDB::callDB();
    if (!db->isOpen()) {
      std::fprintf(stderr, "the study store did not open\n");
      std::exit(1);
    }
    const int64_t now = storedNow();
    db->sqlMgr().beginTransaction();
    for (int i = 0; i < count; ++i) {
      char word[64];
      std::snprintf(word, sizeof word, "%s%05d", prefix.c_str(), i);
      db->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                     plat::Value::array({firstId + i, word}));
      db->InsertStudyWord(word, now - 10 * 86400);
    }
    db->UpdatePersonalValue_isNeed("ReviewLimitCount", std::to_string(2 * count));
    db->sqlMgr().commitTransaction();
    return db;
  }();
  return store;
}

void makeAllDue(CallDB* db) {
  const int64_t now = storedNow();
  db->sql_update(
      "update Study_Log set sl_uLastTestTime = ?, sl_uNextStudyTime = ? - (sl_uWordID * 7919) % "
      "86400, sl_uFeedbackID1 = 2",
      "NN",
      plat::Value::array({static_cast<long long>(now - 2 * 86400), static_cast<long long>(now)}));
}

}  // namespace bench
