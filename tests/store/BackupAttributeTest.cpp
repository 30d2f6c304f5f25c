#include "store/BackupAttribute.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

namespace {

std::string output(const std::string& command) {
  std::string text;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  char buffer[256];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) text += buffer;
  return text;
}

TEST(BackupAttribute, MarkedFilesAreLeftOutByABackupTool) {
  testsupport::TempHome home;
  std::string folder = home.path() + "/Caches";
  plat::files::createDirectories(folder);
  plat::files::writeFileAtomically(folder + "/voice.zip", "pack");
  plat::files::writeFileAtomically(folder + "/notes.txt", "mine");
  if (!BackupAttribute::addSkipBackupAttributeToItemAtURL(folder + "/voice.zip")) {
    GTEST_SKIP() << "the file system of " << folder << " keeps no file flags";
  }
  EXPECT_TRUE(BackupAttribute::isExcludedFromBackup(folder + "/voice.zip"));
  EXPECT_FALSE(BackupAttribute::isExcludedFromBackup(folder + "/notes.txt"));
  EXPECT_FALSE(BackupAttribute::addSkipBackupAttributeToItemAtURL(folder + "/missing.zip"));
  EXPECT_FALSE(BackupAttribute::isExcludedFromBackup(folder + "/missing.zip"));

  // The outside tools see the same mark: lsattr shows it, bsdtar --nodump leaves the file out.
  EXPECT_EQ(output("lsattr -d '" + folder + "/voice.zip' | cut -c7"), "d\n");
  EXPECT_EQ(output("bsdtar --nodump -cf - -C '" + folder + "' . | bsdtar -tf - | sort"),
            "./\n./notes.txt\n");
  // Marking again changes nothing, and the content is untouched.
  EXPECT_TRUE(BackupAttribute::addSkipBackupAttributeToItemAtURL(folder + "/voice.zip"));
  EXPECT_EQ(plat::files::readFile(folder + "/voice.zip"), "pack");
}

}  // namespace
