// The screens of other parts of the app that the settings screens open, reached through makers
// the application installs at start-up, since those parts live in folders the settings may not
// include: the word card's section order, the feedback form and the account screen. Without a
// maker nothing opens.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/view/ViewController.h"

namespace SettingsScreens {

// A screen titled `navName`; `parentName` titles its back button.
using ScreenMaker = std::function<std::shared_ptr<plat::ViewController>(
    const std::string& navName, const std::string& parentName)>;
// A screen with a title of its own; `parentName` titles its back button.
using TitledScreenMaker =
    std::function<std::shared_ptr<plat::ViewController>(const std::string& parentName)>;

// Installing an empty function takes the maker away.
void setSectionOrderMaker(ScreenMaker maker);
void setFeedbackMaker(ScreenMaker maker);
void setAccountMaker(TitledScreenMaker maker);

// Each null without its maker.
std::shared_ptr<plat::ViewController> makeSectionOrder(const std::string& navName,
                                                       const std::string& parentName);
std::shared_ptr<plat::ViewController> makeFeedback(const std::string& navName,
                                                   const std::string& parentName);
std::shared_ptr<plat::ViewController> makeAccount(const std::string& parentName);

}  // namespace SettingsScreens
