// The memory level of a planned word, shown as a picture on the word card and in the lists.
#include <algorithm>
#include <cstdio>

#include "store/CallDB.h"
#include "store/MyDate.h"

int CallDB::forgetLevel(int64_t remaining, bool tested) {
  // In days, and in floating point: whole days would put every word due within five days at 1.
  const double days = static_cast<double>(remaining) / MyDate::kSecondsPerDay;
  int level;
  if (remaining < 5 * MyDate::kSecondsPerDay) {
    if (!tested) return 0;
    level = static_cast<int>(std::max(days / 5 * 10, 1.0));  // overdue still shows 1
  } else if (remaining < 20 * MyDate::kSecondsPerDay) {
    level = static_cast<int>((days - 5) / 15 * 10 + 10);
  } else {
    level = static_cast<int>(std::min((days - 20) / 20 * 10 + 20, 30.0));
  }
  return std::min(level, 30);
}

std::optional<CallDB::WordForgetState> CallDB::getWordForgetState(const std::string& word) {
  plat::Value rows = sqlMgr_.selectOneChannel(
      "select sl_uLastTestTime,sl_uNextStudyTime from Study_Log where sl_uWordID = (select "
      "wl_uWordID from Words_Library where wl_tWord = ?)",
      "NN", "s", plat::Value::array({word}));
  if (rows.size() == 0) return std::nullopt;
  const int64_t remaining = rows.at(0).at(1).asInt() - MyDate::storedTime(MyDate::localDateTime());
  WordForgetState state{forgetLevel(remaining, rows.at(0).at(0).asInt() != 0),
                        {"gui/schedule/s_bg.png"}};
  if (state.level > 0) {
    char name[32];
    std::snprintf(name, sizeof name, "gui/schedule/%02i.png", state.level);
    state.images.push_back(name);
  }
  return state;
}
