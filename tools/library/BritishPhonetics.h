// British phonetics in the IPA that learners' dictionaries use today (ɪ, ʊ, ɜː, eɪ, əʊ, eə), read
// from the English-Chinese dictionary's older, hand-typed notation: "'" and "," or "." for stress,
// ":" for length, i, u, ɔ, ei, əu and єə for the vowels, "^" and "g" for ɡ, several variants
// parted by ". ", ", " or ";", optional sounds in brackets. Every rule of that notation lives in
// BritishPhonetics.cpp.
#pragma once

#include <string>
#include <vector>

namespace tools {

// "ә'bju:s.ә'bju:z" -> {"əˈbjuːs", "əˈbjuːz"}: the variants that can be read, in order.
std::vector<std::string> britishVariants(const std::string& notation);

// "ә'bju:s.ә'bju:z" -> "əˈbjuːs"; the first variant only. The empty string for a transcription
// that cannot be read (a fragment such as "-'kripʃən", stray marks, impossible sequences).
std::string britishToIpa(const std::string& notation);

// Whether `ipa` holds only the symbols of British English that britishToIpa writes.
bool isBritishIpa(const std::string& ipa);

}  // namespace tools
