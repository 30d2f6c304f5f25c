#include "server/State.h"

#include <openssl/evp.h>

#include <ctime>
#include <filesystem>

namespace standin {

int64_t State::clock() const {
  return now ? *now : static_cast<int64_t>(std::time(nullptr));
}

Account& State::addAccount(const std::string& name, const std::string& passwordMd5) {
  Account& account = accounts[lowercase(name)];
  account = Account{};
  account.name = lowercase(name);
  account.passwordMd5 = passwordMd5;
  account.popularizeId = 1000 + nextId++;
  return account;
}

void State::changeBackup(Account& account, std::string dump, bool uploaded) {
  changedBackups.insert(account.name);
  account.dump = std::move(dump);
  account.lastSynId = uploaded ? account.lastSynId + 1 : 0;
  account.lastSynTime = uploaded ? clock() : 0;
}

std::string voicePackPath(bool extended) {
  return extended ? "/voices/extended.zip" : "/voices/basic.zip";
}

bool voicePackIn(const State& state, bool extended) {
  return !state.options.dataFolder.empty() &&
         std::filesystem::is_regular_file(state.options.dataFolder + voicePackPath(extended));
}

std::string hexOf(const unsigned char* bytes, size_t size) {
  static const char* hex = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    out += hex[bytes[i] >> 4];
    out += hex[bytes[i] & 15];
  }
  return out;
}

namespace {

std::string digestHex(const std::string& text, const EVP_MD* kind) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(text.data(), text.size(), digest, &size, kind, nullptr);
  return hexOf(digest, size);
}

}  // namespace

std::string md5Hex(const std::string& text) {
  return digestHex(text, EVP_md5());
}

std::string sha256Hex(const std::string& text) {
  return digestHex(text, EVP_sha256());
}

std::string lowercase(std::string text) {
  // ASCII letters only, as the C locale's tolower, in a loop plain enough to stay quick in a debug
  // build over a name of a hundred megabytes.
  for (char *at = text.data(), *end = at + text.size(); at != end; ++at)
    if (*at >= 'A' && *at <= 'Z') *at = static_cast<char>(*at - 'A' + 'a');
  return text;
}

}  // namespace standin
