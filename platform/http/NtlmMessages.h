// The three messages of an NTLM login and the NTLMv2 values inside them: the client's negotiate
// message, the server's challenge (read here) and the client's authenticate message answering it.
// Messages are bytes in std::string; the HTTP fields carry them in Base64 after "NTLM ".
// Only NTLMv2 responses are made: the older responses give the password away to anyone who
// records the exchange.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace plat::http::ntlm {

struct Challenge {
  uint32_t flags = 0;
  std::string serverChallenge;        // 8 bytes
  std::string targetInfo;             // the AV pairs, as sent
  std::optional<uint64_t> timestamp;  // the server's MsvAvTimestamp, when it sent one
};

std::string negotiateMessage();
// The challenge message in `bytes`; nothing when it is not one or its fields lie outside it.
std::optional<Challenge> parseChallengeMessage(const std::string& bytes);

// The authenticate message for `challenge`. `clientChallenge` is 8 random bytes and `time` the
// client's time in tenths of a microsecond since 1601 (the server's timestamp, when it sent one,
// is used instead).
std::string authenticateMessage(const Challenge& challenge, const std::string& user,
                                const std::string& domain, const std::string& password,
                                const std::string& clientChallenge, uint64_t time);

// The NTLMv2 values, for checking against known answers. Text is UTF-8; it goes out as UTF-16LE.
std::string ntowfV1(const std::string& password);
// The user name is upper-cased by Unicode's rules, as Windows upper-cases account names; the
// domain is taken as it stands.
std::string ntowfV2(const std::string& user, const std::string& domain,
                    const std::string& password);
// The client's blob ("temp") that the NT response proves and carries.
std::string clientBlob(uint64_t time, const std::string& clientChallenge,
                       const std::string& targetInfo);
std::string ntProofStr(const std::string& ntowfV2, const std::string& serverChallenge,
                       const std::string& blob);
std::string lmV2Response(const std::string& ntowfV2, const std::string& serverChallenge,
                         const std::string& clientChallenge);
std::string sessionBaseKey(const std::string& ntowfV2, const std::string& ntProofStr);

// Tenths of a microsecond since 1601 for seconds since 1970.
uint64_t fileTimeFromUnixSeconds(double seconds);

}  // namespace plat::http::ntlm
