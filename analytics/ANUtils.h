// Small shared operations of the analytics component: percent-escaping, the JSON entry points,
// MD5, dictionary readers and a console logger.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/Value.h"

class ANUtils {
 public:
  static std::string urlEncode(const std::string& text);
  static std::string urlDecode(const std::string& text);
  // Compact JSON of any value; nullopt after printing the writer's trace.
  static std::optional<std::string> JSONFragment(const plat::Value& value);
  // The dictionary or array of a JSON text; nullopt after printing the parser's trace.
  static std::optional<plat::Value> JSONValue(const std::string& text);
  static std::string md5Value(const std::string& text);

  static std::string utilsVersion() { return "1.2.4"; }
  static std::string getStringFromDictionary(const plat::Value& dictionary, const std::string& key);
  static int64_t getIntergerFromDictionary(const plat::Value& dictionary, const std::string& key);
  static plat::Value getDictionaryFromDictionary(const plat::Value& dictionary,
                                                 const std::string& key);
  static plat::Value dictionaryWithQueryString(const std::string& query);
  static std::string queryStringWithDictionary(const plat::Value& dictionary);
  // The longest run of whole leading UTF-8 characters within `limit` bytes (the text itself
  // when it fits or the limit is 0); nullopt for an empty text.
  static std::optional<std::string> subString(const std::string& text, size_t limit);
  static bool isPureInt(const std::string& text);
  static bool isPureFloat(const std::string& text);
  static std::string base64Encode(const std::string& text);
  static std::string base64EncodeData(const std::vector<uint8_t>& data);
  static uint32_t getRand(uint32_t low, uint32_t high);

  // The console logger, off until switched on.
  static void setOpenLog(bool on);
  static bool openLog();
  static void setPrefix(const std::string& prefix);
  static void outLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
};
