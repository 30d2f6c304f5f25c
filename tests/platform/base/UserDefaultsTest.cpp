#include "platform/base/UserDefaults.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/ValueCoding.h"
#include "tests/support/TempHome.h"

using plat::UserDefaults;
using plat::Value;
namespace files = plat::files;

TEST(UserDefaults, TypedValuesSurviveARestartInTheirOwnHome) {
  testsupport::TempHome home;
  std::string path;
  {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    path = defaults.path();
    EXPECT_EQ(path.rfind(plat::AppHome::preferencesDir(), 0), 0u);
    defaults.setInteger("word_id", 4'000'000'000LL);
    defaults.setString("channel", "应用商店");
    defaults.setBool("launched", true);
    defaults.setDouble("ratio", 0.25);
    defaults.setObject("list", Value::array({1u, "two", Value::Bytes{0, 255}}));
    defaults.setString("gone", "x");
    defaults.removeObject("gone");
    ASSERT_TRUE(defaults.synchronize());
  }
  UserDefaults reopened(path);  // what a new process reads
  EXPECT_EQ(reopened.integerForKey("word_id"), 4'000'000'000LL);
  EXPECT_EQ(reopened.stringForKey("channel"), "应用商店");
  EXPECT_TRUE(reopened.boolForKey("launched"));
  EXPECT_EQ(reopened.doubleForKey("ratio"), 0.25);
  EXPECT_EQ(reopened.objectForKey("list"), Value::array({1u, "two", Value::Bytes{0, 255}}));
  EXPECT_TRUE(reopened.objectForKey("gone").isNull());
  EXPECT_EQ(reopened.stringForKey("word_id"), "");  // wrong type reads as empty
  EXPECT_EQ(reopened.integerForKey("missing"), 0);

  testsupport::TempHome other;
  EXPECT_NE(UserDefaults::standardUserDefaults().path(), path) << "each home has its own";
  EXPECT_EQ(UserDefaults::standardUserDefaults().stringForKey("channel"), "");
}

TEST(UserDefaults, DamagedFileReadsAsEmptyAndIsReplacedOnTheNextWrite) {
  testsupport::TempHome home;
  std::string path = files::join(plat::AppHome::preferencesDir(), "damaged");
  std::string good = plat::encodeValue(Value::dictionary({{"a", Value::array({1, 2, 3})}}));
  for (size_t cut = 0; cut < good.size(); ++cut) {
    ASSERT_TRUE(files::writeFileAtomically(path, good.substr(0, cut)));
    EXPECT_TRUE(UserDefaults(path).dictionaryRepresentation().keys().empty()) << cut;
  }
  EXPECT_FALSE(plat::decodeValue("VAL1a\xff\xff\xff\xff\x0f"));  // a count far beyond the data
  UserDefaults defaults(path);
  defaults.setInteger("a", 1);
  ASSERT_TRUE(defaults.synchronize());
  EXPECT_EQ(UserDefaults(path).integerForKey("a"), 1);
}

TEST(UserDefaults, OnlyChangedValuesAreWrittenAgain) {
  testsupport::TempHome home;
  const std::string path = files::join(plat::AppHome::preferencesDir(), "changes");
  UserDefaults defaults(path);
  auto rewrites = [&](const Value& before, const Value& after) {
    defaults.setObject("k", before);
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_TRUE(files::remove(path));
    defaults.setObject("k", after);
    EXPECT_TRUE(defaults.synchronize());
    return files::exists(path);
  };
  EXPECT_FALSE(rewrites(Value::array({1, "two"}), Value::array({1, "two"})));
  // Equal numbers of another type or sign are kept as given.
  EXPECT_TRUE(rewrites(1, 1.0));
  EXPECT_TRUE(rewrites(0.0, -0.0));
  EXPECT_TRUE(rewrites(Value::array({1}), Value::array({1.0})));
  EXPECT_EQ(UserDefaults(path).objectForKey("k").at(0).type(), Value::Type::Double);
}

TEST(Files, InterruptedAtomicWriteLeavesTheOldFileWhole) {
  testsupport::TempHome home;
  std::string path = files::join(plat::AppHome::documentsDir(), "data.txt");
  const std::string old(5000, 'o');
  ASSERT_TRUE(files::writeFileAtomically(path, old));
  // A child writes a bigger file under a file-size limit: the first time the kernel stops the
  // write (SIGXFSZ kills it mid-write), the second time the write fails with an error.
  for (bool killed : {true, false}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (!killed) signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {4096, 4096};
      setrlimit(RLIMIT_FSIZE, &limit);
      bool ok = files::writeFileAtomically(path, std::string(100000, 'n'));
      _exit(ok ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (killed) {
      EXPECT_TRUE(WIFSIGNALED(status));
    } else {
      EXPECT_EQ(WEXITSTATUS(status), 3);  // reported as a failure, not as success
    }
    EXPECT_EQ(files::readFile(path), old);
  }
  // The failed write cleaned up its temporary; only the killed one left a stray.
  EXPECT_LE(files::list(plat::AppHome::documentsDir()).size(), 2u);
}

TEST(Files, CopyAndMoveNeverOverwrite) {
  testsupport::TempHome home;
  std::string a = files::join(home.path(), "a"), b = files::join(home.path(), "b");
  ASSERT_TRUE(files::writeFileAtomically(a, "A"));
  ASSERT_TRUE(files::writeFileAtomically(b, "B"));
  EXPECT_FALSE(files::copyFile(a, b));
  EXPECT_FALSE(files::moveFile(a, b));
  EXPECT_EQ(files::readFile(b), "B");
  EXPECT_TRUE(files::remove(b));
  EXPECT_TRUE(files::moveFile(a, b));
  EXPECT_FALSE(files::exists(a));
  EXPECT_EQ(files::readFile(b), "A");
  EXPECT_TRUE(files::creationDate(b).has_value());
  EXPECT_EQ(files::pathExtension("x/y.tar.gz"), "gz");
  EXPECT_EQ(files::deletingPathExtension("x/.hidden"), "x/.hidden");
}
