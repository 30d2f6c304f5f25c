#include "analytics/AnalyticsImprint.h"

#include <strings.h>

#include <algorithm>
#include <vector>

#include "analytics/ANUtils.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsTexts.h"
#include "analytics/records/ThriftBytes.h"
#include "platform/base/Utf.h"

std::optional<AT::Imprint> storedImprint() {
  plat::Value stored = AnalyticsConfig::configureWithKey("anImprint");
  if (!stored.isBytes()) return std::nullopt;
  const plat::Value::Bytes& bytes = stored.asBytes();
  AT::Imprint imprint;
  std::string failure;
  if (!records::fromBytes(std::string(bytes.begin(), bytes.end()), imprint, &failure)) {
    analyticsPrint(anFormat(kExceptionOccurred, failure.c_str(), "(null)"));
  }
  return imprint;
}

void storeImprint(const AT::Imprint& imprint) {
  std::string bytes = records::toBytes(imprint);
  AnalyticsConfig::setConfigure(plat::Value(plat::Value::Bytes(bytes.begin(), bytes.end())),
                                "anImprint");
}

std::optional<std::string> imprintValueWithKey(const std::string& key) {
  auto imprint = storedImprint();
  if (!imprint) return std::nullopt;
  auto found = imprint->property.find(key);
  if (found == imprint->property.end() || !found->second.__isset.value) return std::nullopt;
  return found->second.value;
}

std::string generateImprintChecksum(const AT::Imprint& imprint) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : imprint.property) keys.push_back(key);
  std::stable_sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
    return ::strcasecmp(a.c_str(), b.c_str()) < 0;
  });
  std::string text;
  for (const std::string& key : keys) {
    const AT::ImprintValue& value = imprint.property.at(key);
    text += key;
    if (value.__isset.value) text += value.value;
    text += std::to_string(value.ts) + value.guid;
  }
  text += std::to_string(imprint.version);
  return plat::utf::asciiLowercase(ANUtils::md5Value(text));
}

bool validateImprintChecksum(const AT::Imprint& imprint) {
  return imprint.__isset.property && imprint.checksum == generateImprintChecksum(imprint);
}
