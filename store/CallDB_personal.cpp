// Personal values: settings and small state under text keys in Var_Config.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <unordered_map>

#include "platform/base/Device.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "store/ShippedSettings.h"
#include "store/StoreHooks.h"

namespace {

// The text a server value is stored as; nullopt for arrays and dictionaries, which are skipped.
std::optional<std::string> storedText(const plat::Value& value) {
  using Type = plat::Value::Type;
  switch (value.type()) {
    case Type::Null:
      return std::string();
    case Type::Bool:
      return std::string(value.asBool() ? "1" : "0");
    case Type::Int:
      return std::to_string(value.asInt());
    case Type::UInt:
      return std::to_string(value.asUInt());
    case Type::Double: {
      double d = value.asDouble();
      if (!std::isfinite(d)) return std::string("0");
      if (d == std::trunc(d) && std::fabs(d) < 9.2e18)
        return std::to_string(static_cast<int64_t>(d));
      char buf[400];
      auto result = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
      return std::string(buf, result.ptr);
    }
    case Type::String:
      return value.asString();
    case Type::Bytes: {
      const auto& bytes = value.asBytes();
      return std::string(bytes.begin(), bytes.end());
    }
    default:
      return std::nullopt;
  }
}

// "nLastSynTime" arrives as Unix seconds and is kept as a stored time (local wall clock as GMT);
// 0, never, stays 0.
std::optional<std::string> storedSyncTime(const plat::Value& value) {
  double unixTime = 0;
  if (value.isNumber()) {
    unixTime = value.asDouble();
  } else if (value.isString()) {
    const std::string& text = value.asString();
    char* end = nullptr;
    unixTime = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') return std::nullopt;
  } else {
    return std::nullopt;
  }
  if (!std::isfinite(unixTime)) return std::nullopt;
  // 0 is the server's "never backed up", which the stored form keeps as 0 too: converted like a
  // time it would read as a backup in 1970.
  if (unixTime == 0) return "0";
  return std::to_string(MyDate::storedTime(MyDate::localDateFromUnix(unixTime)));
}

int integerValue(const std::string& text) {
  long long v = std::strtoll(text.c_str(), nullptr, 10);
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

}  // namespace

std::string CallDB::getPersonalValue(const std::string& key) {
  try {
    plat::Value rows =
        sqlMgr_.selectOneChannel("select vc_tValue from Var_Config where vc_tVarName = ?", "s", "s",
                                 plat::Value::array({key}));
    return rows.at(0).asString();
  } catch (const plat::NamedException&) {
    return "";
  }
}

void CallDB::UpdatePersonalValue(const std::string& key, const std::string& value) {
  sqlMgr_.insertOneChannel(
      "replace into Var_Config (vc_tVarName,vc_tValue,vc_uNeedSync) values (?,?,1)", "ss",
      plat::Value::array({key, value}));
}

void CallDB::UpdatePersonalValue_isNeed(const std::string& key, const std::string& value) {
  sqlMgr_.insertOneChannel(
      "replace into Var_Config (vc_tVarName,vc_tValue,vc_uNeedSync) values (?,?,0)", "ss",
      plat::Value::array({key, value}));
}

void CallDB::restoreShippedPersonalValues() {
  for (const auto& [key, value] : ShippedSettings::read())
    sqlMgr_.insertOneChannel(
        "insert or ignore into Var_Config (vc_tVarName,vc_tValue,vc_uNeedSync) values (?,?,1)",
        "ss", plat::Value::array({key, value}));
}

void CallDB::saveNetInfo(const plat::Value& values) {
  values.forEach([this](const std::string& key, const plat::Value& value) {
    std::optional<std::string> text;
    if (key == "nLastSynTime") text = storedSyncTime(value);
    if (!text) text = storedText(value);
    if (!text) return;
    UpdatePersonalValue(key, *text);
    if (key == "nNewMsgCount") {
      if (const auto& refresh = StoreHooks::shared().refreshMsgNum) refresh(integerValue(*text));
    }
  });
}

std::string CallDB::platformName(const std::string& model) {
  static const std::unordered_map<std::string, std::string> names = {
      {"iPhone1,1", "iPhone 1"},       {"iPhone1,2", "iPhone 3"},
      {"iPhone2,1", "iPhone 3S"},      {"iPhone3,1", "iPhone 4"},
      {"iPhone3,2", "other iPhone 4"}, {"iPhone3,3", "iPhone 4S"},
      {"iPhone4,1", "iPhone 5"},       {"iPod1,1", "iPod Touch 1"},
      {"iPod2,1", "iPod Touch 2"},     {"iPod2,2", "iPod Touch 2.5"},
      {"iPod3,1", "iPod Touch 3"},     {"iPod4,1", "iPod Touch 4"},
      {"iPod5,1", "iPod Touch 5"},     {"iPad1,1", "iPad"},
      {"iPad2,1", "iPad 2 (WiFi)"},    {"iPad2,2", "iPad 2 (GSM)"},
      {"iPad2,3", "iPad 2 (CDMA)"},    {"iPad3,1", "iPad 3 (WiFi)"},
      {"iPad3,2", "iPad 3 (GSM)"},     {"iPad3,3", "iPad 3 (CDMA)"}};
  if (auto it = names.find(model); it != names.end()) return it->second;
  if (model == "i386" || model == "x86_64" ||
      (model.size() >= 2 && model.compare(model.size() - 2, 2, "86") == 0))
    return "Simulator";
  return "其它:" + model;
}

std::string CallDB::doDevicePlatform() {
  return platformName(plat::Device::current().model);
}

void CallDB::updateSystemInfo(const std::string& model, const std::string& version) {
  if (getPersonalValue("system_name") != model) UpdatePersonalValue_isNeed("system_name", model);
  if (getPersonalValue("system_version") != version)
    UpdatePersonalValue_isNeed("system_version", version);
}

void CallDB::modify_systeminfo() {
  updateSystemInfo(doDevicePlatform(), plat::Device::current().systemVersion);
  UpdatePersonalValue_isNeed("last_v_lexicon", getPersonalValue("v_lexicon"));
}

plat::Value CallDB::feedback_get_systeminfo() {
  std::string model = doDevicePlatform();
  std::string version = plat::Device::current().systemVersion;
  updateSystemInfo(model, version);
  return plat::Value::array({model, version});
}
