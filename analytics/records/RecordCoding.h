// Keyed coding of the wire records: a record becomes a dictionary of its set fields under their
// names (nested records, lists and maps in kind), and a dictionary gives back a record whose
// fields are set exactly where the dictionary has their keys. Also the full initialiser, which
// takes every field in id order and marks them all set.
#pragma once

#include <cstddef>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "analytics/records/RecordFields.h"
#include "platform/base/Value.h"

namespace records {

template <typename Record>
plat::Value encodeWithCoder(const Record& record);
// A field whose coded value is of the wrong kind or out of its range is left unset, as a
// mistyped field on the wire is skipped. No defaults are applied.
template <typename Record>
Record initWithCoder(const plat::Value& coded);

namespace detail {

template <typename T>
plat::Value encoded(const T& value, bool binary) {
  if constexpr (std::is_same_v<T, std::string>) {
    if (binary) return plat::Value(plat::Value::Bytes(value.begin(), value.end()));
    return plat::Value(value);
  } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, double>) {
    return plat::Value(value);
  } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
    return plat::Value(static_cast<long long>(value));
  } else if constexpr (requires { typename T::value_type::first_type; }) {  // a map
    plat::Value map = plat::Value::dictionary();
    for (const auto& [key, item] : value) map.set(key, encoded(item, false));
    return map;
  } else if constexpr (requires { value.begin(); }) {  // a list
    plat::Value list = plat::Value::array();
    for (const auto& item : value) list.append(encoded(item, false));
    return list;
  } else {
    return encodeWithCoder(value);
  }
}

// Reads `coded` into `out`; false when it is of another kind or does not fit.
template <typename T>
bool decoded(const plat::Value& coded, T& out, bool binary) {
  if constexpr (std::is_same_v<T, std::string>) {
    if (binary) {
      if (!coded.isBytes()) return false;
      out.assign(coded.asBytes().begin(), coded.asBytes().end());
    } else {
      if (!coded.isString()) return false;
      out = coded.asString();
    }
    return true;
  } else if constexpr (std::is_same_v<T, bool>) {
    if (!coded.isBool()) return false;
    out = coded.asBool();
    return true;
  } else if constexpr (std::is_same_v<T, double>) {
    if (!coded.isNumber()) return false;
    out = coded.asDouble();
    return true;
  } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
    using Stored = std::conditional_t<std::is_enum_v<T>, int32_t, T>;
    if (coded.type() != plat::Value::Type::Int) return false;
    int64_t number = coded.asInt();
    if (number < std::numeric_limits<Stored>::min() || number > std::numeric_limits<Stored>::max())
      return false;
    out = static_cast<T>(number);
    return true;
  } else if constexpr (requires { typename T::value_type::first_type; }) {  // a map
    if (!coded.isDictionary()) return false;
    T map;
    bool whole = true;
    coded.forEach([&](const std::string& key, const plat::Value& item) {
      whole = whole && decoded(item, map[key], false);
    });
    if (whole) out = std::move(map);
    return whole;
  } else if constexpr (requires { out.begin(); }) {  // a list
    if (!coded.isArray()) return false;
    T list(coded.size());
    for (size_t i = 0; i < coded.size(); ++i) {
      if (!decoded(coded.at(i), list[i], false)) return false;
    }
    out = std::move(list);
    return true;
  } else {
    if (!coded.isDictionary()) return false;
    out = initWithCoder<T>(coded);
    return true;
  }
}

// Assigns the index-th argument to `target` when it can be without narrowing.
template <typename T, typename... Args>
void assignArgument(T& target, size_t index, const Args&... args) {
  size_t position = 0;
  bool assigned = false;
  auto tryOne = [&](const auto& arg) {
    if (position++ != index) return;
    if constexpr (requires { T{arg}; }) {
      target = T{arg};
      assigned = true;
    }
  };
  (tryOne(args), ...);
  if (!assigned)
    throw std::invalid_argument("initWith: argument " + std::to_string(index + 1) +
                                " does not fit its field");
}

}  // namespace detail

template <typename Record>
plat::Value encodeWithCoder(const Record& record) {
  plat::Value coded = plat::Value::dictionary();
  forEachField(record, [&](auto field) {
    if (field.isSet) coded.set(field.name, detail::encoded(field.value, field.binary));
  });
  return coded;
}

template <typename Record>
Record initWithCoder(const plat::Value& coded) {
  Record record;
  forEachField(record, [&](auto field) {
    field.markSet(false);
    if (coded.has(field.name) && detail::decoded(coded[field.name], field.value, field.binary))
      field.markSet(true);
  });
  return record;
}

// The full initialiser: one argument per field in id order, every field then set. Arguments
// that do not fit their fields, or a wrong count, are a programming error and throw.
template <typename Record, typename... Args>
Record initWith(const Args&... args) {
  Record record;
  size_t index = 0;
  forEachField(record, [&](auto field) {
    if (index < sizeof...(Args)) detail::assignArgument(field.value, index, args...);
    ++index;
    field.markSet(true);
  });
  if (index != sizeof...(Args))
    throw std::invalid_argument("initWith: " + std::to_string(sizeof...(Args)) + " arguments for " +
                                std::to_string(index) + " fields");
  return record;
}

}  // namespace records
