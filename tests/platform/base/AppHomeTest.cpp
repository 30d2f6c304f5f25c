#include "platform/base/AppHome.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets or unsets an environment variable for one case and puts it back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace

TEST(AppHomeTest, WithoutHomeVariablesTheUsersOwnFolderServesNeverASharedOne) {
  plat::AppHome::setHome("");
  ScopedEnv noVocabHome("VOCAB_HOME", nullptr);
  {
    ScopedEnv home("HOME", "/home/learner");
    EXPECT_EQ(plat::AppHome::home(), "/home/learner/.local/share/vocab");
  }
  ScopedEnv noHome("HOME", nullptr);
  const passwd* entry = getpwuid(getuid());
  ASSERT_TRUE(entry && entry->pw_dir && *entry->pw_dir);
  EXPECT_EQ(plat::AppHome::home(), std::string(entry->pw_dir) + "/.local/share/vocab");
  EXPECT_EQ(plat::AppHome::home().rfind("/tmp", 0), std::string::npos);
}
