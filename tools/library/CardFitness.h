// Which sentences a teacher would hand a class: none on bodily functions, sex, drugs, violence or
// crime, none mocking a body or telling an illness as a shame, none that sums up a people ("The
// Irish have a penchant for blarney"), none naming a company or brand, none with a slip of
// grammar that a learner would copy ("has be languishing").
#pragma once

#include <set>
#include <string>
#include <vector>

namespace tools {

// Whether `text` is fit for a learner's card; `excluded` adds the books' exclusion list.
// `headwordForms` (lower-cased) are the words the example is for: a people's name may stand in
// an example of that word itself ("French").
bool isFitForACard(const std::string& text, const std::set<std::string>& excluded,
                   const std::vector<std::string>& headwordForms = {});

// Whether a word (lower case) is one of sex or swearing, ours in `unfit` or the open data's
// ("sex", "hell"): a phrase that holds one stands on that word's card alone.
bool isOfSexOrSwearing(const std::string& word, const std::set<std::string>& unfit);

// Whether `text` is free of the slips of grammar met in the open data's examples: "has be" for
// "has been", a word twice in a row, "this men", a preposition before the subject ("In he
// can't ...").
bool hasNoGrammarSlip(const std::string& text);

}  // namespace tools
