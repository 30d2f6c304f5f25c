// Conversion between UTF-8 and the other character sets the application meets (ISO Latin-1 in
// HTTP replies, GB18030 in imported texts), by the IANA names that HTTP headers use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plat::charset {

// Need no destruction: the network thread reads replies with them, also as the process exits.
inline constexpr char kUtf8[] = "UTF-8";
inline constexpr char kLatin1[] = "ISO-8859-1";
inline constexpr char kGb18030[] = "GB18030";

// Whether text in this character set can be converted ("utf-8", "GBK", "latin1", ...).
bool isKnown(const std::string& name);
// Strict: nullopt when the bytes are not valid in `from` or the set is unknown.
std::optional<std::string> toUtf8(std::string_view bytes, const std::string& from);
// nullopt when the text is not valid UTF-8 or has a character `to` cannot hold.
std::optional<std::string> fromUtf8(std::string_view utf8, const std::string& to);

}  // namespace plat::charset
