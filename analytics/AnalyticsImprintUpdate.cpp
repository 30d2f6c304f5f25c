#include "analytics/AnalyticsImprintUpdate.h"

#include <cstdlib>
#include <vector>

#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsEnvelope.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsLog.h"
#include "platform/crypto/Digest.h"

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

void refreshInterval() {
  AnalyticsApp::sharedInstance().setLogSendInterval(AnalyticsApp::minReportInterval());
}

}  // namespace

float calcProbWithSigIndex(int index) {
  auto signature = AnalyticsEnvelope::storedSignature();
  if (!signature || index < 0 || index + 5 > 32) return 0;
  std::string digits = plat::crypto::hex(signature->data() + index, 5).substr(0, 5);
  return static_cast<float>(std::strtol(digits.c_str(), nullptr, 16)) / 1048576.0f;
}

void configureExperimentWithString(const std::string& description) {
  if (description.empty()) return;
  std::vector<std::string> fields = split(description, '|');
  if (fields.size() != 6 || fields[1].empty() || fields[5].empty()) {
    analyticsLog("ERROR: experiment params invalid.");
    return;
  }
  std::vector<std::string> weights = split(fields[1], ',');
  std::vector<std::string> policies = split(fields[5], ',');
  int group = 0;
  if (fields[0] == "SIG7" && weights.size() == policies.size()) {
    float p = calcProbWithSigIndex(6);
    float sum = 0;
    for (size_t i = 0; i < weights.size(); ++i) {
      float weight = std::strtof(weights[i].c_str(), nullptr);
      if (p > sum - 0.000001f && p < sum + weight) {
        group = static_cast<int>(i) + 1;
        break;
      }
      sum += weight;
    }
  } else if (fields[0] == "FIXED" && weights.size() <= policies.size()) {
    group = std::atoi(fields[1].c_str());
    if (group < 1 || group > static_cast<int>(policies.size())) group = 0;
  } else {
    analyticsLog("ERROR: unknow experiment group key");
  }
  bool hasPolicy = false;
  int policy = 0;
  if (group > 0 && fields[2] == "SIG13" &&
      calcProbWithSigIndex(12) < std::strtof(fields[3].c_str(), nullptr)) {
    if (fields[4] == "RPT") {
      hasPolicy = true;
      policy = std::atoi(policies[static_cast<size_t>(group - 1)].c_str());
    } else {
      analyticsLog("ERROR: unknow experiment test key");
    }
  }
  plat::Value groups = AnalyticsConfig::configureWithKey("anExperimentGroupInfo");
  if (!groups.isDictionary()) groups = plat::Value::dictionary();
  if (fields[4] == "RPT") {
    if (group > 0 && hasPolicy) {
      groups.set("RPT", group);
      AnalyticsConfig::setConfigure(policy, "anExperimentRPT");
    } else {
      groups.remove("RPT");
      AnalyticsConfig::removeConfigureWithKey("anExperimentRPT");
    }
  }
  AnalyticsConfig::setConfigure(groups, "anExperimentGroupInfo");
}

void updateImprint(const AT::Imprint& incoming) {
  AT::Imprint merged;
  if (auto stored = storedImprint()) merged = *stored;
  merged.__isset.property = true;

  auto defcon = incoming.property.find("defcon");
  if (defcon != incoming.property.end()) {
    int level = 0;
    if (defcon->second.__isset.value) {
      level = std::atoi(defcon->second.value.c_str());
      if (level < 0 || level > 3) level = 0;
      AnalyticsConfig::setConfigure(std::to_string(level), "anDefcon");
    } else {
      AnalyticsConfig::removeConfigureWithKey("anDefcon");
    }
    AnalyticsJob::sharedInstance().setDefcon(level);
  }
  for (const auto& [key, value] : incoming.property) {
    if (value.__isset.value) {
      merged.property[key] = value;
    } else {
      merged.property.erase(key);
    }
  }
  merged.__set_version(incoming.version);
  merged.__set_checksum(generateImprintChecksum(merged));
  storeImprint(merged);

  bool refresh = false;
  if (!AnalyticsApp::isIntegratedTestModel()) {
    auto test = incoming.property.find("client_test");
    if (test != incoming.property.end()) {
      if (test->second.__isset.value) {
        configureExperimentWithString(test->second.value);
      } else {
        AnalyticsConfig::removeConfigureWithKey("anExperimentGroupInfo");
        AnalyticsConfig::removeConfigureWithKey("anExperimentRPT");
      }
      refresh = true;
    }
    if (incoming.property.count("test_report_interval")) refresh = true;
  }
  if (incoming.property.count("report_interval")) refresh = true;
  if (refresh) refreshInterval();
}
