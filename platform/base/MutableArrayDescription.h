// The short form a mutable array can be printed in, process-wide: "<holders,count,address>,"
// followed by "[address--hash] " for each element, all run together. It tells arrays apart by
// identity and size without printing what they hold. The platform's mutable array is PlainArray,
// the container behind Value::array(); containers of other kinds (a decoded document's) keep
// their ordinary form.
//
// While the process asks for the short form, Value::debugString() prints every plain array in
// it, also inside dictionaries and other arrays and so in every log line. vocab does not ask: its
// logs and the text it makes of stored values (an online parameter that holds an array) would
// show addresses instead of contents.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Value.h"

namespace plat {

// The short form of `array`'s plain array ("" when it holds none).
std::string mutableArrayDescription(const Value& array);

// A hash that agrees with Value's equality: equal values hash alike (an Int and a Double of the
// same number too). Strings and bytes hash by content, arrays and dictionaries by their size.
uint32_t valueHash(const Value& value);

// Whether debugString() prints plain arrays in the short form; any thread may switch it, and
// it holds for every thread.
void setMutableArraysDescribedByIdentity(bool on);
bool mutableArraysDescribedByIdentity();

}  // namespace plat
