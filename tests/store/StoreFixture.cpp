#include "tests/store/StoreFixture.h"

#include <cstdlib>

#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/support/FixtureWords.h"
#include "tests/support/VirtualTime.h"

namespace storetest {

std::string sourcePath(const std::string& relative) {
  return std::string(VOCAB_SOURCE_DIR) + "/" + relative;
}

tools::LearnDbSources fixtureSources(const std::string& folder, const std::string& version) {
  testsupport::writeFixtureWords(folder + "/words");
  testsupport::writeTextFile(folder + "/info.strings",
                             "\"CFBundleVersion\" = \"" + version + "\";\n");
  return {sourcePath("resources/db/schema.sql"), folder + "/words",
          sourcePath("resources/db/feedback_define.tsv"), sourcePath("resources/db/var_config.tsv"),
          folder + "/info.strings"};
}

const std::string& fixtureBundle() {
  // Never destroyed, so that the clean-up at exit can still read it.
  static const std::string* const folder = [] {
    auto* dir = new std::string(testsupport::makeTempDir("vocab-bundle"));
    tools::buildLearnDb(fixtureSources(*dir + "/sources"), *dir + "/learn.db");
    plat::files::copyFile(*dir + "/sources/info.strings", *dir + "/info.strings");
    std::atexit([] { plat::files::remove(fixtureBundle()); });
    return dir;
  }();
  return *folder;
}

void StoreTest::SetUp() {
  home_ = std::make_unique<testsupport::TempHome>();
  plat::Bundle::setMainPath(fixtureBundle());
  clock_ = std::make_shared<plat::VirtualClock>(kMorning);
  clock_->setZone(plat::TimeZone::fixed(8 * 3600));
  plat::Clock::install(clock_);
}

void StoreTest::TearDown() {
  CallDB::Release_CallDB();
  plat::Clock::install(nullptr);
  plat::Bundle::setMainPath("");
  home_.reset();
}

std::string StoreTest::userDatabasePath() const {
  return plat::files::join(plat::AppHome::applicationSupportDir(), "learn.db");
}

void StoreTest::setLocalTime(int year, int month, int day, int hour, int minute, int second) {
  clock_->set(testsupport::wallClockTime(year, month, day, hour, minute, second));
}

}  // namespace storetest
