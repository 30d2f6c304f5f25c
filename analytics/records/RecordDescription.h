// A record's text for logs: "Name(field:value,...)" with every field in id order, set or not.
// Strings stand in double quotes; an unset string, record, list or map shows as "(null)", an
// unset number its stored value.
#pragma once

#include <cinttypes>
#include <cstdio>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "analytics/records/RecordFields.h"
#include "platform/crypto/Digest.h"

namespace records {

inline constexpr const char* kNullText = "(null)";

template <typename Record>
std::string description(const Record& record);

namespace detail {

inline std::string formatted(const char* format, auto value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

template <typename T>
std::string valueText(const T& value, bool binary) {
  if constexpr (std::is_same_v<T, std::string>) {
    if (binary)
      return "<" + plat::crypto::hex(reinterpret_cast<const uint8_t*>(value.data()), value.size()) +
             ">";
    return "\"" + value + "\"";
  } else if constexpr (std::is_same_v<T, bool>) {
    return formatted("%i", value ? 1 : 0);
  } else if constexpr (std::is_enum_v<T>) {
    return formatted("%i", static_cast<int>(value));
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return formatted("%i", value);
  } else if constexpr (std::is_same_v<T, int64_t>) {
    return formatted("%" PRId64, value);
  } else if constexpr (std::is_same_v<T, double>) {
    return formatted("%f", value);
  } else if constexpr (requires { typename T::value_type::first_type; }) {  // a map
    std::string text = "{";
    for (const auto& [key, item] : value) text += key + " = " + valueText(item, false) + "; ";
    return text + "}";
  } else if constexpr (requires { value.begin(); }) {  // a list
    std::string text = "(";
    for (const auto& item : value) {
      if (text.size() > 1) text += ", ";
      text += valueText(item, false);
    }
    return text + ")";
  } else {
    return description(value);
  }
}

template <typename T>
constexpr bool isObject = std::is_class_v<T>;  // strings, records, lists and maps

}  // namespace detail

template <typename Record>
std::string description(const Record& record) {
  std::string text = recordName(record);
  text += "(";
  bool first = true;
  forEachField(record, [&](auto field) {
    using T = std::remove_cvref_t<decltype(field.value)>;
    if (!first) text += ",";
    first = false;
    text += field.name;
    text += ":";
    if (detail::isObject<T> && !field.isSet)
      text += kNullText;
    else
      text += detail::valueText(field.value, field.binary);
  });
  return text + ")";
}

}  // namespace records
