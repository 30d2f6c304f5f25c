// Plain stand-ins for screens of other parts of the app that the word card opens, serving until
// those parts install their own (see CardScreens): a note editor, the offer window and a list of
// extracted words.
#pragma once

#include <memory>
#include <string>

#include "platform/base/Value.h"
#include "platform/view/ViewController.h"

class AcceptUIWindowDeleage;

namespace CardStandIns {

// A text view with the learner's own mnemonic (type 1) or grammar note (type 2) of the word,
// stored when the screen goes.
std::shared_ptr<plat::ViewController> noteEditor(const std::string& word, int type,
                                                 const std::string& parentName);
// An alert with the offered mnemonic: adopting stores it as the word's adopted mnemonic,
// declining stores the declined marker; then the delegate hears that the window went.
void offerWindow(std::weak_ptr<AcceptUIWindowDeleage> delegate, const std::string& word,
                 const plat::Value& row);
// A table of the words.
std::shared_ptr<plat::ViewController> wordList(const std::string& navName,
                                               const std::string& parentName,
                                               const plat::Value& words);

}  // namespace CardStandIns
