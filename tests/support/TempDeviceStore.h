// A fresh device secret store in a temporary folder for one test, removed afterwards. Header-only,
// so only the tests that use it link plat_crypto.
#pragma once

#include <filesystem>
#include <string>

#include "platform/crypto/SecretStore.h"
#include "tests/support/TempHome.h"

namespace testsupport {

class TempDeviceStore {
 public:
  TempDeviceStore() : path_(makeTempDir("vocab-device")) { plat::SecretStore::setFolder(path_); }
  ~TempDeviceStore() {
    plat::SecretStore::setFolder("");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDeviceStore(const TempDeviceStore&) = delete;
  TempDeviceStore& operator=(const TempDeviceStore&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace testsupport
