// The voice-pack downloads of the feature switches: the pack's address from the server, the
// archive with its progress in the panel, and its installation for the pronunciation player.
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/view/AlertView.h"
#include "settings/PrivilegeViewController.h"
#include "settings/VoicePackInstaller.h"
#include "store/CallDB.h"
#include "ui/MyAlerView.h"
#include "ui/MyListAlerView.h"
#include "util/DebugNSObject.h"
#include "voice/AudioControl.h"

using namespace plat;

namespace {

const char* const kPanelRow = "语音包下载";

MyListAlerView& panel() {
  return *MyListAlerView::sharedAler();
}

}  // namespace

std::string PrivilegeViewController::packFileName(int64_t type) {
  if (type == 1) return AudioControl::kDownloadedPackNames[0];
  if (type == 2) return AudioControl::kDownloadedPackNames[1];
  return "";
}

bool PrivilegeViewController::packInstalled(int64_t type) {
  const std::string name = packFileName(type);
  return !name.empty() && files::exists(files::join(AppHome::applicationSupportDir(), name));
}

void PrivilegeViewController::showDownloadButton(Button& button, int64_t type) {
  if (packInstalled(type)) {
    button.setImage(nullptr);
    button.setTitle("已安装");
    button.setEnabled(false);
  } else {
    button.setImage(Image::named("gui/down_btn.png"));
    button.setTitle("");
    button.setEnabled(true);
  }
}

void PrivilegeViewController::startRequest(std::shared_ptr<HttpRequest>& slot,
                                           std::shared_ptr<HttpRequest> request) {
  if (slot) slot->clearDelegatesAndCancel();
  slot = std::move(request);
  slot->setDelegate(this);
}

void PrivilegeViewController::downClick(Button& sender) {
  CallDB* db = CallDB::callDB();
  if (db->getPersonalValue("account").empty()) {
    MyAlerView::sharedAler()->ViewShow(localized("alermsg_eg36"));
    return;
  }
  panel().initShowList({kPanelRow});
  panel().AlerListChange(kPanelRow, "准备中");
  downloadFileType_ = sender.tag() == kBasicPackTag ? 1 : 2;
  const std::string script = downloadFileType_ == 1 ? "get_basic_voices.php" : "get_ext_voices.php";
  startRequest(addressRequest_, ApiRequest::get(script));
  addressRequest_->setDidFinishSelector([this](HttpRequest& r) { getLocalFinished(r); });
  addressRequest_->setDidFailSelector([this](HttpRequest& r) { requestFailed(r); });
  addressRequest_->startAsynchronous();
}

void PrivilegeViewController::getLocalFinished(HttpRequest& request) {
  if (request.responseStatusCode() < 200 || request.responseStatusCode() > 299) {
    panel().AlerListHide(false);
    return;
  }
  const std::string body = request.responseString().value_or("");
  std::optional<ApiReply> reply = ApiReply::decode(body);
  if (!reply) {
    panel().AlerListHide(false);
    if (DebugNSObject::checkIsDebug()) AlertView::create("错误", body, nullptr, "关闭")->show();
    return;
  }
  if (reply->hasSynVar()) reply->saveSynVar();
  if (!reply->succeeded()) {
    panel().AlerListHide(false);
    MyAlerView::sharedAler()->ViewShow(reply->msg());
    return;
  }
  goServerDownFile(reply->object()["path"].asString());
}

void PrivilegeViewController::goServerDownFile(const std::string& address) {
  panel().AlerListChange(kPanelRow, "0%");
  startRequest(fileRequest_, HttpRequest::requestWithURL(address));
  fileRequest_->setShowAccurateProgress(true);
  fileRequest_->setDownloadProgressDelegate(this);
  fileRequest_->setDidFinishSelector([this](HttpRequest& r) { downloadFinished(r); });
  fileRequest_->setDidFailSelector([this](HttpRequest& r) { requestFailed(r); });
  fileRequest_->startAsynchronous();
}

void PrivilegeViewController::setProgress(double fraction) {
  panel().AlerListChange(kPanelRow, std::to_string(int(fraction * 100)) + "％");
}

void PrivilegeViewController::endDownload(bool succeeded) {
  panel().AlerListChange(kPanelRow, succeeded ? "完成" : "失败");
  panel().AlerListHide(true);
}

void PrivilegeViewController::downloadFinished(HttpRequest& request) {
  if (request.responseStatusCode() < 200 || request.responseStatusCode() > 299) {
    endDownload(false);
    return;
  }
  const std::string name = packFileName(downloadFileType_);
  if (name.empty()) {
    panel().AlerListHide(true);
    return;
  }
  // A server may gzip the archive on the way: the pack is the decoded body, and the announced
  // length is then that of the compressed bytes, which the decoder has already checked whole.
  std::string body;
  if (const auto data = request.responseData()) body.assign(data->begin(), data->end());
  const uint64_t announced = request.isResponseCompressed() ? 0 : request.contentLength();
  if (!VoicePackInstaller::install(body, announced, name)) {
    endDownload(false);
    return;
  }
  AudioControl::sharedAudio().resetNetSountPack();
  if (Button* button = downloadButton(downloadFileType_))
    showDownloadButton(*button, downloadFileType_);
  endDownload(true);
}

void PrivilegeViewController::requestFailed(HttpRequest& request) {
  panel().AlerListHide(false);
  HttpErrorPtr error = request.error();
  MyAlerView::sharedAler()->ViewShow(error ? error->localizedDescription() : "");
}
