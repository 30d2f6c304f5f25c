// Asks the application store for the newest published version and offers the store's update
// page when it is newer than the running one: at start-up (paused for three days after the
// learner declines) and from the settings screen (which also says when nothing newer exists).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "online/AccountQueue.h"
#include "net/HttpRequest.h"
#include "platform/view/AlertView.h"

class CheckVersion : public HttpRequestDelegate, public plat::AlertViewDelegate {
 public:
  static constexpr int kStartAlertTag = 2;
  static constexpr int kSettingAlertTag = 4;

  // Makes the request queue (one request at a time) and starts it.
  CheckVersion();
  // Clears the delegates of queued lookups and cancels them; a shown offer answers no one.
  ~CheckVersion() override;
  CheckVersion(const CheckVersion&) = delete;
  CheckVersion& operator=(const CheckVersion&) = delete;

  // The start-up check: only when the update-check rhythm allows it; failures show nothing.
  void CheckVersion_starMachine();
  // The settings check: always; failures (no network, a refusal, a reply that is no lookup answer),
  // a current version and a store that is not configured are reported.
  void CheckVersion_setting();

  void checkVersionFinish(HttpRequest& request);
  void checkVersionFaild(HttpRequest& request);
  void clickedButtonAtIndex(plat::AlertView& alert, int index) override;

  // ---- Where the store is (class-wide)
  // Scheme and host of the store's lookup service, without a trailing "/": set, else the
  // bundle's info value "StoreLookupBase" (configuration, no host is built in).
  static std::string lookupBase();
  static void setLookupBase(const std::string& base);
  // The application's store identifier: set, else the bundle's info value "StoreIdentifier".
  static std::string storeIdentifier();
  static void setStoreIdentifier(const std::string& identifier);
  // "<lookup base>/lookup?id=<identifier>".
  static std::string lookupAddress();
  // The store's software-update page for the identifier.
  static std::string updatePageAddress();

  // Versions compare as dot-separated whole numbers, so "3.10" is newer than "3.9" and "3.2.1"
  // newer than "3.2"; missing parts count as 0 and text after the numbers is ignored.
  static std::vector<int64_t> versionParts(const std::string& version);
  static bool isNewerVersion(const std::string& store, const std::string& local);

  const std::shared_ptr<HttpNetworkQueue>& networkQueue() const { return networkQueue_.shared(); }

 private:
  void lookup(const std::string& tag, bool reportFailure);
  void showOffer(const std::string& tag, const std::string& releaseNotes);
  static void openUpdatePage();

  AccountQueue networkQueue_;
  std::weak_ptr<plat::AlertView> offer_;
};
