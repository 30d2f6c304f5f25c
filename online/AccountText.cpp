#include "online/AccountText.h"

#include "online/Data_BackupHooks.h"
#include "online/OnlineScreens.h"
#include "platform/base/Bundle.h"
#include "store/CallDB.h"
#include "store/StoreTransaction.h"

namespace accounttext {

std::string text(const std::string& key) {
  return plat::localized(key, "InfoPlist");
}

void panelList(const std::vector<std::string>& titles) {
  DataBackupHooks::defaultPanelShowList(titles);
}

void panelChange(const std::string& title, const std::string& value) {
  DataBackupHooks::defaultPanelChange(title, value);
}

void panelHide() {
  DataBackupHooks::defaultPanelHide();
}

void showMessage(const std::string& message) {
  DataBackupHooks::defaultShowMessage(message);
}

void studyDataChanged(bool wordBooksToo) {
  const OnlineScreens& screens = OnlineScreens::shared();
  OnlineScreens::call(screens.downDataFinish);
  if (wordBooksToo) OnlineScreens::call(screens.cleardata_learn);
}

bool inTransaction(const std::function<void()>& writes) {
  return StoreTransaction::run(CallDB::callDB()->sqlMgr(), writes);
}

}  // namespace accounttext
