#include "online/Data_BackupHooks.h"

#include "online/ApiReply.h"
#include "online/OnlineScreens.h"
#include "ui/MyListAlerView.h"

void DataBackupHooks::defaultPanelShowList(const std::vector<std::string>& titles) {
  if (auto panel = MyListAlerView::sharedAler()) panel->initShowList(titles);
}

void DataBackupHooks::defaultPanelChange(const std::string& title, const std::string& value) {
  if (auto panel = MyListAlerView::sharedAler()) panel->AlerListChange(title, value);
}

void DataBackupHooks::defaultPanelHide() {
  if (auto panel = MyListAlerView::sharedAler()) panel->AlerListHide(false);
}

void DataBackupHooks::defaultShowMessage(const std::string& text) {
  ApiReplyHooks::defaultShowMessage(text);
}

void DataBackupHooks::defaultShowAlert(const std::string& title, const std::string& message,
                                       const std::string& button) {
  ApiReplyHooks::defaultShowAlert(title, message, button);
}

void DataBackupHooks::defaultShowConfirmation(const std::shared_ptr<plat::AlertView>& alert) {
  alert->show();
}

void DataBackupHooks::defaultRelogin() {
  ApiReplyHooks::openLoginAgain();
}

void DataBackupHooks::defaultCloseProgram() {
  OnlineScreens::call(OnlineScreens::shared().closeProgram);
}

void DataBackupHooks::defaultDownDataFinish() {
  OnlineScreens::call(OnlineScreens::shared().downDataFinish);
}

void DataBackupHooks::defaultCleardataLearn() {
  OnlineScreens::call(OnlineScreens::shared().cleardata_learn);
}
