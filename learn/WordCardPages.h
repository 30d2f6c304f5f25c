// The HTML pages of the word card's nine sections, built from fixed templates with inline styles.
// Texts the learner typed (notes, editor names) are escaped; texts of the word library go in as
// stored.
#pragma once

#include <string>
#include <vector>

#include "learn/WordCardContent.h"

namespace WordCardPages {

// Section 3: the examples grouped by meaning, the word forms highlighted in each sentence.
std::string examplesPage(const WordCardContent& content, const std::vector<std::string>& forms);
// Section 4: the answer counts; "" when the word has no counts row.
std::string studyInfoPage(const std::optional<WordAnswerCounts>& counts);
// Section 5: who edited the word and when, and the credit line naming the maker's web site
// (MakerWebSite::address(), the address the help list names too; no line without one).
std::string editorPage(const std::vector<std::string>& editors);
// Section 6.
std::string englishMeaningPage(const std::vector<std::string>& englishMeanings);
// Section 7: synonyms first, then antonyms.
std::string jinfanPage(const std::vector<std::string>& antonyms,
                       const std::vector<std::string>& synonyms);
// Section 8.
std::string phrasesPage(const std::vector<std::string>& phrases);
// Section 9: derived words, then similar words.
std::string otherWordsPage(const std::vector<std::string>& paronyms,
                           const std::vector<std::string>& similar);
// Sections 1 and 2: the learner's own and adopted texts.
std::string mnemonicPage(const WordNoteTexts& texts);
std::string grammarPage(const WordNoteTexts& texts);

// The local calendar date ("yyyy年MM月dd日") of a count of seconds since 1970 given as text.
std::string computationTime(const std::string& seconds);

}  // namespace WordCardPages
