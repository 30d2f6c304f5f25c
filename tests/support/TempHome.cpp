#include "tests/support/TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/base/AppHome.h"

namespace testsupport {

std::string makeTempDir(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

TempHome::TempHome() : path_(makeTempDir("vocab-home")) {
  plat::AppHome::setHome(path_);
  plat::AppHome::ensureFolders();
}

TempHome::~TempHome() {
  plat::AppHome::setHome("");
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace testsupport
