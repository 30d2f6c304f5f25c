// American phonetics in IPA from the ARPAbet phonemes of the pronouncing dictionary: vowels carry
// stress digits (1 primary, 2 secondary, 0 none); the stress mark goes before the syllable, whose
// onset is the longest run of consonants before the vowel that can begin an English syllable.
// A syllable never begins inside the part before a compound's join ("week|end" ˈwikˌɛnd), an
// unstressed "er" before a vowel gives its r to the next syllable ("around" əˈraʊnd), and a word
// has one primary stress, its last ("outside" ˌaʊtˈsaɪd). A secondary stress on the syllable
// right after the primary or on a final "-y" goes unwritten ("contact" ˈkɑntækt, "company"
// ˈkʌmpəni) unless a compound's part begins there. At most one secondary stress stands before
// the primary ("investigation" ɪnˌvɛstəˈɡeɪʃən). Words of one syllable get no mark.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tools {

struct Phone {
  std::string arpabet;      // without the stress digit
  int stress = -1;          // vowels only: 0, 1 or 2
  std::string ipa;          // American
  bool startsPart = false;  // the first sound of a compound's later part
  bool unmarked = false;    // a secondary stress that learners' dictionaries do not write

  bool isVowel() const { return stress >= 0; }
};

// The phones of "AE1 P AH0 L", in American IPA; `joins` are the indexes of the phonemes that
// begin a later part of a compound. nullopt for an unknown phoneme or an empty text.
std::optional<std::vector<Phone>> arpabetPhones(const std::string& phonemes,
                                                const std::set<size_t>& joins = {});

// The phones' IPA, each stress mark before the onset of its syllable.
std::string withStressMarks(const std::vector<Phone>& phones);

// "AE1 P AH0 L" -> "ˈæpəl"; nullopt for an unknown phoneme.
std::optional<std::string> arpabetToIpa(const std::string& phonemes,
                                        const std::set<size_t>& joins = {});

}  // namespace tools
