// The sync down: the request for the dump's address, the version test and the confirmation, the
// archive download with its progress, and the apply thread.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "net/HttpFormDataRequest.h"
#include "online/ApiRequest.h"
#include "online/Data_Backup.h"
#include "online/Data_BackupFailure.h"
#include "online/Data_BackupValues.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/DateFormat.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

using databackup::reasonOf;
using databackup::text;

// A full dump of years of study packs into a few megabytes; no honest archive comes near this.
constexpr uint64_t kMostArchiveBytes = 64 << 20;

// Both versions are compared as single-precision numbers; a missing one reads as 0.
float versionOf(const plat::Value& value) {
  if (value.isNumber()) return static_cast<float>(value.asDouble());
  if (value.isString()) return std::strtof(value.asString().c_str(), nullptr);
  return 0;
}

std::string replaceFirst(std::string format, const std::string& mark, const std::string& with) {
  if (size_t at = format.find(mark); at != std::string::npos) format.replace(at, mark.size(), with);
  return format;
}

}  // namespace

void Data_Backup::downData(int mode) {
  hooks_.panelChange(text("data_syn"), text("data_syn_progress"));
  auto request = ApiRequest::post("synchronize_all_down.php");
  request->setTag(mode);
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { downFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { downFailed(r); });
  keepRequest(request);
  request->startAsynchronous();
}

void Data_Backup::downFinished(HttpRequest& request) {
  dropRequest(request);
  const bool fromSettings = request.tag() == kModeSettings;
  int status = request.responseStatusCode();
  auto decoded = ApiReply::decode(request.responseString().value_or(""));
  const bool refused = status >= 200 && status <= 299 && decoded && !decoded->succeeded();
  ApiReplyHooks hooks = replyHooks(fromSettings);
  // A refusal tells the delegate as the panel goes, before the login window and the message.
  hooks.hidePanel = [this, refused] {
    hooks_.panelHide();
    if (refused) tellFailed();
  };
  auto reply = ApiReply::handleFinished(request, hooks, ApiReply::SynVarStep::OnFailureOnly);
  if (!reply) return;
  tempLoginData_ = reply->object();

  const plat::Value& synVar = reply->synVar();
  float device = versionOf(plat::Value(CallDB::callDB()->getPersonalValue("v_lexicon")));
  float server = synVar.isDictionary() ? versionOf(synVar["sLastSynVersion"]) : 0;
  if (device < server) {
    hooks_.panelHide();
    hooks_.showMessage(text("alermsg_eg6"));
    tellFailed();
    return;
  }

  const plat::Value& file = reply->object()["syn_file"];
  urlName_ = file.isString() ? file.asString() : std::string();
  if (urlName_.empty()) {
    // Nothing to download from: the sync down ends as one the server refused.
    failSyncDown();
    return;
  }

  if (fromSettings) {
    hooks_.panelHide();
    int64_t lastSync = synVar.isDictionary() ? ApiReply::integerOf(synVar["nLastSynTime"]) : 0;
    std::string when = backupTimeText(lastSync);
    auto alert = plat::AlertView::create("提示", replaceFirst(text("databackup_eg1"), "%@", when),
                                         this, "取消", {"确定"});
    alert->setTag(kConfirmTag);
    confirmation_ = alert;
    hooks_.showConfirmation(alert);
    return;
  }
  downFile();
}

std::string Data_Backup::backupTimeText(int64_t unixTime) {
  double wallClock =
      MyDate::localDateFromUnix(static_cast<double>(unixTime)) + plat::kReferenceDateOffset;
  return plat::DateFormat("yyyy-MM-dd HH:mm", plat::TimeZone::utc()).format(wallClock);
}

void Data_Backup::failSyncDown() {
  hooks_.panelHide();
  tellFailed();
}

void Data_Backup::downFailed(HttpRequest& request) {
  dropRequest(request);
  showRequestFailure(request, "the restore's request");
}

void Data_Backup::didDismissWithButtonIndex(plat::AlertView& alert, int buttonIndex) {
  if (alert.tag() != kConfirmTag || buttonIndex != 1) return;
  performOnMain([](Data_Backup& self) { self.alertClick(); });
}

void Data_Backup::alertClick() {
  if (hooks_.closeProgram) hooks_.closeProgram();
  hooks_.panelShowList({text("data_syn")});
  downFile();
}

void Data_Backup::downFile() {
  hooks_.panelChange(text("data_syn"), text("download_zero"));
  auto request = HttpFormDataRequest::requestWithURL(urlName_);
  request->setRequestMethod("GET");
  // The archive goes straight to its file from the network thread, and no larger than a dump
  // can be: a hostile reply neither fills memory nor holds up the window.
  plat::files::createDirectories(plat::AppHome::cachesDir());
  // An archive left by an earlier restore (one stopped before it was applied) is never this one.
  const std::string destination =
      plat::files::join(plat::AppHome::cachesDir(), archiveFileName(urlName_));
  plat::files::remove(destination);
  request->setDownloadDestinationPath(destination);
  request->setMaxResponseBytes(kMostArchiveBytes);
  // A zip archive gains nothing from gzip. A server that sends it so all the same has it
  // inflated on the way, a piece at a time: a bomb stops at the ceiling within one read, not in
  // one long inflation at the end that would hold up the reports to the window.
  request->setAllowCompressedResponse(false);
  request->setShouldWaitToInflateCompressedResponses(false);
  request->setDelegate(this);
  request->setDownloadProgressDelegate(this);
  request->setShowAccurateProgress(true);
  request->setDidFinishSelector([this](HttpRequest& r) { downFileFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { downFileFailed(r); });
  keepRequest(request);
  request->startAsynchronous();
}

std::string Data_Backup::downloadProgressText(double fraction) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "下载 %i％", static_cast<int>(fraction * 100));
  return buffer;
}

void Data_Backup::setProgress(double fraction) {
  hooks_.panelChange(text("data_syn"), downloadProgressText(fraction));
}

std::string Data_Backup::archiveFileName(const std::string& address) {
  std::string path = address.substr(0, address.find_first_of("?#"));
  std::string name = plat::files::lastPathComponent(path);
  if (name.empty() || name == "." || name == "..") {
    return "syn_download.zip";
  }
  return name;
}

void Data_Backup::downFileFinished(HttpRequest& request) {
  dropRequest(request);
  int status = request.responseStatusCode();
  const std::string path = request.downloadDestinationPath();
  if (status < 200 || status > 299) {
    plat::files::remove(path);
    Data_BackupFailure::log("the restore's archive " + request.url().absoluteString(),
                            "status " + std::to_string(status));
    hooks_.panelHide();
    hooks_.showMessage(Data_BackupFailure::message(Data_BackupFailure::Kind::ServerRefused));
    return;
  }
  hooks_.panelChange(text("data_syn"), text("data_syn_write"));
  plat::Value reply = tempLoginData_;
  startThread([this, path, reply] { update_thread(path, reply); });
}

void Data_Backup::downFileFailed(HttpRequest& request) {
  downFailed(request);
}

void Data_Backup::update_thread(const std::string& path, const plat::Value& reply) {
  try {
    dataPackage_.backupDataToDB(path);
  } catch (const std::exception& error) {
    // The archive was refused as a whole and the device keeps its data; the server values
    // belong to the dump, so they are not stored either.
    Data_BackupFailure::log("applying the restore", reasonOf(error));
    const std::string message = Data_BackupFailure::message(Data_BackupFailure::ofException(error));
    performOnMain([message](Data_Backup& self) { self.applyFailed(message); });
    return;
  }
  try {
    ApiReply(reply).saveSynVarOrRaise();
  } catch (const std::exception& error) {
    // The dump is in, but without the server's sync id the next backup would claim none.
    Data_BackupFailure::log("storing the restore's server values", reasonOf(error));
    const std::string message =
        Data_BackupFailure::valuesNotKeptMessage(Data_BackupFailure::ofException(error));
    performOnMain([message](Data_Backup& self) { self.valuesNotKept(message); });
    return;
  }
  performOnMain([](Data_Backup& self) { self.downComplete(); });
}

void Data_Backup::downComplete() {
  if (hooks_.downDataFinish) hooks_.downDataFinish();
  if (hooks_.cleardata_learn) hooks_.cleardata_learn();
  hooks_.panelChange(text("data_syn"), text("data_syn_finish"));
  tellFinished();
}

void Data_Backup::valuesNotKept(const std::string& message) {
  // The screens show the restored data all the same: it is the device's now.
  if (hooks_.downDataFinish) hooks_.downDataFinish();
  if (hooks_.cleardata_learn) hooks_.cleardata_learn();
  applyFailed(message);
}

void Data_Backup::applyFailed(const std::string& message) {
  hooks_.panelHide();
  hooks_.showMessage(message);
  tellFailed();
}
