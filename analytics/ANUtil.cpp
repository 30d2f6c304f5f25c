#include "analytics/ANUtil.h"

#include "analytics/ANUtils.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsLog.h"
#include "platform/base/Utf.h"
#include "platform/crypto/Digest.h"

int32_t ANUtil::resolutionHeight() {
  const AnalyticsScreen& screen = AnalyticsContext::current().device().screen;
  return static_cast<int32_t>(screen.height * screen.scale);
}

int32_t ANUtil::resolutionWidth() {
  const AnalyticsScreen& screen = AnalyticsContext::current().device().screen;
  return static_cast<int32_t>(screen.width * screen.scale);
}

std::string ANUtil::appVersionString() {
  std::string version = AnalyticsApp::sharedInstance().appVersion();
  return version.empty() ? ANProtocolData::appBundleVersionString() : version;
}

int32_t ANUtil::timezone() {
  AnalyticsContext& context = AnalyticsContext::current();
  return context.zone()->offsetAt(context.now()) / 3600;
}

std::string ANUtil::md5(const std::string& text) {
  return ANUtils::md5Value(text);
}

std::vector<uint8_t> ANUtil::md5DataWithData(const std::vector<uint8_t>& data) {
  auto digest = plat::crypto::md5(data.data(), data.size());
  return {digest.begin(), digest.end()};
}

std::vector<uint8_t> ANUtil::md5BytesWithString(const std::string& text) {
  auto digest = plat::crypto::md5(text);
  return {digest.begin(), digest.end()};
}

std::string ANUtil::bytesToHexString(const uint8_t* bytes, int32_t length) {
  if (length < 1) return "";
  return plat::crypto::hex(bytes, static_cast<size_t>(length));
}

std::string ANUtil::sha1WithData(const std::vector<uint8_t>& data) {
  return plat::crypto::hex(plat::crypto::sha1(data.data(), data.size()));
}

std::string ANUtil::sha1WithString(const std::string& text) {
  return plat::crypto::hex(plat::crypto::sha1(text));
}

std::string ANUtil::sessionId() {
  AnalyticsContext& context = AnalyticsContext::current();
  uint32_t first = context.random();
  uint32_t second = context.random();
  return md5(anFormat("%f%s%u%u", context.now(), AnalyticsApp::sharedInstance().appid().c_str(),
                      first, second));
}

bool ANUtil::isEmptyString(const std::string& text) {
  return text.find_first_not_of(" \t\n\r\v\f") == std::string::npos;
}

bool ANUtil::isEmptyString(const plat::Value& value) {
  return value.isNull() || (value.isString() && isEmptyString(value.asString()));
}

std::string ANUtil::getString(const std::string& text, int32_t limit) {
  if (limit <= 0) return text;
  size_t pos = 0;
  size_t taken = 0;
  while (pos < text.size()) {
    size_t next = pos;
    plat::utf::decodeNext(text, next);
    if (next > static_cast<size_t>(limit)) break;
    taken = pos = next;
  }
  return taken == 0 ? text : text.substr(0, taken);
}

std::string ANUtil::urlEncode(const std::string& text) {
  return ANUtils::urlEncode(text);
}

std::optional<std::string> ANUtil::JSONFragment(const plat::Value& value) {
  return ANUtils::JSONFragment(value);
}

std::optional<plat::Value> ANUtil::JSONValue(const std::string& text) {
  return ANUtils::JSONValue(text);
}
