// A plain stand-in for a screen of another part of the app that the word card opens, serving
// until that part installs its own (see CardScreens): a list of extracted words.
#pragma once

#include <memory>
#include <string>

#include "platform/base/Value.h"
#include "platform/view/ViewController.h"

namespace CardStandIns {

// A table of the words.
std::shared_ptr<plat::ViewController> wordList(const std::string& navName,
                                               const std::string& parentName,
                                               const plat::Value& words);

}  // namespace CardStandIns
