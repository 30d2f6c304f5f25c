// Requests to a stand-in service as the app sends them, and a data folder that goes with the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "server/Service.h"
#include "tests/support/TempHome.h"

namespace servertest {

inline constexpr const char* kDevice = "device-1";

inline bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// `text` written `times` times over: names and notes of a chosen length in characters.
inline std::string repeated(const std::string& text, size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

// The common parameters of a signed request of `account` with `password`.
inline std::vector<std::pair<std::string, std::string>> signedParams(const std::string& account,
                                                                     const std::string& password) {
  return {{"identifie", kDevice},
          {"account", account},
          {"password", standin::md5Hex(password)},
          {"client_check_code", standin::md5Hex(std::string(kDevice) + standin::kClientKey)}};
}

// A GET of the script with the parameters, each escaped as the app escapes typed text.
inline standin::Request get(const std::string& script,
                            const std::vector<std::pair<std::string, std::string>>& params) {
  std::string target = "/api/" + script;
  char separator = '?';
  for (const auto& [name, value] : params) {
    target += separator + name + "=";
    for (unsigned char c : value) {
      static const char* hex = "0123456789ABCDEF";
      if (std::isalnum(c) || c == '-' || c == '.' || c == '_') {
        target += static_cast<char>(c);
      } else {
        target += '%';
        target += hex[c >> 4];
        target += hex[c & 15];
      }
    }
    separator = '&';
  }
  return {"GET", target, {}, ""};
}

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testsupport::makeTempDir("vocab-standin-data"); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  standin::Options options() const {
    standin::Options o;
    o.dataFolder = folder_;
    return o;
  }

  std::string folder_;
};

}  // namespace servertest
