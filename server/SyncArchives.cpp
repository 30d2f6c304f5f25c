#include "server/SyncArchives.h"

#include <openssl/rand.h>

#include <utility>

#include "server/State.h"  // hexOf

namespace standin {

std::string randomToken() {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return "";
  return hexOf(bytes, sizeof bytes);
}

std::string SyncArchives::publish(const std::string& account, std::string archive, int64_t now) {
  dropExpired(now);
  std::erase_if(byPath_, [&](const auto& entry) { return entry.second.account == account; });
  const std::string token = randomToken();
  if (token.empty()) return "";
  // The archive's own name stays last: the app saves the download under it.
  std::string path = "/files/" + token + "/backup_alldata.zip";
  byPath_[path] = {account, std::move(archive), now + kKeptSeconds};
  return path;
}

std::optional<std::string> SyncArchives::take(const std::string& path, int64_t now) {
  dropExpired(now);
  auto found = byPath_.find(path);
  if (found == byPath_.end()) return std::nullopt;
  std::string bytes = found->second.bytes.release();
  byPath_.erase(found);
  return bytes;
}

std::optional<std::string> SyncArchives::peek(const std::string& path, int64_t now) {
  dropExpired(now);
  auto found = byPath_.find(path);
  if (found == byPath_.end()) return std::nullopt;
  return found->second.bytes.str();
}

void SyncArchives::dropExpired(int64_t now) {
  std::erase_if(byPath_, [&](const auto& entry) { return now >= entry.second.expires; });
}

}  // namespace standin
