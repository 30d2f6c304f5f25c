#include "online/Data_Backup.h"

#include <cstdlib>

#include "net/HttpFormDataRequest.h"
#include "online/ApiRequest.h"
#include "online/Data_BackupFailure.h"
#include "online/Data_BackupValues.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "store/StoreTransaction.h"

namespace {

using databackup::reasonOf;
using databackup::text;

}  // namespace

Data_Backup::Data_Backup(DataBackupHooks hooks)
    : hooks_(std::move(hooks)), self_(std::make_shared<Data_Backup*>(this)) {}

Data_Backup::~Data_Backup() {
  worker_.wait();
  std::vector<std::shared_ptr<HttpRequest>> requests;
  {
    std::lock_guard<std::mutex> lock(requestsMutex_);
    requests.swap(requests_);
  }
  for (const auto& request : requests) request->clearDelegatesAndCancel();
  if (auto alert = confirmation_.lock()) alert->setDelegate(nullptr);
  self_.reset();
}

// ---- Plumbing

void Data_Backup::startThread(std::function<void()> work) { worker_.start(std::move(work)); }

void Data_Backup::performOnMain(std::function<void(Data_Backup&)> task) {
  std::weak_ptr<Data_Backup*> alive = self_;
  plat::RunLoop::main().perform([alive, task = std::move(task)] {
    if (auto self = alive.lock()) task(**self);
  });
}

void Data_Backup::keepRequest(const std::shared_ptr<HttpRequest>& request) {
  std::lock_guard<std::mutex> lock(requestsMutex_);
  requests_.push_back(request);
}

void Data_Backup::dropRequest(HttpRequest& request) {
  std::lock_guard<std::mutex> lock(requestsMutex_);
  std::erase_if(requests_, [&request](const auto& kept) { return kept.get() == &request; });
}

ApiReplyHooks Data_Backup::replyHooks(bool honoursRelogin) const {
  ApiReplyHooks hooks;
  hooks.hidePanel = hooks_.panelHide;
  if (honoursRelogin) hooks.relogin = hooks_.relogin;
  hooks.showMessage = hooks_.showMessage;
  hooks.showAlert = hooks_.showAlert;
  return hooks;
}

void Data_Backup::tellFinished() {
  if (delegate_) delegate_->updateDateFinish_callback();
}

void Data_Backup::tellFailed() {
  if (delegate_) delegate_->updateFaild_callback();
}

// ---- Backup

void Data_Backup::upData() {
  startUpload(false);
}

void Data_Backup::upAllData() {
  startUpload(true);
}

void Data_Backup::startUpload(bool all) {
  hooks_.panelChange(text("data_backup"), text("data_backup_progress"));
  startThread([this, all] { upData_thread(all); });
}

void Data_Backup::upData_thread(bool all) {
  const std::string script = all ? "synchronize_all_up.php" : "synchronize_up.php";
  std::shared_ptr<HttpFormDataRequest> request;
  try {
    request = ApiRequest::post(script);
    // An empty dump leaves no file, which the form refuses ("No file exists at"): the upload
    // then ends in its failure handling with nothing marked as sent.
    request->setFile(all ? dataPackage_.getAllDataZipPath() : dataPackage_.getDataZipPath(),
                     "syn_file");
  } catch (const std::exception& error) {
    // The dump could not be read or written: nothing was sent, so nothing is marked.
    Data_BackupFailure::log("the backup's dump", reasonOf(error));
    const std::string message = Data_BackupFailure::message(Data_BackupFailure::ofException(error));
    performOnMain([message](Data_Backup& self) {
      self.hooks_.panelHide();
      self.hooks_.showMessage(message);
    });
    return;
  }
  request->setDelegate(this);
  if (all) {
    request->setDidFinishSelector([this](HttpRequest& r) { allUpFinished(r); });
    request->setDidFailSelector([this](HttpRequest& r) { allUpFailed(r); });
  } else {
    request->setDidFinishSelector([this](HttpRequest& r) { upFinished(r); });
    request->setDidFailSelector([this](HttpRequest& r) { upFailed(r); });
  }
  keepRequest(request);
  request->startAsynchronous();
}

void Data_Backup::upFinished(HttpRequest& request) {
  uploadReply(request, false);
}

void Data_Backup::allUpFinished(HttpRequest& request) {
  uploadReply(request, true);
}

void Data_Backup::uploadReply(HttpRequest& request, bool all) {
  dropRequest(request);
  int status = request.responseStatusCode();
  if (!all && status >= 200 && status <= 299) {
    // The server wants everything: the full upload follows and this reply is done with.
    auto reply = ApiReply::decode(request.responseString().value_or(""));
    if (reply && !reply->succeeded() && ApiReply::integerOf(reply->object()["err_type"]) == 2) {
      upAllData();
      return;
    }
  }
  auto reply =
      ApiReply::handleFinished(request, replyHooks(!all), ApiReply::SynVarStep::OnFailureOnly);
  if (reply) uploadAccepted(*reply);
}

void Data_Backup::uploadAccepted(const ApiReply& reply) {
  try {
    // The rows marked as sent, the backup's time and the server's sync id are one record of
    // where the device stands with the server: kept together or not at all.
    StoreTransaction::runOrRaise(CallDB::callDB()->sqlMgr(), [&] {
      dataPackage_.updateSqlState();
      reply.saveSynVarOrRaise();
    });
  } catch (const std::exception& error) {
    // The server has the backup; the flags stay as they were, so the next backup sends the same
    // rows again, with the sync id of the one before.
    Data_BackupFailure::log("storing the backup's sync record", reasonOf(error));
    hooks_.panelHide();
    hooks_.showMessage(
        Data_BackupFailure::uploadNotRecordedMessage(Data_BackupFailure::ofException(error)));
    tellFailed();
    return;
  }
  hooks_.panelChange(text("data_backup"), text("data_backup_finish"));
  tellFinished();
}

void Data_Backup::upFailed(HttpRequest& request) {
  dropRequest(request);
  showRequestFailure(request, "the backup's upload");
}

// The panel goes and the learner reads what kind of failure it was; the request's own text
// (English, with addresses and paths) goes to the log.
void Data_Backup::showRequestFailure(HttpRequest& request, const std::string& what) {
  HttpErrorPtr error = request.error();
  Data_BackupFailure::log(what + " " + request.url().absoluteString(),
                          error ? error->localizedDescription() : "no error");
  hooks_.panelHide();
  hooks_.showMessage(Data_BackupFailure::message(Data_BackupFailure::ofError(error)));
}

void Data_Backup::allUpFailed(HttpRequest& request) {
  upFailed(request);
}
