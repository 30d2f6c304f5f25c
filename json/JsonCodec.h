// The decoding entry points the rest of the system calls on a reply's text or bytes. Each call
// makes its own decoder, so any thread may call them. The result is the decoded dictionary or
// array, or a null value when the input is not strict JSON (with the first error in `error`, when
// given). They never raise for bad input; options of 16 or more raise "Invalid parse options.".
#pragma once

#include <string>

#include "json/JSONDecoder.h"
#include "json/JsonError.h"
#include "json/JsonParseOptions.h"
#include "platform/base/Value.h"

plat::Value objectFromJSONString(const std::string& text);
plat::Value objectFromJSONStringWithParseOptions(const std::string& text,
                                                 JsonParseOptionFlags options,
                                                 JsonError* error = nullptr);
plat::Value mutableObjectFromJSONString(const std::string& text);
plat::Value mutableObjectFromJSONStringWithParseOptions(const std::string& text,
                                                        JsonParseOptionFlags options,
                                                        JsonError* error = nullptr);

plat::Value objectFromJSONData(const plat::Value::Bytes& data);
plat::Value objectFromJSONDataWithParseOptions(const plat::Value::Bytes& data,
                                               JsonParseOptionFlags options,
                                               JsonError* error = nullptr);
plat::Value mutableObjectFromJSONData(const plat::Value::Bytes& data);
plat::Value mutableObjectFromJSONDataWithParseOptions(const plat::Value::Bytes& data,
                                                      JsonParseOptionFlags options,
                                                      JsonError* error = nullptr);
