#include "learn/WordsMgr.h"

#include "learn/ReviewListSort.h"
#include "learn/WordCardHead.h"
#include "learn/WordCardLoader.h"
#include "learn/WordCardPages.h"
#include "learn/WordForms.h"
#include "store/CallDB.h"

std::unique_ptr<WordsMgr> WordsMgr::initWords(const std::string& word) {
  const std::string sortValue = CallDB::callDB()->getPersonalValue(ReviewListSort::kKey);
  return std::make_unique<WordsMgr>(WordCardLoader::load(word, sortValue));
}

WordsMgr::WordsMgr(WordCardContent content) : content_(std::move(content)) {}

std::string WordsMgr::GetPhonetics() const {
  return WordCardHead::phoneticsLine(content_.phonetics);
}

std::string WordsMgr::GetMeaning() const {
  return WordCardHead::meaningLines(content_.meanings);
}

std::string WordsMgr::GetOtherMeaning() {
  tranformDataArray_ = {content_.word};
  if (content_.inflections.empty()) return "";
  otherMeaning_ = content_.inflections.front();
  for (std::string& form : WordForms::getTransformData(otherMeaning_))
    tranformDataArray_.push_back(std::move(form));
  return WordCardHead::inflectionLine(content_.inflections);
}

std::string WordsMgr::GetZhuJiInfo() const {
  return WordCardPages::mnemonicPage(WordCardLoader::mnemonicTexts(content_.word));
}

std::string WordsMgr::GetYuFaInfo() const {
  return WordCardPages::grammarPage(WordCardLoader::grammarTexts(content_.word));
}

std::string WordsMgr::GetExample() const {
  return WordCardPages::examplesPage(content_, tranformDataArray_);
}

std::string WordsMgr::getWordInfo() const {
  return WordCardPages::studyInfoPage(content_.counts);
}

std::string WordsMgr::getWordEditorInfo() const {
  return WordCardPages::editorPage(content_.editors);
}

std::string WordsMgr::getEnglishMeaningInfo() const {
  return WordCardPages::englishMeaningPage(content_.englishMeanings);
}

std::string WordsMgr::getJinfanInfo() const {
  return WordCardPages::jinfanPage(content_.antonyms, content_.synonyms);
}

std::string WordsMgr::getPhrasesInfo() const {
  return WordCardPages::phrasesPage(content_.phrases);
}

std::string WordsMgr::getOtherInfo() const {
  return WordCardPages::otherWordsPage(content_.paronyms, content_.similar);
}

std::string WordsMgr::sectionPage(int code) const {
  switch (code) {
    case ReviewListSort::kMnemonic:
      return GetZhuJiInfo();
    case ReviewListSort::kGrammar:
      return GetYuFaInfo();
    case ReviewListSort::kExamples:
      return GetExample();
    case ReviewListSort::kStudyInfo:
      return getWordInfo();
    case ReviewListSort::kEditor:
      return getWordEditorInfo();
    case ReviewListSort::kEnglishMeaning:
      return getEnglishMeaningInfo();
    case ReviewListSort::kSynonyms:
      return getJinfanInfo();
    case ReviewListSort::kPhrases:
      return getPhrasesInfo();
    case ReviewListSort::kOtherWords:
      return getOtherInfo();
    default:
      return "";
  }
}

std::string WordsMgr::getWordsData() const {
  return WordCardHead::extractionText(content_);
}
