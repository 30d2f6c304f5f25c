// The store fixture's bundle with the shipped images, help pages and texts of the build's bundle
// linked into it, so screens under test look as they ship.
#pragma once

#include <filesystem>
#include <string>

#include "platform/base/Bundle.h"
#include "platform/draw/Image.h"
#include "tests/store/StoreFixture.h"

namespace shippedbundle {

// Call after StoreTest::SetUp.
inline void link() {
  namespace fs = std::filesystem;
  plat::Bundle::setMainPath("");
  const std::string shipped = plat::Bundle::main().path();
  const std::string fixture = storetest::fixtureBundle();
  for (const char* name : {"gui", "help", "InfoPlist.strings"}) {
    std::error_code ignored;
    if (!fs::exists(fs::path(fixture) / name, ignored))
      fs::create_symlink(fs::path(shipped) / name, fs::path(fixture) / name, ignored);
  }
  plat::Bundle::setMainPath(fixture);
  plat::Image::clearNamedCache();
}

// Where the tests' pictures go, to be looked at after the run.
inline std::string picturePath(const std::string& name) {
  const std::string folder = ::testing::TempDir() + "vocab-screens/";
  std::filesystem::create_directories(folder);
  return folder + name;
}

}  // namespace shippedbundle
