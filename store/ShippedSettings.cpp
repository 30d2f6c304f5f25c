#include "store/ShippedSettings.h"

#include <sqlite3.h>

#include "platform/base/Bundle.h"

namespace ShippedSettings {

std::vector<std::pair<std::string, std::string>> read() {
  std::vector<std::pair<std::string, std::string>> rows;
  const std::string path = plat::Bundle::main().pathForResource("learn", "db");
  sqlite3* db = nullptr;
  // Its own connection: the store's may be inside a transaction, where no file can be attached.
  if (path.empty() || sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                                      nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* select = nullptr;
  if (sqlite3_prepare_v2(db, "select vc_tVarName, vc_tValue from Var_Config", -1, &select,
                         nullptr) == SQLITE_OK) {
    while (sqlite3_step(select) == SQLITE_ROW) {
      auto text = [select](int column) {
        const unsigned char* value = sqlite3_column_text(select, column);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
      };
      rows.emplace_back(text(0), text(1));
    }
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
  return rows;
}

}  // namespace ShippedSettings
