// The archives that sync-down replies name for the app to fetch with a plain GET. Each lies at an
// address made of a random token that only its own account's reply names, and is kept no longer
// than it is needed: fetched once, replaced by the account's next sync down, or dropped unfetched
// after a while. So an account has one archive at most, and a client that was not handed an
// address has nothing to try.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "server/SharedText.h"

namespace standin {

class SyncArchives {
 public:
  // How long an archive waits for its fetch: the learner confirms a sync down from the settings
  // before the app fetches it, and may take a while over it.
  static constexpr int64_t kKeptSeconds = 30 * 60;

  // Keeps `archive` for `account` from `now` (seconds), in place of the one it had; its path
  // ("/files/<token>/backup_alldata.zip"), or "" when no random token could be made.
  std::string publish(const std::string& account, std::string archive, int64_t now);

  // The archive at `path`, taken out (an archive is served once); nothing when none lies there.
  std::optional<std::string> take(const std::string& path, int64_t now);
  // The same left in place, for a client that asks what lies there before it fetches it.
  std::optional<std::string> peek(const std::string& path, int64_t now);

  size_t size() const { return byPath_.size(); }

 private:
  struct Entry {
    std::string account;
    SharedText bytes;
    int64_t expires = 0;
  };
  void dropExpired(int64_t now);

  std::map<std::string, Entry> byPath_;
};

// 128 bits from the system's random source as 32 lower-case hex digits; "" when it failed.
std::string randomToken();

}  // namespace standin
