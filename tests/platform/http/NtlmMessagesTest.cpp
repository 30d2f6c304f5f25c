// NTLM messages: the NTLMv2 values against the protocol's worked example, the authenticate
// message's layout as a server reads it, and challenges that lie about their own length.
#include "platform/http/NtlmMessages.h"

#include <gtest/gtest.h>

#include "platform/crypto/Digest.h"
#include "platform/crypto/Md4.h"

namespace ntlm = plat::http::ntlm;

namespace {

std::string hexOf(const std::string& bytes) {
  return plat::crypto::hex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string utf16le(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

// MsvAvNbDomainName "Domain", MsvAvNbComputerName "Server", MsvAvEOL.
std::string exampleTargetInfo() {
  std::string pairs;
  pairs += std::string("\x02\x00\x0c\x00", 4) + utf16le("Domain");
  pairs += std::string("\x01\x00\x0c\x00", 4) + utf16le("Server");
  pairs += std::string(4, '\0');
  return pairs;
}

const std::string kServerChallenge("\x01\x23\x45\x67\x89\xab\xcd\xef", 8);
const std::string kClientChallenge(8, '\xaa');

uint16_t u16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t u32(const std::string& b, size_t at) {
  return u16(b, at) | static_cast<uint32_t>(u16(b, at + 2)) << 16;
}
// The payload of the field whose length/offset record starts at `at`.
std::string field(const std::string& message, size_t at) {
  return message.substr(u32(message, at + 4), u16(message, at));
}

// A challenge message as a server builds it, with target information.
std::string challengeMessage(const std::string& targetInfo, uint32_t flags = 0x00828205) {
  std::string m("NTLMSSP\0", 8);
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) m += static_cast<char>(v >> (8 * i));
  };
  put32(2);
  m += std::string("\0\0\0\0", 4);  // no target name
  put32(48);
  put32(flags);
  m += kServerChallenge;
  m += std::string(8, '\0');
  m += static_cast<char>(targetInfo.size());
  m += '\0';
  m += static_cast<char>(targetInfo.size());
  m += '\0';
  put32(48);
  return m + targetInfo;
}

}  // namespace

TEST(NtlmMessagesTest, V2ValuesMatchTheWorkedExample) {
  EXPECT_EQ(hexOf(ntlm::ntowfV1("Password")), "a4f49c406510bdcab6824ee7c30fd852");
  const std::string key = ntlm::ntowfV2("User", "Domain", "Password");
  EXPECT_EQ(hexOf(key), "0c868a403bfd7a93a3001ef22ef02e3f");
  const std::string blob = ntlm::clientBlob(0, kClientChallenge, exampleTargetInfo());
  EXPECT_EQ(hexOf(blob),
            "01010000000000000000000000000000aaaaaaaaaaaaaaaa0000000002000c0044006f006d0061006900"
            "6e0001000c005300650072007600650072000000000000000000");
  const std::string proof = ntlm::ntProofStr(key, kServerChallenge, blob);
  EXPECT_EQ(hexOf(proof), "68cd0ab851e51c96aabc927bebef6a1c");
  EXPECT_EQ(hexOf(ntlm::lmV2Response(key, kServerChallenge, kClientChallenge)),
            "86c35097ac9cec102554764a57cccc19aaaaaaaaaaaaaaaa");
  EXPECT_EQ(hexOf(ntlm::sessionBaseKey(key, proof)), "8de40ccadbc14a82f15cb0ad0de95ca3");
  // Only the user name changes case.
  EXPECT_EQ(ntlm::ntowfV2("user", "Domain", "Password"), key);
  EXPECT_NE(ntlm::ntowfV2("User", "DOMAIN", "Password"), key);
}

// NTOWFv2 by its definition, with the upper-cased names written out by hand as UTF-16LE: Windows
// upper-cases account names beyond ASCII, so "zoë" logs in as "ZOË" does.
TEST(NtlmMessagesTest, UserNamesAreUpperCasedByUnicodeRules) {
  const std::string v1 = ntlm::ntowfV1("Password");
  auto byDefinition = [&](const std::string& upperUserAndDomainUtf16) {
    const auto digest = plat::crypto::hmacMd5(v1, upperUserAndDomainUtf16);
    return std::string(digest.begin(), digest.end());
  };
  const std::string domain("D\0o\0m\0a\0i\0n\0", 12);
  EXPECT_EQ(hexOf(ntlm::ntowfV2("zoë", "Domain", "Password")),
            hexOf(byDefinition(std::string("Z\0O\0\xcb\0", 6) + domain)));
  EXPECT_EQ(hexOf(ntlm::ntowfV2("иван", "Domain", "Password")),
            hexOf(byDefinition(std::string("\x18\x04\x12\x04\x10\x04\x1d\x04", 8) + domain)));
  // Only the user name: the domain goes as it stands.
  EXPECT_EQ(ntlm::ntowfV2("Zoë", "Domain", "Password"), ntlm::ntowfV2("ZOË", "Domain", "Password"));
  EXPECT_NE(ntlm::ntowfV2("zoë", "domain", "Password"), ntlm::ntowfV2("zoë", "Domain", "Password"));
}

TEST(NtlmMessagesTest, AuthenticateMessageCarriesTheExampleResponsesWhereAServerReadsThem) {
  auto challenge = ntlm::parseChallengeMessage(challengeMessage(exampleTargetInfo()));
  ASSERT_TRUE(challenge);
  EXPECT_EQ(challenge->serverChallenge, kServerChallenge);
  EXPECT_EQ(challenge->targetInfo, exampleTargetInfo());
  EXPECT_FALSE(challenge->timestamp);

  const std::string m =
      ntlm::authenticateMessage(*challenge, "User", "Domain", "Password", kClientChallenge, 0);
  ASSERT_EQ(m.compare(0, 8, std::string("NTLMSSP\0", 8)), 0);
  EXPECT_EQ(u32(m, 8), 3u);
  EXPECT_EQ(hexOf(field(m, 12)), "86c35097ac9cec102554764a57cccc19aaaaaaaaaaaaaaaa");
  const std::string nt = field(m, 20);
  EXPECT_EQ(hexOf(nt.substr(0, 16)), "68cd0ab851e51c96aabc927bebef6a1c");
  EXPECT_EQ(nt.substr(16), ntlm::clientBlob(0, kClientChallenge, exampleTargetInfo()));
  EXPECT_EQ(field(m, 28), utf16le("Domain"));
  EXPECT_EQ(field(m, 36), utf16le("User"));
  EXPECT_EQ(u32(m, 60) & 1, 1u);  // Unicode, as the server offered

  const std::string negotiate = ntlm::negotiateMessage();
  EXPECT_EQ(negotiate.size(), 32u);
  EXPECT_EQ(u32(negotiate, 8), 1u);
}

TEST(NtlmMessagesTest, ServerTimestampReplacesTheClockAndEmptiesTheLmResponse) {
  std::string pairs("\x07\x00\x08\x00", 4);
  pairs += std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8) + std::string(4, '\0');
  auto challenge = ntlm::parseChallengeMessage(challengeMessage(pairs));
  ASSERT_TRUE(challenge && challenge->timestamp);
  EXPECT_EQ(*challenge->timestamp, 0x0807060504030201ull);
  const std::string m = ntlm::authenticateMessage(*challenge, "u", "", "p", kClientChallenge, 99);
  EXPECT_EQ(field(m, 12), std::string(24, '\0'));
  EXPECT_EQ(field(m, 20).substr(16 + 8, 8), std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  EXPECT_EQ(ntlm::fileTimeFromUnixSeconds(0), 116444736000000000ull);
}

TEST(NtlmMessagesTest, BrokenChallengesAreRefused) {
  const std::string good = challengeMessage(exampleTargetInfo());
  EXPECT_FALSE(ntlm::parseChallengeMessage(""));
  EXPECT_FALSE(ntlm::parseChallengeMessage(good.substr(0, 31)));
  std::string wrongType = good;
  wrongType[8] = 3;
  EXPECT_FALSE(ntlm::parseChallengeMessage(wrongType));
  std::string outside = good;
  outside[44] = static_cast<char>(0xf0);  // target information past the end
  EXPECT_FALSE(ntlm::parseChallengeMessage(outside));
  // A list of pairs cut short yields no timestamp rather than a read past it.
  std::string cut("\x07\x00\x40\x00", 4);
  auto challenge = ntlm::parseChallengeMessage(challengeMessage(cut));
  ASSERT_TRUE(challenge);
  EXPECT_FALSE(challenge->timestamp);
}
