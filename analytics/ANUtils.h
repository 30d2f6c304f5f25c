// Small shared operations of the analytics component: percent-escaping, the JSON entry points,
// MD5, dictionary readers and a console logger.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/Value.h"

namespace plat {
class Image;
class View;
class ViewController;
}  // namespace plat

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

  // Shortcuts to the platform, for debugging and for code that opens things outside the app.
  // The view tree below `view`, one line per view, indented by "|-" cut to `depth` characters.
  static std::string viewHierarchyText(const plat::View& view, size_t depth);
  static std::string viewsText(const std::vector<std::shared_ptr<plat::View>>& views, size_t depth);
  static void printViewHierarchy(const plat::View& view, size_t depth);
  static void printViews(const std::vector<std::shared_ptr<plat::View>>& views, size_t depth);
  // `top` drawn over `bottom` at the origin, in a picture of the bottom one's size.
  static std::shared_ptr<plat::Image> addImage(const plat::Image& top, const plat::Image& bottom);
  // The path of a resource inside "<bundleName>.bundle" of the main bundle; nullopt when either
  // is missing.
  static std::optional<std::string> getBundleRes(const std::string& name,
                                                 const std::string& bundleName);
  static bool canOpenUrl(const std::string& url);
  static bool openUrl(const std::string& url);
  static bool makingACall(const std::string& number);
  // Shows the store's page of an item. This system has no store to show, so nothing happens and
  // the completion is not called.
  static void presentStoreProductForApp(const std::string& itemId, plat::ViewController& presenter,
                                        const std::function<void(bool, const std::string&)>& done);
};
