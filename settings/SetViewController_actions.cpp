// What the settings screen does when the learner edits an amount or the reminder time, flips a
// switch, picks from the backup sheet or clears the study data to relearn it.
#include <cstdlib>
#include <functional>

#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "online/Data_Package.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "platform/base/Utf.h"
#include "platform/view/NavigationController.h"
#include "settings/ClockTime.h"
#include "settings/HtmlViewController.h"
#include "settings/SetViewController.h"
#include "settings/SettingsHooks.h"
#include "settings/SettingsLook.h"
#include "settings/StudyDataWipe.h"
#include "store/CallDB.h"
#include "store/StoreTransaction.h"
#include "ui/MyAlerView.h"
#include "ui/MyListAlerView.h"

using namespace plat;

namespace {

CallDB* db() {
  return CallDB::callDB();
}

bool hasAccount() {
  return !db()->getPersonalValue("account").empty();
}

void message(const std::string& text) {
  MyAlerView::sharedAler()->ViewShow(text);
}

// Runs `work` inside one store transaction; any failure rolls it back, unreported.
void inTransaction(const std::function<void()>& work) {
  StoreTransaction::run(db()->sqlMgr(), work);
}

}  // namespace

// ---- Fields

bool SetViewController::shouldChangeCharacters(TextField& field, TextRange,
                                               const std::string& replacement) {
  if (&field == timeField_.get() || replacement.empty()) return true;
  // The whole current text counts, also when the edit replaces a selected part of it.
  return utf::utf16Length(field.text()) + utf::utf16Length(replacement) <= 4;
}

bool SetViewController::shouldBeginEditing(TextField& field) {
  closeKeyboard_->setHidden(false);
  view()->bringSubviewToFront(closeKeyboard_.get());
  if (&field == timeField_.get())
    if (auto seconds = ClockTime::parse(field.text()))
      datePicker_->setCountDownDuration(double(*seconds));
  return true;
}

bool SetViewController::shouldEndEditing(TextField& field) {
  closeKeyboard_->setHidden(true);
  if (&field == timeField_.get()) {
    const std::string time = ClockTime::format(datePicker_->countDownDuration());
    field.setText(time);
    if (time != db()->getPersonalValue("time_setting"))
      db()->UpdatePersonalValue_isNeed("time_setting", time);
    return true;
  }
  if (&field == fx_textField_.get() && std::atoi(field.text().c_str()) <= 9) field.setText("10");
  if (&field == aw_textField_.get() && std::atoi(field.text().c_str()) <= 0) field.setText("0");
  // The field shows the number stored: "0012" typed or pasted reads 12 once editing ends.
  field.setText(std::to_string(std::atoi(field.text().c_str())));
  storeAmount(field);
  return true;
}

void SetViewController::storeAmount(TextField& field) {
  const std::string key = &field == fx_textField_.get() ? "ReviewLimitCount" : "StudyLimitCount";
  const std::string value = std::to_string(std::atoi(field.text().c_str()));
  inTransaction([&] {
    SettingsHooks::call(SettingsHooks::shared().closeProgram);
    db()->UpdatePersonalValue_isNeed(key, value);
    SettingsHooks::call(SettingsHooks::shared().downDataFinish);
  });
}

void SetViewController::closeKeyboard() {
  for (auto* field : {fx_textField_.get(), aw_textField_.get(), timeField_.get()})
    if (field) field->resignFirstResponder();
  closeKeyboard_->setHidden(true);
}

// ---- Switches

void SetViewController::switchChange(Button& sender) {
  if (&sender == switchBtn_.get()) {
    sender.setImage(settingslook::switchImage(settingslook::toggle("autoAudio")));
    return;
  }
  if (&sender != alarmSettingBtn_.get()) return;
  const bool on = settingslook::toggle("alarm_setting");
  sender.setImage(settingslook::switchImage(on));
  const int count = tableView_->numberOfRows(3);
  refreshTableView(false);
  if (on)
    tableView_->insertRows({{3, count}}, TableViewRowAnimation::None);
  else
    tableView_->deleteRows({{3, count - 1}}, TableViewRowAnimation::Fade);
}

// ---- Backup sheet

void SetViewController::backup() {
  if (!dataBackup_) {
    dataBackup_ = std::make_unique<Data_Backup>();
    dataBackup_->setDelegate(this);
  }
  auto sheet = ActionSheet::create(
      "", this, "取消", "",
      {"向上备份", "向下同步", localized("setting_cleardata"), "备份/同步介绍"});
  sheet->setTag(kBackupSheetTag);
  sheet->showInView(view().get());
}

void SetViewController::didDismissWithButtonIndex(ActionSheet& sheet, int index) {
  if (sheet.tag() != kBackupSheetTag) return;
  switch (index) {
    case 0:
      if (!hasAccount()) {
        message(localized("alermsg_eg13"));
      } else if (!Data_Package::check_isSyn()) {
        message(localized("alermsg_eg14"));
      } else {
        inTransaction([&] {
          db()->modify_systeminfo();
          SettingsHooks::call(SettingsHooks::shared().closeProgram);
          MyListAlerView::sharedAler()->initShowList({localized("data_backup")});
          dataBackup_->upData();
        });
      }
      break;
    case 1:
      if (!hasAccount()) {
        message(localized("alermsg_eg15"));
      } else {
        MyListAlerView::sharedAler()->initShowList({localized("data_syn")});
        dataBackup_->downData(Data_Backup::kModeSettings);
      }
      break;
    case 2:
      if (db()->LearnWordCount() == 0) {
        AlertView::create("提醒", "当前没有可清空重学的单词", nullptr, "确定")->show();
      } else {
        auto alert = AlertView::create("", localized("alermsg_eg104"), this, "取消", {"确定"});
        alert->setTag(kClearAlertTag);
        alert->setAlertViewStyle(AlertViewStyle::PlainTextInput);
        if (TextField* input = alert->textFieldAtIndex(0))
          input->setPlaceholder(localized("alermsg_eg103"));
        alert->show();
      }
      break;
    case 3: {
      auto html = std::make_shared<HtmlViewController>();
      html->setNavName(localized("setting_backup"));
      html->setHtmlName("bei_fen_jie_shao.html");
      html->setParentName(title());
      if (NavigationController* nav = navigationController()) nav->pushViewController(html, true);
      break;
    }
    default:
      break;
  }
}

// ---- Clear and relearn

void SetViewController::didDismissWithButtonIndex(AlertView& alert, int index) {
  if (alert.tag() != kClearAlertTag || index != 1) return;
  TextField* input = alert.textFieldAtIndex(0);
  const bool confirmed = input && utf::asciiLowercase(input->text()) == "yes";
  std::weak_ptr<ViewController> self = weak_from_this();
  RunLoop::main().perform([self, confirmed] {
    if (auto screen = std::static_pointer_cast<SetViewController>(self.lock()))
      screen->clearData_callback(confirmed);
  });
}

void SetViewController::clearData_callback(bool confirmed) {
  if (!confirmed) {
    message(localized("alermsg_eg101"));
    return;
  }
  if (!hasAccount()) {
    deleteLocalData();
    return;
  }
  if (clearRequest_) return;  // one clearing at a time
  // The request runs on the network thread while the panel covers the screen; the window keeps
  // drawing and answering instead of freezing until the reply or the time-out.
  clearRequest_ = ApiRequest::get("clear_data.php", {{"studied_count", db()->LearnWordCount()}});
  clearRequest_->setDelegate(this);
  clearRequest_->setDidFinishSelector([this](HttpRequest& r) { clearFinished(r); });
  clearRequest_->setDidFailSelector([this](HttpRequest& r) { clearFailed(r); });
  MyListAlerView::sharedAler()->initShowList({localized("setting_cleardata")});
  MyListAlerView::sharedAler()->AlerListChange(localized("setting_cleardata"), "准备中");
  clearRequest_->startAsynchronous();
}

void SetViewController::clearFailed(HttpRequest&) {
  clearRequest_.reset();
  MyListAlerView::sharedAler()->AlerListHide(false);
}

void SetViewController::clearFinished(HttpRequest& request) {
  auto keep = clearRequest_;  // the request stays alive until its handler returns
  clearRequest_.reset();
  MyListAlerView::sharedAler()->AlerListHide(false);
  // Any status may carry the server's reason; only a success status may clear the study data,
  // which cannot be brought back.
  const bool statusOk = request.responseStatusCode() >= 200 && request.responseStatusCode() <= 299;
  std::optional<ApiReply> reply = ApiReply::decode(request.responseString().value_or(""));
  if (!reply) return;
  if (reply->hasSynVar()) reply->saveSynVar();
  if (!reply->succeeded() || !statusOk) {
    if (reply->relogin()) {
      LoginUIWindow::show();
      LoginUIWindow::passwordErr_State();
    }
    message(reply->msg());
    return;
  }
  deleteLocalData();
}

void SetViewController::deleteLocalData() {
  std::string error;
  if (!StudyDataWipe::wipe(error)) {
    message(localized("alermsg_eg105") + error);
    return;
  }
  message(localized("alermsg_eg100"));
  SettingsHooks::call(SettingsHooks::shared().downDataFinish);
}
