// The British phonetics of the English-Chinese dictionary were typed by hand, and some are
// wrong ("this" θɪs, "shut" ʃʌʃ) or of the other sense of a homograph; some words have none.
// Each is checked against the American pronunciation the card shows, and a missing one is made
// from it where the two accents' sounds map one to one.
#pragma once

#include <string>
#include <vector>

#include "tools/library/Phonetics.h"

namespace tools {

// Whether a British IPA transcription says the same word as the American phones: the same
// consonants (r, j and w aside, which the accents place differently), a vowel that corresponds
// to the American stressed one and, with `sameStress`, the primary stress on the same syllable.
bool britishAgreesWith(const std::string& british, const std::vector<Phone>& american,
                       bool sameStress = true);

// The British IPA of the American phones of `word`, or "" where British English may sound
// otherwise than the American form shows: the vowel of "dance" or "father", the r-coloured
// vowels before another vowel ("very", "serious"), "new" with its j, words of their own.
// `otherSense`: the British of the word's other sense, stressed otherwise ("to record"
// rɪˈkɔːd for "a record"), which tells the full vowel of an unstressed American "er"; without
// it a word with such an "er" gets "".
std::string britishFromAmerican(const std::string& word, const std::vector<Phone>& american,
                                const std::string& otherSense = "");

// The American phones stressed where the British IPA stresses them, where the pronouncing
// dictionary puts the primary stress on the first part of a verb and only a secondary on the
// syllable both accents stress ("unite" juˈnaɪt, "overcome" ˌoʊvərˈkʌm): the same consonants,
// syllables and vowels, and the British primary on an American secondary. Otherwise unchanged.
std::vector<Phone> withBritishStress(const std::vector<Phone>& american,
                                     const std::string& british);

// The British phonetics a card shows beside the American phones: the first of the dictionary's
// variants that agrees with them, else one made from them. `homograph`: the word has American
// variants stressed differently ("record"): the dictionary's British must stress the same
// syllable, and one made from the American takes the full vowels of the dictionary's other
// sense ("a record" ˈrekɔːd).
std::string britishFor(const std::string& word, const std::vector<std::string>& dictionary,
                       const std::vector<Phone>& american, bool homograph);

}  // namespace tools
