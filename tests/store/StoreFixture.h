// Test fixture of the store: every case gets its own app home, a bundle whose learn.db is built
// from the fixture word set, and a virtual clock in a fixed zone (UTC+8).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/base/Clock.h"
#include "tests/support/TempHome.h"
#include "tools/LearnDbBuilder.h"

namespace storetest {

// A file of the source tree, e.g. "resources/db/schema.sql".
std::string sourcePath(const std::string& relative);

// Writes the fixture word files and an info.strings of version `version` into `folder` and returns
// the builder's sources for them (the project's own schema, grades and first settings).
tools::LearnDbSources fixtureSources(const std::string& folder, const std::string& version = "3.5");

// A bundle folder with info.strings and learn.db built from the fixture words; made once.
const std::string& fixtureBundle();

// 2023-11-15 10:00:00 local time in UTC+8, as a Unix time.
constexpr double kMorning = 1700013600.0;

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The learner's database file in the app home.
  std::string userDatabasePath() const;
  // Sets the virtual clock to the local wall-clock time "yyyy-mm-dd hh:mm:ss" of UTC+8.
  void setLocalTime(int year, int month, int day, int hour, int minute, int second = 0);

  std::unique_ptr<testsupport::TempHome> home_;
  std::shared_ptr<plat::VirtualClock> clock_;
};

}  // namespace storetest
