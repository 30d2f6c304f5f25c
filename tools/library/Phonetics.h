// American phonetics in IPA from the ARPAbet phonemes of the pronouncing dictionary: vowels carry
// stress digits (1 primary, 2 secondary, 0 none); the stress mark goes before the syllable, whose
// onset is the longest run of consonants before the vowel that can begin an English syllable.
// Words of one syllable get no mark.
#pragma once

#include <optional>
#include <string>

namespace tools {

// "AE1 P AH0 L" -> "ˈæpəl"; nullopt for an unknown phoneme.
std::optional<std::string> arpabetToIpa(const std::string& phonemes);

}  // namespace tools
