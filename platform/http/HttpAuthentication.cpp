#include "platform/http/HttpAuthentication.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

#include "platform/crypto/CryptoLibrary.h"
#include "platform/http/HeaderMap.h"

namespace plat::http {
namespace {

struct Challenge {
  std::string scheme;                         // lower case
  std::map<std::string, std::string> params;  // names in lower case
  std::string token;                          // the Base64 of an NTLM or Negotiate challenge
};

bool takesToken(const std::string& scheme) {
  return scheme == "ntlm" || scheme == "negotiate";
}

bool isTokenChar(char c) {
  return c > ' ' && c != ',' && c != '=' && c != '"' && c != 127;
}

// The challenges of a header value; several may share one field, separated by commas.
std::vector<Challenge> parseChallenges(const std::string& text) {
  std::vector<Challenge> challenges;
  size_t i = 0;
  auto skipSpace = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  };
  auto token = [&] {
    size_t start = i;
    while (i < text.size() && isTokenChar(text[i])) ++i;
    return text.substr(start, i - start);
  };
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == ',')) ++i;
    std::string scheme = token();
    if (scheme.empty()) break;
    Challenge challenge{lowercased(scheme), {}, {}};
    if (takesToken(challenge.scheme)) {
      // Base64 may end in "=", so the token runs to the next comma, which Base64 never holds.
      skipSpace();
      const size_t start = i;
      while (i < text.size() && text[i] != ',') ++i;
      challenge.token = text.substr(start, i - start);
      while (!challenge.token.empty() &&
             (challenge.token.back() == ' ' || challenge.token.back() == '\t'))
        challenge.token.pop_back();
      challenges.push_back(std::move(challenge));
      continue;
    }
    for (;;) {
      skipSpace();
      const size_t nameStart = i;
      std::string name = token();
      skipSpace();
      if (name.empty() || i >= text.size() || text[i] != '=') {
        // The next challenge's scheme (or a token68, which no scheme built here uses).
        if (!name.empty()) i = nameStart;
        break;
      }
      ++i;  // '='
      skipSpace();
      std::string value;
      if (i < text.size() && text[i] == '"') {
        for (++i; i < text.size() && text[i] != '"'; ++i) {
          if (text[i] == '\\' && i + 1 < text.size()) ++i;
          value += text[i];
        }
        ++i;
      } else {
        size_t start = i;
        while (i < text.size() && text[i] != ',' && text[i] != ' ' && text[i] != '\t') ++i;
        value = text.substr(start, i - start);
      }
      challenge.params[lowercased(name)] = value;
      skipSpace();
      if (i < text.size() && text[i] == ',') ++i;
    }
    challenges.push_back(std::move(challenge));
  }
  return challenges;
}

std::string hashHex(const std::string& algorithm, const std::string& data) {
  crypto::prepareLibrary();
  const EVP_MD* type = algorithm.rfind("SHA-256", 0) == 0 ? EVP_sha256() : EVP_md5();
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), out, &length, type, nullptr);
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (unsigned int k = 0; k < length; ++k) {
    hex += digits[out[k] >> 4];
    hex += digits[out[k] & 15];
  }
  return hex;
}

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool supportedAlgorithm(const std::string& algorithm) {
  return algorithm == "MD5" || algorithm == "MD5-SESS" || algorithm == "SHA-256" ||
         algorithm == "SHA-256-SESS";
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string Authentication::base64(const std::string& bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                      reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<int>(bytes.size()));
  out.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return out;
}

std::optional<std::string> Authentication::fromBase64(const std::string& text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out(text.size() / 4 * 3 + 1, '\0');
  const int written = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                      reinterpret_cast<const unsigned char*>(text.data()),
                                      static_cast<int>(text.size()));
  if (written < 0) return std::nullopt;
  // The decoder counts the padding as zero bytes.
  size_t length = static_cast<size_t>(written);
  for (size_t k = text.size(); k > 0 && text[k - 1] == '=' && length > 0; --k) --length;
  out.resize(length);
  return out;
}

std::string Authentication::basicValue(const std::string& username, const std::string& password) {
  return "Basic " + base64(username + ":" + password);
}

std::string Authentication::digestResponse(const std::string& algorithm,
                                           const std::string& username, const std::string& realm,
                                           const std::string& password, const std::string& method,
                                           const std::string& uri, const std::string& nonce,
                                           const std::string& nc, const std::string& cnonce,
                                           const std::string& qop) {
  const std::string name = upper(algorithm);
  std::string ha1 = hashHex(name, username + ":" + realm + ":" + password);
  if (name.size() > 5 && name.compare(name.size() - 5, 5, "-SESS") == 0)
    ha1 = hashHex(name, ha1 + ":" + nonce + ":" + cnonce);
  const std::string ha2 = hashHex(name, method + ":" + uri);
  if (qop.empty()) return hashHex(name, ha1 + ":" + nonce + ":" + ha2);
  return hashHex(name, ha1 + ":" + nonce + ":" + nc + ":" + cnonce + ":" + qop + ":" + ha2);
}

std::shared_ptr<Authentication> Authentication::fromResponse(const ResponseHead& head, bool proxy) {
  const auto challenges =
      parseChallenges(head.headers.value(proxy ? "Proxy-Authenticate" : "WWW-Authenticate"));
  const Challenge* best = nullptr;
  int bestRank = 0;
  constexpr int kBasic = 1, kNtlm = 2, kDigestMd5 = 3, kDigestSha256 = 4;
  std::optional<ntlm::Challenge> ntlmChallenge;
  for (const Challenge& challenge : challenges) {
    int rank = 0;
    if (challenge.scheme == "basic") rank = kBasic;
    if (challenge.scheme == "ntlm") {
      rank = kNtlm;
      if (!challenge.token.empty()) {
        auto bytes = fromBase64(challenge.token);
        ntlmChallenge = bytes ? ntlm::parseChallengeMessage(*bytes) : std::nullopt;
        if (!ntlmChallenge) rank = 0;  // a challenge that can't be read can't be answered
      }
    }
    if (challenge.scheme == "digest" && challenge.params.count("nonce")) {
      auto found = challenge.params.find("algorithm");
      const std::string algorithm = found == challenge.params.end() ? "MD5" : upper(found->second);
      auto qop = challenge.params.find("qop");
      const bool qopUsable =
          qop == challenge.params.end() || qop->second.find("auth") != std::string::npos;
      if (supportedAlgorithm(algorithm) && qopUsable)
        rank = algorithm.rfind("SHA-256", 0) == 0 ? kDigestSha256 : kDigestMd5;
    }
    if (rank > bestRank) {
      best = &challenge;
      bestRank = rank;
    }
  }
  if (!best) return nullptr;
  std::shared_ptr<Authentication> object(new Authentication());
  object->proxy_ = proxy;
  auto param = [best](const char* name) {
    auto found = best->params.find(name);
    return found == best->params.end() ? std::string() : found->second;
  };
  object->realm_ = param("realm");
  if (bestRank == kBasic) {
    object->method_ = "Basic";
  } else if (bestRank == kNtlm) {
    object->method_ = "NTLM";
    object->realm_.clear();
    object->ntlmChallenge_ = ntlmChallenge;
    if (ntlmChallenge) object->ntlmStage_ = NtlmStage::HaveChallenge;
  } else {
    object->method_ = "Digest";
    object->nonce_ = param("nonce");
    object->opaque_ = param("opaque");
    object->algorithm_ = param("algorithm").empty() ? "MD5" : param("algorithm");
    // "auth" whenever offered, alone or in a list such as "auth,auth-int".
    const std::string qop = param("qop");
    if (!qop.empty()) object->qop_ = "auth";
  }
  return object;
}

std::shared_ptr<Authentication> Authentication::forNewExchange(
    const std::shared_ptr<Authentication>& stored) {
  if (!stored || stored->method_ != "NTLM") return stored;
  std::shared_ptr<Authentication> fresh(new Authentication());
  fresh->proxy_ = stored->proxy_;
  fresh->method_ = stored->method_;
  return fresh;
}

bool Authentication::isMidHandshake() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return method_ == "NTLM" && valid_ && ntlmStage_ != NtlmStage::Start;
}

bool Authentication::sendsCredentialsNext() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return method_ != "NTLM" || ntlmChallenge_.has_value();
}

void Authentication::updateNtlm(const Authentication& fresh) {
  if (fresh.ntlmChallenge_ && ntlmStage_ != NtlmStage::SentAuthenticate) {
    ntlmChallenge_ = fresh.ntlmChallenge_;
    ntlmStage_ = NtlmStage::HaveChallenge;
    return;
  }
  if (ntlmStage_ == NtlmStage::Start) return;  // nothing sent yet: the same question again
  valid_ = false;
  // A challenge without a value after the negotiate message is no verdict on the credentials
  // (the connection changed under the handshake); after the authenticate message it refuses them.
  if (ntlmStage_ == NtlmStage::SentAuthenticate) refusal_ = Refusal::BadCredentials;
  ntlmChallenge_.reset();
}

bool Authentication::updateFromResponse(const ResponseHead& head) {
  auto fresh = fromResponse(head, proxy_);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!fresh || fresh->method_ != method_ || fresh->realm_ != realm_) return false;
  if (method_ == "NTLM") {
    updateNtlm(*fresh);
    return true;
  }
  const bool stale = method_ == "Digest" && [&] {
    for (const Challenge& c :
         parseChallenges(head.headers.value(proxy_ ? "Proxy-Authenticate" : "WWW-Authenticate"))) {
      auto found = c.params.find("stale");
      if (c.scheme == "digest" && found != c.params.end() && lowercased(found->second) == "true")
        return true;
    }
    return false;
  }();
  if (stale) {
    nonce_ = fresh->nonce_;
    opaque_ = fresh->opaque_;
    algorithm_ = fresh->algorithm_;
    qop_ = fresh->qop_;
    nonceCount_ = 0;
    valid_ = true;
    refusal_ = Refusal::None;
  } else if (sentCredentials_) {
    valid_ = false;
    refusal_ = Refusal::BadCredentials;
  }
  return true;
}

bool Authentication::isValid() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return valid_;
}

Authentication::Refusal Authentication::refusal() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return refusal_;
}

bool Authentication::apply(RequestMessage& message, const Credentials& credentials) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (credentials.username.empty()) return false;
  const char* field = proxy_ ? "Proxy-Authorization" : "Authorization";
  sentCredentials_ = true;
  if (method_ == "Basic") {
    message.headers.set(field, basicValue(credentials.username, credentials.password));
    return true;
  }
  if (method_ == "NTLM") return applyNtlm(message, credentials, field);
  crypto::prepareLibrary();
  unsigned char random[12];
  if (RAND_bytes(random, sizeof random) != 1) return false;
  const std::string cnonce = base64(std::string(reinterpret_cast<char*>(random), sizeof random));
  char nc[9];
  std::snprintf(nc, sizeof nc, "%08x", ++nonceCount_);
  // The digest covers the path and query, as the request line of a direct request names them.
  const std::string uri = message.url.requestTarget();
  const std::string response =
      digestResponse(algorithm_, credentials.username, realm_, credentials.password, message.method,
                     uri, nonce_, nc, cnonce, qop_);
  std::string value = "Digest username=" + quoted(credentials.username) +
                      ", realm=" + quoted(realm_) + ", nonce=" + quoted(nonce_) +
                      ", uri=" + quoted(uri) + ", algorithm=" + algorithm_ +
                      ", response=" + quoted(response);
  if (!opaque_.empty()) value += ", opaque=" + quoted(opaque_);
  if (!qop_.empty()) value += ", qop=" + qop_ + ", nc=" + nc + ", cnonce=" + quoted(cnonce);
  message.headers.set(field, value);
  return true;
}

bool Authentication::answersNtlmChallenge(const RequestMessage& message) {
  for (const char* field : {"Authorization", "Proxy-Authorization"}) {
    const std::string value = message.headers.value(field);
    if (value.rfind("NTLM ", 0) != 0) continue;
    const auto bytes = fromBase64(value.substr(5));
    if (bytes && bytes->size() > 8 && bytes->compare(0, 8, std::string("NTLMSSP\0", 8)) == 0 &&
        (*bytes)[8] == 3)
      return true;
  }
  return false;
}

bool Authentication::applyNtlm(RequestMessage& message, const Credentials& credentials,
                               const char* field) {
  if (!ntlmChallenge_) {
    message.headers.set(field, "NTLM " + base64(ntlm::negotiateMessage()));
    ntlmStage_ = NtlmStage::SentNegotiate;
    return true;
  }
  crypto::prepareLibrary();
  unsigned char clientChallenge[8];
  if (RAND_bytes(clientChallenge, sizeof clientChallenge) != 1) return false;
  const std::string answer = ntlm::authenticateMessage(
      *ntlmChallenge_, credentials.username, credentials.accountDomain, credentials.password,
      std::string(reinterpret_cast<char*>(clientChallenge), sizeof clientChallenge),
      ntlm::fileTimeFromUnixSeconds(static_cast<double>(std::time(nullptr))));
  message.headers.set(field, "NTLM " + base64(answer));
  // A challenge answers once: sending again starts a new handshake.
  ntlmChallenge_.reset();
  ntlmStage_ = NtlmStage::SentAuthenticate;
  return true;
}

}  // namespace plat::http
