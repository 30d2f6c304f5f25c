#include "online/CheckVersion.h"

#include <algorithm>
#include <cstdio>

#include <cctype>
#include <cstdlib>
#include <mutex>

#include "json/JsonCodec.h"
#include "online/ApiReply.h"
#include "platform/base/Bundle.h"
#include "platform/view/Application.h"
#include "store/CallDB.h"
#include "ui/MyAlerView.h"

namespace {

constexpr const char* kStartTag = "star";
constexpr const char* kSettingTag = "setting";
// Where a lookup's tag rides in its request.
constexpr const char* kTagKey = "tag";
// A store lookup answers with a few kilobytes of text; more is not a lookup reply.
constexpr uint64_t kMostLookupReplyBytes = 1 << 20;

struct StoreSettings {
  std::mutex mutex;
  std::string lookupBase;       // "" until set: the bundle's value
  std::string storeIdentifier;  // "" until set: the bundle's value
};

StoreSettings& settings() {
  static StoreSettings s;
  return s;
}

std::string text(const char* key) {
  return plat::localized(key, "InfoPlist");
}

// The store's "version", which it sends as text; a plain number is read as its shortest text.
std::string storeVersionOf(const plat::Value& version) {
  if (!version.isNumber()) return version.asString();
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", version.asDouble());
  return buffer;
}

}  // namespace

CheckVersion::CheckVersion() = default;

CheckVersion::~CheckVersion() {
  // networkQueue_ makes every request it was given forget this object as it goes.
  if (auto offer = offer_.lock()) offer->setDelegate(nullptr);
}

void CheckVersion::CheckVersion_starMachine() {
  if (!CallDB::callDB()->isCheckUpdate_Program()) return;
  lookup(kStartTag, false);
}

void CheckVersion::CheckVersion_setting() {
  lookup(kSettingTag, true);
}

void CheckVersion::lookup(const std::string& tag, bool reportFailure) {
  // With no store configured there is nowhere to ask: the settings check says so, the start-up
  // check stays silent.
  if (lookupBase().empty()) {
    if (reportFailure) ApiReplyHooks::defaultShowMessage(text("update_eg2"));
    return;
  }
  auto request = HttpRequest::requestWithURL(lookupAddress());
  request->setMaxResponseBytes(kMostLookupReplyBytes);
  request->setUserInfo(plat::Value::dictionary({{kTagKey, plat::Value(tag)}}));
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { checkVersionFinish(r); });
  // Without a fail operation the start-up check stays silent (the delegate's default does nothing).
  if (reportFailure) request->setDidFailSelector([this](HttpRequest& r) { checkVersionFaild(r); });
  networkQueue_.add(request);
}

void CheckVersion::checkVersionFinish(HttpRequest& request) {
  const std::string& tag = request.userInfo()[kTagKey].asString();
  const bool fromSettings = tag == kSettingTag;
  const std::optional<HttpRequest::Bytes> body = request.responseData();
  const plat::Value reply = body ? objectFromJSONData(*body) : plat::Value();
  const plat::Value& results = reply["results"];
  // A refusal (404 and the like) or a reply that is no lookup answer checked nothing: telling the
  // learner there is no new version would be a guess.
  const int status = request.responseStatusCode();
  if (status < 200 || status > 299 || !results.isArray()) {
    if (fromSettings) ApiReplyHooks::defaultShowMessage(text("update_eg3"));
    return;
  }
  if (results.size() > 0) {
    const plat::Value& newest = results.at(0);
    const std::string local = plat::Bundle::main().infoValue("CFBundleVersion");
    if (isNewerVersion(storeVersionOf(newest["version"]), local)) {
      showOffer(tag, newest["releaseNotes"].asString());
      return;
    }
  }
  // The store knows nothing newer: the settings check says so.
  if (fromSettings) ApiReplyHooks::defaultShowMessage(text("update_eg1"));
}

void CheckVersion::checkVersionFaild(HttpRequest& request) {
  ApiReply::handleFailed(request, ApiReplyHooks());
}

void CheckVersion::showOffer(const std::string& tag, const std::string& releaseNotes) {
  const bool fromSettings = tag == kSettingTag;
  auto alert = plat::AlertView::create("更新", releaseNotes, this,
                                       text(fromSettings ? "update_cancel2" : "update_cancel1"),
                                       {text(fromSettings ? "update_ok2" : "update_ok1")});
  alert->setTag(fromSettings ? kSettingAlertTag : kStartAlertTag);
  offer_ = alert;
  alert->show();
}

void CheckVersion::clickedButtonAtIndex(plat::AlertView& alert, int index) {
  if (alert.tag() == kStartAlertTag) {
    if (index == 0) {
      CallDB::callDB()->saveCheckUpdateTime();
    } else if (index == 1) {
      openUpdatePage();
    }
  } else if (alert.tag() == kSettingAlertTag && index == 1) {
    CallDB::callDB()->UpdatePersonalValue("CheckUpdateTime", "");
    openUpdatePage();
  }
}

void CheckVersion::openUpdatePage() {
  plat::Application::shared().openURL(updatePageAddress());
}

std::string CheckVersion::lookupBase() {
  {
    std::lock_guard<std::mutex> lock(settings().mutex);
    if (!settings().lookupBase.empty()) return settings().lookupBase;
  }
  return plat::Bundle::main().infoValue("StoreLookupBase");
}

void CheckVersion::setLookupBase(const std::string& base) {
  std::lock_guard<std::mutex> lock(settings().mutex);
  settings().lookupBase = base;
}

std::string CheckVersion::storeIdentifier() {
  {
    std::lock_guard<std::mutex> lock(settings().mutex);
    if (!settings().storeIdentifier.empty()) return settings().storeIdentifier;
  }
  return plat::Bundle::main().infoValue("StoreIdentifier");
}

void CheckVersion::setStoreIdentifier(const std::string& identifier) {
  std::lock_guard<std::mutex> lock(settings().mutex);
  settings().storeIdentifier = identifier;
}

std::string CheckVersion::lookupAddress() {
  return lookupBase() + "/lookup?id=" + storeIdentifier();
}

std::string CheckVersion::updatePageAddress() {
  // The store's own host, as the lookup base names it.
  std::string host = lookupBase();
  if (size_t scheme = host.find("://"); scheme != std::string::npos) host = host.substr(scheme + 3);
  host = host.substr(0, host.find('/'));
  return "itms-apps://" + host +
         "/WebObjects/MZStore.woa/wa/viewSoftwareUpdate?id=" + storeIdentifier() + "&mt=8";
}

std::vector<int64_t> CheckVersion::versionParts(const std::string& version) {
  // Leading blanks, then numbers separated by single dots; anything else ends the version
  // ("3.2 beta" is 3.2, "v3" has no parts).
  std::vector<int64_t> parts;
  size_t i = 0;
  while (i < version.size() && std::isspace(static_cast<unsigned char>(version[i]))) ++i;
  while (i < version.size() && std::isdigit(static_cast<unsigned char>(version[i]))) {
    int64_t part = 0;
    for (; i < version.size() && std::isdigit(static_cast<unsigned char>(version[i])); ++i) {
      part = std::min<int64_t>(part * 10 + (version[i] - '0'), 999'999'999);
    }
    parts.push_back(part);
    if (i + 1 < version.size() && version[i] == '.') ++i;
  }
  return parts;
}

bool CheckVersion::isNewerVersion(const std::string& store, const std::string& local) {
  std::vector<int64_t> a = versionParts(store);
  std::vector<int64_t> b = versionParts(local);
  const size_t count = std::max(a.size(), b.size());
  a.resize(count, 0);  // "3.2" and "3.2.0" are the same version
  b.resize(count, 0);
  return a > b;
}
