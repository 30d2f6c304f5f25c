#include "platform/crypto/SecretStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/base/Files.h"
#include "tests/support/TempDeviceStore.h"

using plat::SecretStore;

TEST(SecretStore, AddFindUpdateRemoveAndFailQuietlyInAnUnwritableFolder) {
  testsupport::TempDeviceStore store;
  ASSERT_TRUE(SecretStore::add("UUID", "first"));
  EXPECT_FALSE(SecretStore::add("UUID", "second"));  // an add never overwrites
  EXPECT_EQ(SecretStore::find("UUID"), "first");
  EXPECT_EQ(SecretStore::find("uuid"), "first");  // descriptions ignore case
  ASSERT_TRUE(SecretStore::update("uUiD", "third"));
  EXPECT_EQ(SecretStore::find("UUID"), "third");
  EXPECT_TRUE(SecretStore::remove("UUID"));
  EXPECT_FALSE(SecretStore::find("UUID"));
  EXPECT_TRUE(SecretStore::remove("UUID"));

  std::string blocked = store.path() + "/blocked";
  ASSERT_TRUE(plat::files::writeFileAtomically(blocked, "a file where the folder should be"));
  SecretStore::setFolder(blocked);
  EXPECT_FALSE(SecretStore::add("UUID", "v"));
  EXPECT_FALSE(SecretStore::find("UUID"));
  EXPECT_FALSE(SecretStore::update("UUID", "v"));
  SecretStore::setFolder(store.path());
}

TEST(SecretStore, KeepsBinaryDataAndOddDescriptionsApart) {
  testsupport::TempDeviceStore store;
  std::string binary("a\0b\xff", 4);
  ASSERT_TRUE(SecretStore::add("../escape", binary));
  ASSERT_TRUE(SecretStore::add("..%2Fescape", "other"));
  ASSERT_TRUE(SecretStore::add("", "empty description"));
  EXPECT_EQ(SecretStore::find("../escape"), binary);
  EXPECT_EQ(SecretStore::find("..%2Fescape"), "other");
  EXPECT_EQ(SecretStore::find(""), "empty description");
  // Everything stays inside the store's folder, readable by the owner only.
  for (const auto& name : plat::files::list(store.path())) {
    struct stat st;
    ASSERT_EQ(::stat(plat::files::join(store.path(), name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
  }
  EXPECT_EQ(plat::files::list(store.path()).size(), 3u);  // no temporary file left behind
  EXPECT_FALSE(SecretStore::add(std::string(300, 'x'), "too long a name"));
  EXPECT_FALSE(SecretStore::find(std::string(300, 'x')));
}

TEST(SecretStore, FolderComesFromTheEnvironmentAndIsCreatedOnFirstAdd) {
  std::string root = testsupport::makeTempDir();
  std::string dir = root + "/nested/device";
  ::setenv("VOCAB_DEVICE_DIR", dir.c_str(), 1);
  SecretStore::setFolder("");
  EXPECT_EQ(SecretStore::folder(), dir);
  EXPECT_TRUE(SecretStore::add("UUID", "v"));
  EXPECT_TRUE(plat::files::isDirectory(dir));
  ::unsetenv("VOCAB_DEVICE_DIR");
  EXPECT_NE(SecretStore::folder(), dir);
  // Without HOME: the user's own folder, never a shared one.
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::unsetenv("HOME");
  EXPECT_EQ(SecretStore::folder().rfind("/tmp", 0), std::string::npos) << SecretStore::folder();
  if (!home.empty()) ::setenv("HOME", home.c_str(), 1);
  plat::files::remove(root);
}
