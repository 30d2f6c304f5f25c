// The syllables of Chinese as the learners' texts spell them, without tone marks ("ming", "zhang",
// "xiao"): the stuff of the Chinese given names those texts are full of ("Daming", "Liping").
#pragma once

#include <string_view>

namespace chinese {

// Whether `lower` (lower case) is spelled wholly in such syllables, one without its initial only
// first ("daming": da ming; "jianping": jian ping; "anning": an ning; not "texting", "reading").
bool isSpelledInSyllables(std::string_view lower);

}  // namespace chinese
