// The screens of other parts of the app that the word-book screens open, reached through makers
// the application installs at start-up, since those parts live in folders the word books may not
// include: the word card pushed from a list's row and the help page of the text files screen.
// Without a maker nothing opens.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/view/ViewController.h"
#include "wordlist/BaseWordDeleage.h"
#include "wordlist/WordCard.h"

namespace BookScreens {

// The card pushed from `owner`'s word lists; `parentName` titles its back button.
using WordCardMaker =
    std::function<std::shared_ptr<WordCard>(BaseWordDeleage* owner, const std::string& parentName)>;
// A help page showing the bundle's help file `htmlName` under the title `navName`; `parentName`
// titles its back button.
using HelpPageMaker = std::function<std::shared_ptr<plat::ViewController>(
    const std::string& navName, const std::string& htmlName, const std::string& parentName)>;

// Installing an empty function takes the maker away.
void setWordCardMaker(WordCardMaker maker);
void setHelpPageMaker(HelpPageMaker maker);

// Null without a maker.
std::shared_ptr<WordCard> makeWordCard(BaseWordDeleage* owner, const std::string& parentName);
std::shared_ptr<plat::ViewController> makeHelpPage(const std::string& navName,
                                                   const std::string& htmlName,
                                                   const std::string& parentName);

}  // namespace BookScreens
