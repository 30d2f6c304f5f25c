// A compact binary form of a Value for files the program keeps for itself (user defaults): every
// type survives the round trip, Int and UInt and byte strings included. Decoding checks every
// length, so a damaged file gives nullopt instead of a crash.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/Value.h"

namespace plat {

std::string encodeValue(const Value& value);
std::optional<Value> decodeValue(std::string_view data);

}  // namespace plat
