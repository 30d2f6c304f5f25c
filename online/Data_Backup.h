// Carries the learner's study data between the device and the server: the backup uploads a
// zipped dump of what changed (or of everything, when the server asks) and marks the data in
// step once the server accepts it; the sync down fetches the account's full dump, checks the
// word database is recent enough, confirms with the learner when asked from the settings,
// applies it on a thread of its own and lets the screens reload. Each stage shows in the
// progress panel; the delegate hears of the end.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/HttpRequest.h"
#include "net/HttpRequestDelegate.h"
#include "online/ApiReply.h"
#include "online/Data_BackupHooks.h"
#include "online/Data_Package.h"
#include "platform/base/DetachedWork.h"
#include "platform/base/Value.h"
#include "platform/view/AlertView.h"

// Told of the end of a backup or sync down; both operations are optional.
class DataBackupDelegate {
 public:
  virtual ~DataBackupDelegate() = default;
  // A backup was accepted, or a sync down applied; the panel still shows its last row.
  virtual void updateDateFinish_callback() {}
  // A sync down was refused, stopped by the version test, could not be applied, or was applied
  // without the server's values; or a backup the server accepted could not be recorded.
  virtual void updateFaild_callback() {}
};

class Data_Backup : public HttpRequestDelegate,
                    public HttpProgressDelegate,
                    public plat::AlertViewDelegate {
 public:
  static constexpr int kConfirmTag = 2;
  // Sync-down modes: asked for from the settings (confirmed, honours relogin), after a login.
  static constexpr int kModeSettings = 1;
  static constexpr int kModeAfterLogin = 2;

  explicit Data_Backup(DataBackupHooks hooks = {});
  ~Data_Backup() override;
  Data_Backup(const Data_Backup&) = delete;
  Data_Backup& operator=(const Data_Backup&) = delete;

  void setDelegate(DataBackupDelegate* delegate) { delegate_ = delegate; }

  // Backs up the changed data / all data. The caller has checked there is something to send and
  // an account to send it for, saved the review state and opened the panel.
  void upData();
  void upAllData();
  // Starts a sync down in `mode`.
  void downData(int mode);

  // Reply operations (main thread).
  void upFinished(HttpRequest& request);
  void upFailed(HttpRequest& request);
  void allUpFinished(HttpRequest& request);
  void allUpFailed(HttpRequest& request);
  void downFinished(HttpRequest& request);
  void downFailed(HttpRequest& request);
  void downFileFinished(HttpRequest& request);
  void downFileFailed(HttpRequest& request);
  void setProgress(double fraction) override;
  void didDismissWithButtonIndex(plat::AlertView& alert, int buttonIndex) override;

  const std::string& urlName() const { return urlName_; }
  const plat::Value& tempLoginData() const { return tempLoginData_; }
  Data_Package& dataPackage() { return dataPackage_; }

  // The panel text of a download that has received `fraction` of the archive.
  static std::string downloadProgressText(double fraction);
  // The time of the last backup (seconds since 1970) as local wall-clock time, to the minute.
  static std::string backupTimeText(int64_t unixTime);
  // The name the archive is saved under in Caches: the address's last path component, or a
  // fixed name where that component could lead outside the folder.
  static std::string archiveFileName(const std::string& address);

 private:
  void startUpload(bool all);
  void upData_thread(bool all);
  void uploadReply(HttpRequest& request, bool all);
  void uploadAccepted(const ApiReply& reply);
  void downFile();
  void update_thread(const std::string& path, const plat::Value& reply);
  void downComplete();
  void applyFailed(const std::string& message);
  void valuesNotKept(const std::string& message);
  void alertClick();
  void failSyncDown();

  // Runs `work` on a new thread; the previous one is waited for first.
  void startThread(std::function<void()> work);
  // Runs `task` on the main thread later, unless this object is gone by then.
  void performOnMain(std::function<void(Data_Backup&)> task);
  void keepRequest(const std::shared_ptr<HttpRequest>& request);
  void dropRequest(HttpRequest& request);
  ApiReplyHooks replyHooks(bool honoursRelogin) const;
  void showRequestFailure(HttpRequest& request, const std::string& what);
  void tellFinished();
  void tellFailed();

  std::string urlName_;
  Data_Package dataPackage_;
  plat::Value tempLoginData_;
  DataBackupDelegate* delegate_ = nullptr;

  DataBackupHooks hooks_;
  plat::DetachedWork worker_;
  std::mutex requestsMutex_;
  std::vector<std::shared_ptr<HttpRequest>> requests_;  // in flight
  std::weak_ptr<plat::AlertView> confirmation_;         // told to forget this object when it goes
  std::shared_ptr<Data_Backup*> self_;                  // emptied when this object goes
};
