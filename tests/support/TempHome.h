// A fresh app home in a temporary folder for one test, removed afterwards.
#pragma once

#include <string>

namespace testsupport {

class TempHome {
 public:
  TempHome();   // makes the folder, points plat::AppHome at it and creates the standard folders
  ~TempHome();  // restores the previous home and removes the folder
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A new empty temporary folder (not removed automatically).
std::string makeTempDir(const std::string& prefix = "vocab-test");

}  // namespace testsupport
