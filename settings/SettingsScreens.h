// The screens of other parts of the app that the settings screens open, reached through makers
// the application installs at start-up, since those parts live in folders the settings may not
// include: the word card's section order. Without a maker nothing opens.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/view/ViewController.h"

namespace SettingsScreens {

// The section order screen titled `navName`; `parentName` titles its back button.
using SectionOrderMaker = std::function<std::shared_ptr<plat::ViewController>(
    const std::string& navName, const std::string& parentName)>;

// Installing an empty function takes the maker away.
void setSectionOrderMaker(SectionOrderMaker maker);

// Null without a maker.
std::shared_ptr<plat::ViewController> makeSectionOrder(const std::string& navName,
                                                       const std::string& parentName);

}  // namespace SettingsScreens
