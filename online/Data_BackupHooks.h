// What a backup or sync down shows and whom it tells on its way: the progress panel, messages,
// the confirmation alert, the login window and the screens that reload after a sync down. The
// default set shows through the shared panel, bubble and standard alerts, opens the login window
// and tells the screens through the shared OnlineScreens.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/AlertView.h"

struct DataBackupHooks {
  // The progress panel: a new list of rows, the value of one row, and hiding it at once.
  std::function<void(const std::vector<std::string>& titles)> panelShowList = defaultPanelShowList;
  std::function<void(const std::string& title, const std::string& value)> panelChange =
      defaultPanelChange;
  std::function<void()> panelHide = defaultPanelHide;
  std::function<void(const std::string&)> showMessage = defaultShowMessage;
  std::function<void(const std::string& title, const std::string& message,
                     const std::string& button)>
      showAlert = defaultShowAlert;
  // Puts the confirmation of a sync down on screen.
  std::function<void(const std::shared_ptr<plat::AlertView>&)> showConfirmation =
      defaultShowConfirmation;

  // The login window in its wrong-password state.
  std::function<void()> relogin = defaultRelogin;
  // The review screen saves its state before the data goes, and reloads its queue after.
  std::function<void()> closeProgram = defaultCloseProgram;
  std::function<void()> downDataFinish = defaultDownDataFinish;
  // The word-book tab forgets what it loaded.
  std::function<void()> cleardata_learn = defaultCleardataLearn;

  static void defaultPanelShowList(const std::vector<std::string>& titles);
  static void defaultPanelChange(const std::string& title, const std::string& value);
  static void defaultPanelHide();
  static void defaultShowMessage(const std::string& text);
  static void defaultShowAlert(const std::string& title, const std::string& message,
                               const std::string& button);
  static void defaultShowConfirmation(const std::shared_ptr<plat::AlertView>& alert);
  static void defaultRelogin();
  // The screens, through the shared OnlineScreens.
  static void defaultCloseProgram();
  static void defaultDownDataFinish();
  static void defaultCleardataLearn();
};
