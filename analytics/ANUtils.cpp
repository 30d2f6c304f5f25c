#include "analytics/ANUtils.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "analytics/ANJson.h"
#include "analytics/ANProtocolData.h"
#include "analytics/ANStringEncoding.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsTexts.h"
#include "platform/base/Utf.h"
#include "platform/crypto/Digest.h"

namespace {

bool isUnreserved(unsigned char ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
         ch == '-' || ch == '.' || ch == '_' || ch == '~';
}

int hexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

struct ConsoleLogger {
  std::mutex mutex;
  bool on = false;
  std::string prefix;
};

// Never destroyed: the dispatcher's queues log until they end, which may be after the exit
// handlers have begun.
ConsoleLogger& consoleLogger() {
  static auto* logger = new ConsoleLogger;
  return *logger;
}

}  // namespace

std::string ANUtils::urlEncode(const std::string& text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (char ch : text) {
    unsigned char byte = static_cast<unsigned char>(ch);
    if (isUnreserved(byte)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(digits[byte >> 4]);
      out.push_back(digits[byte & 15]);
    }
  }
  return out;
}

std::string ANUtils::urlDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
        hexDigit(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::optional<std::string> ANUtils::JSONFragment(const plat::Value& value) {
  ANJsonWriter writer;
  auto text = writer.stringWithFragment(value);
  if (!text) analyticsPrint(anFormat(kJsonFragmentFailed, writer.traceDescription().c_str()));
  return text;
}

std::optional<plat::Value> ANUtils::JSONValue(const std::string& text) {
  ANJsonParser parser;
  auto value = parser.objectWithString(text);
  if (!value) analyticsPrint(anFormat(kJsonValueFailed, parser.traceDescription().c_str()));
  return value;
}

std::string ANUtils::md5Value(const std::string& text) {
  std::string_view bytes(text.c_str());  // up to the first NUL
  return plat::crypto::hex(plat::crypto::md5(bytes), true);
}

std::string ANUtils::getStringFromDictionary(const plat::Value& dictionary,
                                             const std::string& key) {
  if (!dictionary.isDictionary() || key.empty()) return "";
  const plat::Value& value = dictionary.get(key);
  if (value.isString()) return value.asString();
  if (value.isNull()) return "";
  if (value.isNumber() || value.isBool()) return value.debugString();
  return value.debugString();
}

int64_t ANUtils::getIntergerFromDictionary(const plat::Value& dictionary, const std::string& key) {
  constexpr int64_t kNoValue = std::numeric_limits<int64_t>::max();
  if (!dictionary.isDictionary() || key.empty()) return kNoValue;
  const plat::Value& value = dictionary.get(key);
  if (value.isNumber() || value.isBool()) return value.asInt();
  if (value.isString() && isPureInt(value.asString())) return std::atoll(value.asString().c_str());
  return kNoValue;
}

plat::Value ANUtils::getDictionaryFromDictionary(const plat::Value& dictionary,
                                                 const std::string& key) {
  if (dictionary.isDictionary() && !key.empty() && dictionary.get(key).isDictionary()) {
    return dictionary.get(key);
  }
  return plat::Value::dictionary();
}

plat::Value ANUtils::dictionaryWithQueryString(const std::string& query) {
  plat::Value result = plat::Value::dictionary();
  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    std::string piece = query.substr(start, end - start);
    size_t equals = piece.find('=');
    if (equals != std::string::npos && piece.find('=', equals + 1) == std::string::npos) {
      result.set(urlDecode(piece.substr(0, equals)), urlDecode(piece.substr(equals + 1)));
    }
    start = end + 1;
  }
  return result;
}

std::string ANUtils::queryStringWithDictionary(const plat::Value& dictionary) {
  std::string out;
  dictionary.forEach([&](const std::string& key, const plat::Value& value) {
    if (!out.empty()) out.push_back('&');
    out += key + "=" + urlEncode(value.asString());
  });
  return out;
}

std::optional<std::string> ANUtils::subString(const std::string& text, size_t limit) {
  if (text.empty()) return std::nullopt;
  if (limit == 0 || text.size() <= limit) return text;
  size_t pos = 0;
  size_t taken = 0;
  while (pos < text.size()) {
    size_t next = pos;
    plat::utf::decodeNext(text, next);
    if (next > limit) break;
    taken = pos = next;
  }
  return text.substr(0, taken);
}

bool ANUtils::isPureInt(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::strtoll(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0';
}

bool ANUtils::isPureFloat(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0';
}

std::string ANUtils::base64Encode(const std::string& text) {
  return ANStringEncoding::rfc4648Base64StringEncoding().encodeString(text);
}

std::string ANUtils::base64EncodeData(const std::vector<uint8_t>& data) {
  return ANStringEncoding::rfc4648Base64StringEncoding().encode(data);
}

uint32_t ANUtils::getRand(uint32_t low, uint32_t high) {
  uint32_t range = high - low + 1;
  uint32_t draw = AnalyticsContext::current().random();
  return low + (range == 0 ? draw : draw % range);
}

void ANUtils::setOpenLog(bool on) {
  std::lock_guard lock(consoleLogger().mutex);
  consoleLogger().on = on;
}

bool ANUtils::openLog() {
  std::lock_guard lock(consoleLogger().mutex);
  return consoleLogger().on;
}

void ANUtils::setPrefix(const std::string& prefix) {
  std::lock_guard lock(consoleLogger().mutex);
  consoleLogger().prefix = prefix;
}

void ANUtils::outLog(const char* format, ...) {
  std::string prefix;
  {
    std::lock_guard lock(consoleLogger().mutex);
    if (!consoleLogger().on) return;
    prefix = consoleLogger().prefix;
  }
  std::string message = "nil";
  if (format) {
    va_list args;
    va_start(args, format);
    char buffer[1024];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    message = buffer;
  }
  std::string line = anFormat("[%s(%5d)] - ", ANProtocolData::timeMSString().c_str(),
                              static_cast<int>(::syscall(SYS_gettid)));
  if (!prefix.empty()) line += prefix + " ";
  std::printf("%s%s \n", line.c_str(), message.c_str());
}
