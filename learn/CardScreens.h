// The screens and services of other parts of the app that the word card opens, reached through
// makers the application installs at start-up, since those parts live in folders the card may not
// include: the learner's note editor, the mnemonic offer window, the share sheet, the list of
// extracted words, and the pronunciation player. Without a maker the note editor and the offer
// window do not open; the voice packs' player and plain stand-ins serve for the rest.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/base/Value.h"
#include "platform/view/ViewController.h"

class AcceptUIWindowDeleage;

namespace CardScreens {

// The learner's own mnemonic (type 1) or grammar note (type 2) of a word; `parentName` titles
// its back button. `card` is the calling card's controller (told nothing; it refreshes itself
// when it shows again).
using NoteEditorMaker = std::function<std::shared_ptr<plat::ViewController>(
    plat::ViewController* card, const std::string& word, int type, const std::string& parentName)>;
// The one offer window of the best shared mnemonic: row [id, text, adoptions, time, sharer,
// adopted mark]. It tells `delegate`, while it lives, when it goes.
using OfferWindow = std::function<void(std::weak_ptr<AcceptUIWindowDeleage> delegate,
                                       const std::string& word, const plat::Value& row)>;
// The share sheet over `presenter` with a text and a picture (PNG data).
using ShareSheet = std::function<void(plat::ViewController* presenter, const std::string& text,
                                      const std::string& pngData)>;
// The word lists of extracted words: all, learnt (planned) and not-learnt headwords.
using WordListMaker = std::function<std::shared_ptr<plat::ViewController>(
    const std::string& navName, const std::string& parentName, const plat::Value& words,
    const plat::Value& learnedWords, const plat::Value& noneWords)>;
// Pronounces a word; `isCheck` reports a missing recording (a pressed sound button).
using Pronouncer = std::function<void(const std::string& word, bool isCheck)>;

// Installing an empty function takes the maker away; where a stand-in serves, it comes back.
void setNoteEditorMaker(NoteEditorMaker maker);
void setOfferWindow(OfferWindow window);
void setShareSheet(ShareSheet sheet);
void setWordListMaker(WordListMaker maker);
void setPronouncer(Pronouncer pronouncer);

// Null without a maker.
std::shared_ptr<plat::ViewController> makeNoteEditor(plat::ViewController* card,
                                                     const std::string& word, int type,
                                                     const std::string& parentName);
// Nothing without a maker.
void showOffer(std::weak_ptr<AcceptUIWindowDeleage> delegate, const std::string& word,
               const plat::Value& row);
void share(plat::ViewController* presenter, const std::string& text, const std::string& pngData);
std::shared_ptr<plat::ViewController> makeWordList(const std::string& navName,
                                                   const std::string& parentName,
                                                   const plat::Value& words,
                                                   const plat::Value& learnedWords,
                                                   const plat::Value& noneWords);
void pronounce(const std::string& word, bool isCheck);

}  // namespace CardScreens
