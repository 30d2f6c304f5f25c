#include "util/DebugNSObject.h"

#include <gtest/gtest.h>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

using plat::files::join;

TEST(DebugNSObject, OnlyTheExactMarkerInDocumentsTurnsTestModeOn) {
  testsupport::TempHome home;
  const std::string docs = plat::AppHome::documentsDir();
  const std::string marker = "a47f02c9e15d83b6f0e2c7d49b18a3e5.txt";
  // Another case and a marker in a subfolder do not count.
  ASSERT_TRUE(plat::files::createDirectories(join(docs, "sub")));
  for (const std::string& near :
       {std::string("A47F02C9E15D83B6F0E2C7D49B18A3E5.txt"), "sub/" + marker})
    ASSERT_TRUE(plat::files::writeFileAtomically(join(docs, near), ""));
  EXPECT_FALSE(DebugNSObject::checkIsDebug());
  ASSERT_TRUE(plat::files::writeFileAtomically(join(docs, marker), ""));
  EXPECT_TRUE(DebugNSObject::checkIsDebug());
  ASSERT_TRUE(plat::files::remove(join(docs, marker)));
  EXPECT_FALSE(DebugNSObject::checkIsDebug());  // asked afresh every time
  ASSERT_TRUE(plat::files::createDirectories(join(docs, marker)));
  EXPECT_TRUE(DebugNSObject::checkIsDebug());
  ASSERT_TRUE(plat::files::remove(docs));
  EXPECT_FALSE(DebugNSObject::checkIsDebug()) << "no Documents folder at all";
}
