// Fixture of the dump tests: the study store with every shipped row in step, and helpers that put
// study rows straight into the tables and read them back for comparison.
#pragma once

#include <string>

#include "online/Data_Package.h"
#include "tests/store/StudyFixture.h"

namespace onlinetest {

// The text form of a query's rows: fields joined by "|", rows by ";".
std::string rowsText(const std::string& sql, const std::string& retType);
// Every study table, then the settings rows that `settings` selects, rows in key order, flags
// included: one "<table>:<rows>" line each.
std::string studySnapshot(const std::string& settings = "select * from Var_Config order by 1");

class DumpTest : public storetest::StudyTest {
 protected:
  void SetUp() override;

  void exec(const std::string& sql);
  std::string snapshot() { return studySnapshot(); }
  std::string table(const std::string& sql, const std::string& retType) {
    return rowsText(sql, retType);
  }
  static Data_Package::Bytes bytes(const std::string& text) {
    return Data_Package::Bytes(text.begin(), text.end());
  }
  // A zip archive at `path` with the entries (name, content) in order.
  static void writeArchive(const std::string& path,
                           const std::vector<std::pair<std::string, std::string>>& entries);
  // The entries (name, content) of an archive.
  static std::vector<std::pair<std::string, std::string>> readArchive(const std::string& path);

  Data_Package package_;
};

}  // namespace onlinetest
