#include "util/DebugNSObject.h"

#include <gtest/gtest.h>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

using plat::files::join;

namespace {
const std::string kMarker = "a47f02c9e15d83b6f0e2c7d49b18a3e5.txt";
}

TEST(DebugNSObject, MarkerFileOrFolderTurnsTestModeOnAndOff) {
  testsupport::TempHome home;
  const std::string docs = plat::AppHome::documentsDir();
  EXPECT_FALSE(DebugNSObject::checkIsDebug());
  ASSERT_TRUE(plat::files::writeFileAtomically(join(docs, kMarker), ""));
  EXPECT_TRUE(DebugNSObject::checkIsDebug());
  ASSERT_TRUE(plat::files::remove(join(docs, kMarker)));
  EXPECT_FALSE(DebugNSObject::checkIsDebug());  // asked afresh every time
  ASSERT_TRUE(plat::files::createDirectories(join(docs, kMarker)));
  EXPECT_TRUE(DebugNSObject::checkIsDebug());
  ASSERT_TRUE(plat::files::remove(docs));
  EXPECT_FALSE(DebugNSObject::checkIsDebug()) << "no Documents folder at all";
}

TEST(DebugNSObject, OtherCaseSubfoldersAndNearNamesDoNotCount) {
  testsupport::TempHome home;
  const std::string docs = plat::AppHome::documentsDir();
  ASSERT_TRUE(
      plat::files::writeFileAtomically(join(docs, "A47F02C9E15D83B6F0E2C7D49B18A3E5.txt"), ""));
  ASSERT_TRUE(plat::files::writeFileAtomically(join(docs, kMarker + ".bak"), ""));
  ASSERT_TRUE(plat::files::writeFileAtomically(join(docs, "a47f02c9e15d83b6f0e2c7d49b18a3e5"), ""));
  ASSERT_TRUE(plat::files::createDirectories(join(docs, "sub")));
  ASSERT_TRUE(plat::files::writeFileAtomically(join(join(docs, "sub"), kMarker), ""));
  EXPECT_FALSE(DebugNSObject::checkIsDebug());
}
