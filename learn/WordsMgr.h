// The content of the one word the word card shows: its head lines, the HTML pages of its nine
// sections and the card's text for word extraction. The card makes a new WordsMgr for each word
// it shows; the data are read once, except the learner's notes, which every render reads anew.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "learn/WordCardContent.h"

class WordsMgr {
 public:
  // Reads the word's data through the store, the optional sections as "review_list_sort" shows
  // them. The headword is a word of the library.
  static std::unique_ptr<WordsMgr> initWords(const std::string& word);
  // A card over data already at hand.
  explicit WordsMgr(WordCardContent content);

  const WordCardContent& content() const { return content_; }

  std::string GetQuestion() const { return content_.word; }
  std::string GetPhonetics() const;
  std::string GetMeaning() const;
  // The inflection line; also sets otherMeaning() and the forms that GetExample highlights, so
  // the card calls it before it renders the pages.
  std::string GetOtherMeaning();
  const std::string& otherMeaning() const { return otherMeaning_; }
  const std::vector<std::string>& tranformDataArray() const { return tranformDataArray_; }

  // Section pages by code: 1 mnemonic, 2 grammar note (both read the store now), 3 examples,
  // 4 study information, 5 word editor, 6 English meaning, 7 synonyms and antonyms, 8 phrases,
  // 9 other related words.
  std::string GetZhuJiInfo() const;
  std::string GetYuFaInfo() const;
  std::string GetExample() const;
  std::string getWordInfo() const;
  std::string getWordEditorInfo() const;
  std::string getEnglishMeaningInfo() const;
  std::string getJinfanInfo() const;
  std::string getPhrasesInfo() const;
  std::string getOtherInfo() const;
  // The page of a section code; "" for a code outside 1 to 9.
  std::string sectionPage(int code) const;

  // The card's text for word extraction.
  std::string getWordsData() const;

 private:
  WordCardContent content_;
  std::string otherMeaning_;
  std::vector<std::string> tranformDataArray_;
};
