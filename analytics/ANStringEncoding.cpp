#include "analytics/ANStringEncoding.h"

#include <numeric>
#include <stdexcept>

namespace {

ANStringEncoding padded(ANStringEncoding encoding) {
  encoding.setPaddingChar('=');
  encoding.setDoPad(true);
  return encoding;
}

}  // namespace

ANStringEncoding::ANStringEncoding(std::string alphabet) : charMap_(std::move(alphabet)) {
  reverseCharMap_.fill(kUnknown);
  while ((1 << shift_) < static_cast<int>(charMap_.size())) ++shift_;
  mask_ = (1 << shift_) - 1;
  padLen_ = std::lcm(shift_, 8) / shift_;
  for (size_t i = 0; i < charMap_.size(); ++i) {
    reverseCharMap_[static_cast<unsigned char>(charMap_[i])] = static_cast<int32_t>(i);
  }
}

std::optional<ANStringEncoding> ANStringEncoding::stringEncodingWithString(
    const std::string& alphabet) {
  size_t size = alphabet.size();
  if (size < 2 || size > 128 || (size & (size - 1)) != 0) return std::nullopt;
  bool seen[128] = {};
  for (char ch : alphabet) {
    unsigned char byte = static_cast<unsigned char>(ch);
    if (byte >= 128 || seen[byte]) return std::nullopt;
    seen[byte] = true;
  }
  return ANStringEncoding(alphabet);
}

ANStringEncoding ANStringEncoding::binaryStringEncoding() {
  return *stringEncodingWithString("01");
}

ANStringEncoding ANStringEncoding::hexStringEncoding() {
  ANStringEncoding encoding = *stringEncodingWithString("0123456789ABCDEF");
  encoding.addDecodeSynonyms("AaBbCcDdEeFf");
  return encoding;
}

ANStringEncoding ANStringEncoding::rfc4648Base32StringEncoding() {
  return padded(*stringEncodingWithString("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"));
}

ANStringEncoding ANStringEncoding::rfc4648Base32HexStringEncoding() {
  return padded(*stringEncodingWithString("0123456789ABCDEFGHIJKLMNOPQRSTUV"));
}

ANStringEncoding ANStringEncoding::crockfordBase32StringEncoding() {
  ANStringEncoding encoding = *stringEncodingWithString("0123456789ABCDEFGHJKMNPQRSTVWXYZ");
  encoding.addDecodeSynonyms("0oO1iIlLAaBbCcDdEeFfGgHhJjKkMmNnPpQqRrSsTtVvWwXxYyZz");
  return encoding;
}

ANStringEncoding ANStringEncoding::rfc4648Base64StringEncoding() {
  return padded(*stringEncodingWithString(
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"));
}

ANStringEncoding ANStringEncoding::rfc4648Base64WebsafeStringEncoding() {
  return padded(*stringEncodingWithString(
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"));
}

void ANStringEncoding::addDecodeSynonyms(const std::string& text) {
  int32_t current = kUnknown;
  for (char ch : text) {
    unsigned char byte = static_cast<unsigned char>(ch);
    if (byte >= 128) continue;
    if (reverseCharMap_[byte] >= 0) {
      current = reverseCharMap_[byte];
    } else {
      reverseCharMap_[byte] = current;
    }
  }
}

void ANStringEncoding::ignoreCharacters(const std::string& text) {
  for (char ch : text) {
    unsigned char byte = static_cast<unsigned char>(ch);
    if (byte >= 128) continue;
    if (reverseCharMap_[byte] != kUnknown) throw std::logic_error("Character already mapped");
    reverseCharMap_[byte] = kIgnored;
  }
}

void ANStringEncoding::setPaddingChar(char ch) {
  paddingChar_ = ch;
  unsigned char byte = static_cast<unsigned char>(ch);
  if (byte < 128) reverseCharMap_[byte] = kPadding;
}

std::string ANStringEncoding::encode(const Bytes& data) const {
  if (data.empty()) return "";
  size_t bits = data.size() * 8;
  size_t length = (bits + static_cast<size_t>(shift_) - 1) / static_cast<size_t>(shift_);
  size_t padded = length;
  if (doPad_) padded = (length + padLen_ - 1) / padLen_ * padLen_;
  std::string out;
  out.reserve(padded);
  uint32_t buffer = 0;
  int available = 0;
  for (uint8_t byte : data) {
    buffer = (buffer << 8) | byte;
    available += 8;
    while (available >= shift_) {
      available -= shift_;
      out.push_back(charMap_[(buffer >> available) & static_cast<uint32_t>(mask_)]);
    }
    buffer &= (1u << available) - 1;
  }
  if (available > 0) {
    out.push_back(charMap_[(buffer << (shift_ - available)) & static_cast<uint32_t>(mask_)]);
  }
  out.append(padded - out.size(), paddingChar_);
  return out;
}

std::string ANStringEncoding::encodeString(const std::string& text) const {
  return encode(Bytes(text.begin(), text.end()));
}

std::optional<ANStringEncoding::Bytes> ANStringEncoding::decode(const std::string& text) const {
  Bytes out;
  out.reserve(text.size() * static_cast<size_t>(shift_) / 8 + 1);
  uint32_t buffer = 0;
  int available = 0;
  bool paddingSeen = false;
  for (char ch : text) {
    unsigned char byte = static_cast<unsigned char>(ch);
    if (byte >= 128) return std::nullopt;
    int32_t value = reverseCharMap_[byte];
    if (value == kIgnored) continue;
    if (value == kUnknown) return std::nullopt;
    if (value == kPadding) {
      paddingSeen = true;
      continue;
    }
    if (paddingSeen) return std::nullopt;
    buffer = (buffer << shift_) | static_cast<uint32_t>(value);
    available += shift_;
    if (available >= 8) {
      available -= 8;
      out.push_back(static_cast<uint8_t>(buffer >> available));
      buffer &= (1u << available) - 1;
    }
  }
  if (buffer != 0) return std::nullopt;  // leftover bits that are not all zero
  return out;
}

std::optional<std::string> ANStringEncoding::stringByDecoding(const std::string& text) const {
  auto bytes = decode(text);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

std::string ANStringEncoding::description() const {
  return "<Base" + std::to_string(charMap_.size()) + " StringEncoder: " + charMap_ + ">";
}
