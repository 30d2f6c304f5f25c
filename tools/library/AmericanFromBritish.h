// Words of the exam lists that the pronouncing dictionary lacks have only the English-Chinese
// dictionary's British phonetics, and a card shows no British alone. Their American phonetics are
// made from the British where the two accents' sounds map one to one.
#pragma once

#include <string>

namespace tools {

// The American IPA of `british` (IPA as britishToIpa writes it) for `word`, or "" where American
// English may sound otherwise than the British shows: the vowel of "dance" or "father" (ɑː), the
// ɒ of "dog" or "hot" before f, θ, s, ŋ and ɡ, a ə that the spelling's r may colour, j after t,
// d, n, s, z, θ or l ("tune"), the full vowel of "-ary", "-ory" and "-ile".
std::string americanFromBritish(const std::string& word, const std::string& british);

}  // namespace tools
