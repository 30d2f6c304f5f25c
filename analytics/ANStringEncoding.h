// Bytes as text over an alphabet of 2 to 128 characters and back (binary, hexadecimal, Base32 and
// Base64 of RFC 4648, Crockford's Base32), with optional padding, decoding synonyms and ignored
// characters.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ANStringEncoding {
 public:
  using Bytes = std::vector<uint8_t>;

  // nullopt when the alphabet is not ASCII, its size is not a power of two from 2 to 128, or a
  // character occurs twice.
  static std::optional<ANStringEncoding> stringEncodingWithString(const std::string& alphabet);

  static ANStringEncoding binaryStringEncoding();
  static ANStringEncoding hexStringEncoding();
  static ANStringEncoding rfc4648Base32StringEncoding();
  static ANStringEncoding rfc4648Base32HexStringEncoding();
  static ANStringEncoding crockfordBase32StringEncoding();
  static ANStringEncoding rfc4648Base64StringEncoding();
  static ANStringEncoding rfc4648Base64WebsafeStringEncoding();

  // Each character of `text` decodes like the mapped character before it ("AaBb": a as A, b as B).
  void addDecodeSynonyms(const std::string& text);
  // Characters skipped when decoding; they must not be mapped already.
  void ignoreCharacters(const std::string& text);
  void setPaddingChar(char ch);
  bool doPad() const { return doPad_; }
  void setDoPad(bool on) { doPad_ = on; }

  std::string encode(const Bytes& data) const;
  std::string encodeString(const std::string& text) const;
  std::optional<Bytes> decode(const std::string& text) const;
  std::optional<std::string> stringByDecoding(const std::string& text) const;

  std::string description() const;

 private:
  static constexpr int kUnknown = -1, kPadding = -2, kIgnored = -3;

  explicit ANStringEncoding(std::string alphabet);

  std::string charMap_;
  std::array<int32_t, 128> reverseCharMap_{};
  int32_t shift_ = 0;
  int32_t mask_ = 0;
  bool doPad_ = false;
  char paddingChar_ = '=';
  int32_t padLen_ = 0;
};
