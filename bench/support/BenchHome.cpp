#include "bench/support/BenchHome.h"

#include <cstdlib>
#include <filesystem>

#include "platform/base/AppHome.h"

namespace bench {

namespace fs = std::filesystem;

const std::string& temporaryHome() {
  static const std::string home = [] {
    std::string pattern = (fs::temp_directory_path() / "vocab-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    plat::AppHome::setHome(pattern);
    plat::AppHome::ensureFolders();
    return pattern;
  }();
  // Registered once `home` is made, so that it runs before the string is destroyed.
  static const bool removedAtExit = [] {
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(home, ignored);
    });
    return true;
  }();
  (void)removedAtExit;
  return home;
}

}  // namespace bench
