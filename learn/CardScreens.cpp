#include "learn/CardScreens.h"

#include "learn/AcceptUIWindowDeleage.h"
#include "learn/CardStandIns.h"
#include "ui/MyAlerView.h"
#include "voice/AudioControl.h"

namespace CardScreens {
namespace {

struct Makers {
  NoteEditorMaker noteEditor;
  OfferWindow offer;
  ShareSheet share;
  WordListMaker wordList;
  Pronouncer pronouncer;
};

Makers& makers() {
  static Makers m;
  return m;
}

}  // namespace

void setNoteEditorMaker(NoteEditorMaker maker) {
  makers().noteEditor = std::move(maker);
}
void setOfferWindow(OfferWindow window) {
  makers().offer = std::move(window);
}
void setShareSheet(ShareSheet sheet) {
  makers().share = std::move(sheet);
}
void setWordListMaker(WordListMaker maker) {
  makers().wordList = std::move(maker);
}
void setPronouncer(Pronouncer pronouncer) {
  makers().pronouncer = std::move(pronouncer);
}

std::shared_ptr<plat::ViewController> makeNoteEditor(plat::ViewController* card,
                                                     const std::string& word, int type,
                                                     const std::string& parentName) {
  if (!makers().noteEditor) return nullptr;
  return makers().noteEditor(card, word, type, parentName);
}

void showOffer(std::weak_ptr<AcceptUIWindowDeleage> delegate, const std::string& word,
               const plat::Value& row) {
  if (makers().offer) makers().offer(std::move(delegate), word, row);
}

void share(plat::ViewController* presenter, const std::string& text, const std::string& pngData) {
  if (makers().share) return makers().share(presenter, text, pngData);
  // Without a share sheet the learner at least sees what would be shared.
  MyAlerView::sharedAler()->ViewShow(text);
}

std::shared_ptr<plat::ViewController> makeWordList(const std::string& navName,
                                                   const std::string& parentName,
                                                   const plat::Value& words,
                                                   const plat::Value& learnedWords,
                                                   const plat::Value& noneWords) {
  if (makers().wordList)
    return makers().wordList(navName, parentName, words, learnedWords, noneWords);
  return CardStandIns::wordList(navName, parentName, words);
}

void pronounce(const std::string& word, bool isCheck) {
  if (makers().pronouncer) return makers().pronouncer(word, isCheck);
  AudioControl::sharedAudio().playerWord(word, isCheck);
}

}  // namespace CardScreens
