// The inflection line of a word and the highlighting of its forms in example sentences.
#pragma once

#include <string>
#include <vector>

namespace WordForms {

// The word forms named in an inflection text: its maximal runs of the letters A-Z and a-z, in
// order, each run kept once (exact comparison, case included).
std::vector<std::string> getTransformData(const std::string& text);

// The inflection text with its markers ("@", "#", "$", "%", "^", "&", "*") replaced by the names
// of the forms they stand for.
std::string getOtherMeaningLocation(const std::string& text);

// The text with every whole-word occurrence of `form`, in any case, wrapped in the red highlight
// span; the matched characters keep their case. The form is matched as literal text, so a form
// holding characters that are special in patterns ("a.m.", "c++") matches only itself. Text
// inside markup tags is left alone, so a form like "span" cannot break the markup added for an
// earlier form. An empty form changes nothing.
std::string findStr(const std::string& text, const std::string& form);

// findStr with every form in order, each applied to the result of the one before.
std::string highlightForms(const std::string& text, const std::vector<std::string>& forms);

}  // namespace WordForms
