#include "platform/http/NtlmMessages.h"

#include <locale.h>
#include <wctype.h>

#include <array>

#include "platform/base/Utf.h"
#include "platform/crypto/Md4.h"

namespace plat::http::ntlm {
namespace {

constexpr char kSignature[] = "NTLMSSP";  // with its closing zero: 8 bytes
constexpr uint32_t kNegotiateUnicode = 0x00000001;
constexpr uint32_t kNegotiateOem = 0x00000002;
constexpr uint32_t kRequestTarget = 0x00000004;
constexpr uint32_t kNegotiateNtlm = 0x00000200;
constexpr uint32_t kAlwaysSign = 0x00008000;
constexpr uint32_t kExtendedSessionSecurity = 0x00080000;
constexpr uint32_t kNegotiateTargetInfo = 0x00800000;
constexpr uint32_t kNegotiate128 = 0x20000000;
constexpr uint16_t kAvEol = 0;
constexpr uint16_t kAvTimestamp = 7;

void putU16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>(value >> 8);
}

void putU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

void putU64(std::string& out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

uint32_t readU32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

uint16_t readU16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1])
                                                                     << 8);
}

std::string utf16le(const std::string& utf8) {
  std::string out;
  for (char16_t unit : plat::utf::toUtf16(utf8)) putU16(out, unit);
  return out;
}

// Account names are upper-cased as Windows does it: each UTF-16 unit by the simple Unicode
// mapping ("zoë" is "ZOË"; "ß" stays, as it has no single upper-case letter).
std::string accountNameUppercase(const std::string& utf8) {
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  std::u16string units = plat::utf::toUtf16(utf8);
  for (char16_t& unit : units) {
    const bool surrogate = unit >= 0xd800 && unit <= 0xdfff;
    if (surrogate) continue;
    const wint_t upper = unicode ? towupper_l(unit, unicode) : towupper(unit);
    if (upper <= 0xffff) unit = static_cast<char16_t>(upper);
  }
  return plat::utf::fromUtf16(units);
}

std::string bytesOf(const std::array<uint8_t, 16>& digest) {
  return std::string(digest.begin(), digest.end());
}

// A field of a message: length, the same again as the maximum, and the offset of the payload.
void putField(std::string& header, size_t length, size_t offset) {
  putU16(header, static_cast<uint16_t>(length));
  putU16(header, static_cast<uint16_t>(length));
  putU32(header, static_cast<uint32_t>(offset));
}

// The server's timestamp among the AV pairs; nothing when it sent none or the list is broken.
std::optional<uint64_t> timestampIn(const std::string& pairs) {
  size_t at = 0;
  while (at + 4 <= pairs.size()) {
    const uint16_t id = readU16(pairs, at), length = readU16(pairs, at + 2);
    if (id == kAvEol || at + 4 + length > pairs.size()) break;
    if (id == kAvTimestamp && length == 8) {
      uint64_t value = 0;
      for (int i = 7; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(pairs[at + 4 + i]);
      return value;
    }
    at += 4 + length;
  }
  return std::nullopt;
}

}  // namespace

std::string negotiateMessage() {
  std::string message(kSignature, 8);
  putU32(message, 1);
  putU32(message, kNegotiateUnicode | kNegotiateOem | kRequestTarget | kNegotiateNtlm |
                      kAlwaysSign | kExtendedSessionSecurity | kNegotiate128);
  putField(message, 0, 32);  // no domain: the authenticate message names it
  putField(message, 0, 32);  // no workstation
  return message;
}

std::optional<Challenge> parseChallengeMessage(const std::string& bytes) {
  if (bytes.size() < 32 || bytes.compare(0, 8, kSignature, 8) != 0 || readU32(bytes, 8) != 2)
    return std::nullopt;
  Challenge challenge;
  challenge.flags = readU32(bytes, 20);
  challenge.serverChallenge = bytes.substr(24, 8);
  if (bytes.size() >= 48 && (challenge.flags & kNegotiateTargetInfo)) {
    const size_t length = readU16(bytes, 40);
    const size_t offset = readU32(bytes, 44);
    if (offset > bytes.size() || length > bytes.size() - offset) return std::nullopt;
    challenge.targetInfo = bytes.substr(offset, length);
    challenge.timestamp = timestampIn(challenge.targetInfo);
  }
  return challenge;
}

std::string ntowfV1(const std::string& password) {
  return bytesOf(plat::crypto::md4(utf16le(password)));
}

std::string ntowfV2(const std::string& user, const std::string& domain,
                    const std::string& password) {
  return bytesOf(
      plat::crypto::hmacMd5(ntowfV1(password), utf16le(accountNameUppercase(user) + domain)));
}

std::string clientBlob(uint64_t time, const std::string& clientChallenge,
                       const std::string& targetInfo) {
  std::string blob("\x01\x01\0\0\0\0\0\0", 8);
  putU64(blob, time);
  blob += clientChallenge;
  putU32(blob, 0);
  blob += targetInfo;
  putU32(blob, 0);
  return blob;
}

std::string ntProofStr(const std::string& ntowfV2, const std::string& serverChallenge,
                       const std::string& blob) {
  return bytesOf(plat::crypto::hmacMd5(ntowfV2, serverChallenge + blob));
}

std::string lmV2Response(const std::string& ntowfV2, const std::string& serverChallenge,
                         const std::string& clientChallenge) {
  return bytesOf(plat::crypto::hmacMd5(ntowfV2, serverChallenge + clientChallenge)) +
         clientChallenge;
}

std::string sessionBaseKey(const std::string& ntowfV2, const std::string& ntProofStr) {
  return bytesOf(plat::crypto::hmacMd5(ntowfV2, ntProofStr));
}

uint64_t fileTimeFromUnixSeconds(double seconds) {
  constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;
  return static_cast<uint64_t>((seconds + static_cast<double>(kSecondsFrom1601To1970)) * 1e7);
}

std::string authenticateMessage(const Challenge& challenge, const std::string& user,
                                const std::string& domain, const std::string& password,
                                const std::string& clientChallenge, uint64_t time) {
  const std::string key = ntowfV2(user, domain, password);
  const std::string blob =
      clientBlob(challenge.timestamp.value_or(time), clientChallenge, challenge.targetInfo);
  const std::string proof = ntProofStr(key, challenge.serverChallenge, blob);
  const std::string ntResponse = proof + blob;
  // With the server's timestamp the LMv2 response adds nothing and is left empty (zeros).
  const std::string lmResponse =
      challenge.timestamp ? std::string(24, '\0')
                          : lmV2Response(key, challenge.serverChallenge, clientChallenge);
  // Names go as UTF-16LE unless the server can only take its own code page.
  const bool unicode = challenge.flags & kNegotiateUnicode;
  const std::string domainBytes = unicode ? utf16le(domain) : domain;
  const std::string userBytes = unicode ? utf16le(user) : user;

  constexpr size_t kHeaderLength = 64;
  std::string message(kSignature, 8);
  putU32(message, 3);
  size_t offset = kHeaderLength;
  auto field = [&](const std::string& payload) {
    putField(message, payload.size(), offset);
    offset += payload.size();
  };
  field(lmResponse);
  field(ntResponse);
  field(domainBytes);
  field(userBytes);
  field("");  // workstation
  field("");  // no session key exchange
  putU32(message, (challenge.flags & (kNegotiateUnicode | kNegotiateOem)) | kNegotiateNtlm |
                      kAlwaysSign | kExtendedSessionSecurity |
                      (challenge.flags & kNegotiateTargetInfo) | (challenge.flags & kNegotiate128));
  message += lmResponse + ntResponse + domainBytes + userBytes;
  return message;
}

}  // namespace plat::http::ntlm
