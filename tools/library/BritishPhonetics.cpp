#include "tools/library/BritishPhonetics.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/base/Utf.h"

namespace tools {
namespace {

constexpr char32_t kPrimary = U'ˈ';
constexpr char32_t kSecondary = U'ˌ';
constexpr char32_t kLong = U'ː';

// Letters the dictionary typed in place of an IPA symbol: Cyrillic look-alikes, the ASCII g,
// "^" where a ɡ was lost, ASCII marks for stress and length.
char32_t ipaLetter(char32_t c) {
  switch (c) {
    case U'ә':  // Cyrillic schwa
      return U'ə';
    case U'є':  // Cyrillic ie, in "єə"
      return U'e';
    case U'g':
    case U'^':
      return U'ɡ';
    case U':':
      return kLong;
    case U'\'':
      return kPrimary;
  }
  return c;
}

// The older notation's vowels and their symbols today, longest first. "iə" and "uə" are the
// vowels ɪə and ʊə only in a stressed syllable ("'riəli", "ʃuə"); elsewhere they are two
// ("'siəriəsli", "'æktʃuəl"). A short i or u before another vowel or at the end stays i or u
// ("happy", "evaluation").
struct VowelRule {
  std::u32string_view from, to;
  bool stressedOnly = false;
};
constexpr VowelRule kVowelRules[] = {
    {U"əː", U"ɜː"},       {U"ɒː", U"ɔː"},       {U"ɒi", U"ɔɪ"}, {U"ɔi", U"ɔɪ"}, {U"ɔː", U"ɔː"},
    {U"ɔ", U"ɒ"},         {U"ei", U"eɪ"},       {U"ai", U"aɪ"}, {U"au", U"aʊ"}, {U"əu", U"əʊ"},
    {U"ou", U"əʊ"},       {U"aː", U"ɑː"},       {U"iː", U"iː"}, {U"uː", U"uː"}, {U"hw", U"w"},
    {U"iə", U"ɪə", true}, {U"uə", U"ʊə", true},
};

constexpr std::u32string_view kVowels = U"ɪieæʌɑɒɔʊuəɜa";
constexpr std::u32string_view kConsonants = U"pbtdkɡfvθðszʃʒhmnŋlrwj";

bool isVowel(char32_t c) {
  return kVowels.find(c) != std::u32string_view::npos;
}
bool isConsonant(char32_t c) {
  return kConsonants.find(c) != std::u32string_view::npos;
}
bool isStress(char32_t c) {
  return c == kPrimary || c == kSecondary;
}

std::u32string decoded(const std::string& text) {
  std::u32string out;
  for (size_t at = 0; at < text.size();) out += plat::utf::decodeNext(text, at);
  return out;
}

bool holdsPrimary(std::u32string_view text) {
  return text.find(kPrimary) != std::u32string_view::npos;
}

// The variants, in order. "," and "." stand both for secondary stress and between variants:
// before a space, a primary stress or the end they part variants; a "." parts variants too
// when the text on both sides has a primary stress ("ə'bjuːs.ə'bjuːz") or neither has
// ("bæθ.bɑːθ"), and marks secondary stress where only one side has ("ə.sæsi'neiʃən",
// "'bɔl.pɑːk"). A fragment (",ɒb-", "; -li'z-") and whatever follows a ";" are no variants.
// A stress mark typed twice counts once.
std::vector<std::u32string> variantsOf(const std::u32string& text) {
  std::vector<std::u32string> variants;
  std::u32string out;
  auto part = [&] {
    while (!out.empty() && out.front() == U' ') out.erase(0, 1);
    if (!out.empty()) variants.push_back(out);
    out.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    const char32_t next = i + 1 < text.size() ? text[i + 1] : U' ';
    if (c == U';') break;
    if (c == U',' || c == U'.') {
      size_t end = text.find_first_of(U" ,;", i + 1);
      std::u32string_view after = std::u32string_view(text).substr(i + 1, end - i - 1);
      if (after.find(U'-') != std::u32string_view::npos) break;  // ",ɒb-": a fragment
      if (next == U' ' || next == kPrimary ||
          (c == U'.' && holdsPrimary(out) == holdsPrimary(after))) {
        part();
        continue;
      }
      out += kSecondary;
      continue;
    }
    if (isStress(c) && !out.empty() && out.back() == c) continue;
    out += c;
  }
  part();
  return variants;
}

// Optional sounds in brackets ("'peidʒə(r)", "'frait(ə)nd") are left out.
std::optional<std::u32string> withoutOptionalSounds(const std::u32string& text) {
  std::u32string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != U'(') {
      out += text[i];
      continue;
    }
    size_t close = text.find(U')', i);
    if (close == std::u32string::npos || close == i + 1) return std::nullopt;
    for (size_t k = i + 1; k < close; ++k)
      if (!isVowel(text[k]) && !isConsonant(text[k]) && text[k] != kLong) return std::nullopt;
    i = close;
  }
  return out;
}

// Some entries lost their u to a j ("'bjldɔg", "'hәjpfjli", "sә'rajndiŋz"); a j stands only
// before a vowel, so one before anything else is that u. Read from the end: in "tjjn" the
// second j is the u and the first a real j.
void restoreLostU(std::u32string& text) {
  for (size_t i = text.size(); i-- > 0;)
    if (text[i] == U'j' && (i + 1 == text.size() || !isVowel(text[i + 1]))) text[i] = U'u';
}

// Whether the vowel at `at` is in a stressed syllable: a stress mark stands between it and the
// vowel before, or the word marks no stress at all (one syllable).
bool isStressed(std::u32string_view text, size_t at) {
  if (text.find_first_of(U"ˈˌ") == std::u32string_view::npos) return true;
  while (at-- > 0) {
    if (isStress(text[at])) return true;
    if (isVowel(text[at])) return false;
  }
  return false;
}

std::u32string modernVowels(const std::u32string& text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    std::u32string_view rest = std::u32string_view(text).substr(i);
    auto rule =
        std::find_if(std::begin(kVowelRules), std::end(kVowelRules), [&](const VowelRule& r) {
          return rest.substr(0, r.from.size()) == r.from &&
                 (!r.stressedOnly || isStressed(text, i));
        });
    if (rule != std::end(kVowelRules)) {
      out += rule->to;
      i += rule->from.size();
      continue;
    }
    const char32_t c = text[i];
    const bool beforeVowel = i + 1 < text.size() && isVowel(text[i + 1]);
    const bool last = i + 1 == text.size();
    if (c == U'i' && !beforeVowel && !last)
      out += U'ɪ';
    else if (c == U'u' && !beforeVowel && !last)
      out += U'ʊ';
    else
      out += c;
    ++i;
  }
  return out;
}

// A word has one primary stress; where the dictionary marks two ("'ɑːftə'nuːn") the earlier
// ones are secondary.
void onePrimaryStress(std::u32string& text) {
  size_t last = text.rfind(kPrimary);
  if (last == std::u32string::npos) return;
  for (size_t i = 0; i < last; ++i)
    if (text[i] == kPrimary) text[i] = kSecondary;
}

// Learners' dictionaries write at most one secondary stress before the primary. Of two, the
// one right before the primary gives way to the earlier ("actuate" ˌæktʃuːˈeɪt) unless the
// earlier is a word's opening ɪ alone in its syllable ("electronic" ɪˌlekˈtrɒnɪk); otherwise
// the last one stands ("rehabilitation" riːhəˌbɪlɪˈteɪʃən).
void oneSecondaryBeforePrimary(std::u32string& text) {
  const size_t primary = text.find(kPrimary);
  if (primary == std::u32string::npos) return;
  std::vector<size_t> marks;
  for (size_t i = 0; i < primary; ++i)
    if (text[i] == kSecondary) marks.push_back(i);
  if (marks.size() < 2) return;
  size_t kept = marks.back();
  const size_t earlier = marks[marks.size() - 2];
  int vowelsBetween = 0;
  for (size_t i = kept + 1; i < primary; ++i)
    vowelsBetween += isVowel(text[i]) && !isVowel(text[i - 1]);
  const bool openPrefix = earlier == 0 && text[1] == U'ɪ' && text[2] == kSecondary;
  if (vowelsBetween == 1 && !openPrefix) kept = earlier;
  for (size_t k = marks.size(); k-- > 0;)
    if (marks[k] != kept) text.erase(marks[k], 1);
}

// The dictionary often typed the stress mark after an s that begins the syllable with the stop
// behind it ("dis'kʌs", "iks'pekt"); a syllable takes the longest onset English allows, as the
// American side places it: dɪˈskʌs, ɪkˈspekt. "tʃ" is one sound ("ɪksˈtʃeɪndʒ" stays).
void stressBeforeAnSOnset(std::u32string& text) {
  auto startsOnsetAfterStop = [&](size_t stop) {
    const char32_t after = stop + 1 < text.size() ? text[stop + 1] : 0;
    if (isVowel(after)) return true;
    const char32_t s = text[stop];
    return after == U'r' || after == U'j' || (after == U'l' && s != U't') ||
           (after == U'w' && s == U'k');
  };
  for (size_t i = 1; i + 2 < text.size(); ++i) {
    if (text[i] != U's' || !isStress(text[i + 1])) continue;
    if (std::u32string_view(U"ptk").find(text[i + 2]) == std::u32string_view::npos) continue;
    if (!startsOnsetAfterStop(i + 2)) continue;
    // "sixteen" is six|teen: ˌsɪksˈtiːn.
    if (std::u32string_view(text).substr(i + 2) == U"tiːn") continue;
    std::swap(text[i], text[i + 1]);
  }
}

// How many syllables a word of one vowel run has: 1 for "queen" kwiːn, 2 for a syllabic
// consonant ("ˈpiːpl", "ˈlɪsn") or two vowels ("ˈfaɪə", "ˈrɪəl", "ˈpəʊɪt"); 0 for a word of
// several vowel runs, or none.
int syllablesOfOneVowelRun(const std::u32string& text) {
  size_t first = std::u32string::npos, last = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!isVowel(text[i]) && text[i] != kLong) continue;
    if (first != std::u32string::npos && last + 1 < i) return 0;  // a second vowel run
    if (first == std::u32string::npos) first = i;
    last = i;
  }
  if (first == std::u32string::npos) return 0;
  const std::u32string_view run = std::u32string_view(text).substr(first, last - first + 1);
  // One vowel: "poet" pəʊɪt and "fluid" fluːɪd are two.
  static const std::u32string_view kOneVowel[] = {
      U"ɪ",  U"e",  U"æ",  U"ʌ",  U"ɒ",  U"ʊ",  U"ə",  U"i",  U"u",  U"iː", U"ɑː",
      U"ɔː", U"uː", U"ɜː", U"eɪ", U"aɪ", U"ɔɪ", U"əʊ", U"aʊ", U"ɪə", U"eə", U"ʊə"};
  const bool oneVowel =
      std::find(std::begin(kOneVowel), std::end(kOneVowel), run) != std::end(kOneVowel);
  // "real" ˈrɪəl and "fuel" ˈfjʊəl say the ə apart.
  const bool twoSyllables = !oneVowel || ((run == U"ɪə" || run == U"ʊə") &&
                                          last + 1 < text.size() && text[last + 1] == U'l');
  if (twoSyllables) return 2;
  for (size_t i = last + 2; i < text.size(); ++i)
    if (std::u32string_view(U"lnm").find(text[i]) != std::u32string_view::npos &&
        !isVowel(text[i - 1]) && text[i - 1] != U'l')
      return 2;  // syllabic
  return 1;
}

// Learners' dictionaries mark no stress on a word of one syllable ("queen" kwiːn); the
// dictionary often does. A word of one vowel run and two syllables is stressed on the first,
// which the dictionary sometimes leaves unmarked ("handle" ˈhændl, "hour" ˈaʊə).
void markAsLearnersDictionariesDo(std::u32string& text) {
  const auto primaries = std::count(text.begin(), text.end(), kPrimary);
  if (std::count(text.begin(), text.end(), kSecondary) != 0 || primaries > 1) return;
  const int syllables = syllablesOfOneVowelRun(text);
  if (primaries == 1 && syllables == 1)
    text.erase(std::remove(text.begin(), text.end(), kPrimary), text.end());
  else if (primaries == 0 && syllables == 2)
    text.insert(text.begin(), kPrimary);
}

// The dictionary types some adjectives in -ative with the full vowel of their verb in -ate
// ("'dekәreitiv", "'spekjuleitiv"); unstressed, learners' dictionaries say it weak:
// ˈdekərətɪv, ˈspekjʊlətɪv. A stressed one stays ("native" ˈneɪtɪv, "creative" kriːˈeɪtɪv).
void weakUnstressedAtive(std::u32string& text) {
  for (size_t at = text.find(U"eɪtɪv"); at != std::u32string::npos;
       at = text.find(U"eɪtɪv", at + 1))
    if (!isStressed(text, at)) text.replace(at, 2, U"ə");
}

// The dictionary types the vowel of "cure" short before r and a vowel in some entries ("'fjuri",
// "si'kjuriti", "in'ʃurәns") and long in most ("'pjuәri", "ʃuә"). After j or ʃ in a stressed
// syllable British English says ʊə: ˈfjʊəri, sɪˈkjʊərɪti ("guru" ˈɡʊruː keeps its short vowel).
void cureVowelBeforeR(std::u32string& text) {
  for (size_t at = text.find(U"ʊr"); at != std::u32string::npos; at = text.find(U"ʊr", at + 1)) {
    const bool afterYod = at > 0 && (text[at - 1] == U'j' || text[at - 1] == U'ʃ');
    if (afterYod && at + 2 < text.size() && isVowel(text[at + 2]) && isStressed(text, at))
      text.insert(at + 1, U"ə");
  }
}

// Symbols in an order English allows: a length mark after a long vowel, a stress mark before
// a sound, j before a vowel, a and ɜ and ɑ only in their vowels, no ɔ short.
bool isReadable(std::u32string_view ipa) {
  if (ipa.empty()) return false;
  bool hasVowel = false;
  for (size_t i = 0; i < ipa.size(); ++i) {
    const char32_t c = ipa[i];
    const char32_t next = i + 1 < ipa.size() ? ipa[i + 1] : 0;
    if (!isVowel(c) && !isConsonant(c) && !isStress(c) && c != kLong) return false;
    hasVowel = hasVowel || isVowel(c);
    if (c == kLong &&
        (i == 0 || std::u32string_view(U"iuɑɔɜ").find(ipa[i - 1]) == std::u32string_view::npos))
      return false;
    if (isStress(c) && (!next || isStress(next) || next == kLong)) return false;
    if (c == U'j' && !isVowel(next)) return false;
    if (c == U'a' && next != U'ɪ' && next != U'ʊ') return false;
    if ((c == U'ɜ' || c == U'ɑ') && next != kLong) return false;
    if (c == U'ɔ' && next != kLong && next != U'ɪ') return false;
  }
  return hasVowel;
}

std::string encoded(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) out += plat::utf::fromCodePoint(c);
  return out;
}

}  // namespace

std::vector<std::string> britishVariants(const std::string& notation) {
  std::u32string text = decoded(notation);
  std::transform(text.begin(), text.end(), text.begin(), ipaLetter);
  std::vector<std::string> result;
  for (const std::u32string& variant : variantsOf(text)) {
    std::optional<std::u32string> sounds = withoutOptionalSounds(variant);
    if (!sounds) continue;
    restoreLostU(*sounds);
    std::u32string ipa = modernVowels(*sounds);
    onePrimaryStress(ipa);
    stressBeforeAnSOnset(ipa);
    oneSecondaryBeforePrimary(ipa);
    markAsLearnersDictionariesDo(ipa);
    weakUnstressedAtive(ipa);
    cureVowelBeforeR(ipa);
    if (isReadable(ipa)) result.push_back(encoded(ipa));
  }
  return result;
}

std::string britishToIpa(const std::string& notation) {
  std::vector<std::string> variants = britishVariants(notation);
  return variants.empty() ? "" : variants.front();
}

bool isBritishIpa(const std::string& ipa) {
  return ipa.empty() || isReadable(decoded(ipa));
}

}  // namespace tools
