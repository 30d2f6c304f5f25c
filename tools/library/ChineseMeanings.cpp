#include "tools/library/ChineseMeanings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <unordered_set>

#include "tools/library/SourceLines.h"

namespace tools {
namespace {

bool startsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

// Number of characters (code points) of a UTF-8 text.
size_t characters(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

// Only words written in Chinese characters (no Latin letters, digits or punctuation).
bool isHanWord(const std::string& text) {
  if (text.empty()) return false;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) return false;
    size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    if (len == 3) {
      unsigned cp = ((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
      if (cp < 0x3400 || cp > 0x9FFF) return false;
    } else {
      return false;
    }
    i += len;
  }
  return true;
}

bool skipsGloss(const std::string& gloss) {
  static const char* const kPrefixes[] = {"variant of",   "old variant of", "surname ",
                                          "see ",         "used in ",       "abbr. for",
                                          "cl:",          "erhua variant",  "japanese variant",
                                          "also written", "also pr.",       "(bound form)"};
  for (const char* p : kPrefixes)
    if (startsWith(gloss, p)) return true;
  return false;
}

}  // namespace

std::string glossKey(const std::string& gloss, bool* verbal, bool* rare) {
  static const char* const kRareNotes[] = {
      "literary",  "dialect",  "old",      "archaic",  "tw",     "slang",     "vulgar", "classical",
      "cantonese", "obsolete", "loanword", "buddhism", "taiwan", "honorific", "fig"};
  std::string lower;
  for (char c : gloss) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string text;
  bool isRare = false;
  int depth = 0;
  std::string note;
  for (char c : lower) {
    if (c == '(' || c == '[') {
      ++depth;
      note.clear();
    } else if ((c == ')' || c == ']') && depth > 0) {
      --depth;
      // A note that begins with a mark of rare usage: "(literary)", "(Tw) ...", "(old) ...".
      std::string first = note.substr(0, note.find_first_of(" ,;."));
      for (const char* r : kRareNotes)
        if (first == r) isRare = true;
    } else if (depth > 0) {
      note += c;
    } else {
      text += c;
    }
  }
  // Collapse spaces, drop the marks of a verb or a noun.
  std::string key;
  for (char c : text) {
    if (c == ' ' && (key.empty() || key.back() == ' ')) continue;
    key += c;
  }
  while (!key.empty() && (key.back() == ' ' || key.back() == '.' || key.back() == ','))
    key.pop_back();
  bool isVerbal = false;
  if (startsWith(key, "to ")) {
    key.erase(0, 3);
    isVerbal = true;
  }
  for (const char* article : {"a ", "an ", "the "})
    if (startsWith(key, article)) key.erase(0, std::char_traits<char>::length(article));
  if (verbal) *verbal = isVerbal;
  if (rare) *rare = isRare;
  return key;
}

ChineseMeanings ChineseMeanings::load(const std::string& path,
                                      const std::set<std::string>& unwanted) {
  ChineseMeanings meanings;
  meanings.unwanted_ = unwanted;
  SourceLines file(path);
  for (size_t i = 0; i < file.size(); ++i) {
    std::vector<std::string_view> fields = splitFields(file.line(i), '\t');
    if (fields.size() < 4 || fields[0].empty())
      throw file.error(i, "expected simplified, traditional, pinyin and glosses");
    std::string pinyin(fields[2]);
    // Capitalised pinyin marks a name.
    if (!pinyin.empty() && std::isupper(static_cast<unsigned char>(pinyin[0]))) continue;
    std::string chinese(fields[0]);
    if (!isHanWord(chinese)) continue;
    std::vector<std::string> glosses(fields.begin() + 3, fields.end());
    meanings.add(chinese, glosses);
  }
  if (meanings.entries_.empty()) throw file.error(0, "holds no dictionary entry");
  meanings.countCompounds();
  return meanings;
}

void ChineseMeanings::add(const std::string& chinese, const std::vector<std::string>& glosses) {
  std::vector<std::string> kept;
  std::unordered_set<std::string> tokens;
  for (const std::string& raw : glosses) {
    std::string lower;
    for (char c : raw) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (skipsGloss(lower)) continue;
    kept.push_back(raw);
    std::string token;
    for (char c : lower + " ") {
      if (std::isalpha(static_cast<unsigned char>(c))) {
        token += c;
      } else if (!token.empty()) {
        tokens.insert(token);
        token.clear();
      }
    }
  }
  if (kept.empty()) return;
  // An entry glossed with a word we keep out of the library (swearing) is no meaning of anything.
  for (const std::string& t : tokens)
    if (unwanted_.count(t)) return;

  const int entry = static_cast<int>(entries_.size());
  entries_.push_back({chinese, static_cast<int>(kept.size())});
  for (const std::string& t : tokens) glossWords_[t].push_back(entry);
  for (size_t position = 0; position < kept.size(); ++position) {
    const std::string& raw = kept[position];
    // "to see; to look at": each part is a key, the later ones a little weaker. A note of rare
    // usage before the first part holds for the whole gloss.
    size_t from = 0;
    int part = 0;
    bool rareGloss = false;
    while (from <= raw.size()) {
      size_t semicolon = raw.find(';', from);
      if (semicolon == std::string::npos) semicolon = raw.size();
      Gloss gloss;
      gloss.entry = entry;
      gloss.position = static_cast<int>(position) * 2 + part++;
      std::string key = glossKey(raw.substr(from, semicolon - from), &gloss.verbal, &gloss.rare);
      if (part == 1) rareGloss = gloss.rare;
      gloss.rare = gloss.rare || rareGloss;
      if (!key.empty()) index_[key].push_back(gloss);
      from = semicolon + 1;
    }
  }
}

void ChineseMeanings::countCompounds() {
  // Every substring of one or two characters of each headword, counted once per entry.
  for (const Entry& e : entries_) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < e.chinese.size(); ++i)
      if ((static_cast<unsigned char>(e.chinese[i]) & 0xC0) != 0x80) starts.push_back(i);
    starts.push_back(e.chinese.size());
    std::map<std::string, bool> seen;
    for (size_t a = 0; a + 1 < starts.size(); ++a)
      for (size_t b = a + 1; b < starts.size() && b <= a + 2; ++b)
        seen[e.chinese.substr(starts[a], starts[b] - starts[a])] = true;
    if (characters(e.chinese) > 2) seen[e.chinese] = true;
    for (const auto& [text, _] : seen) ++compounds_[text];
  }
}

int ChineseMeanings::support(const std::string& chinese, const std::string& key) const {
  auto it = glossWords_.find(key);
  if (it == glossWords_.end()) return 0;
  int count = 0;
  for (int entry : it->second) {
    const std::string& other = entries_[entry].chinese;
    if (other != chinese && other.find(chinese) != std::string::npos) ++count;
  }
  return count;
}

std::vector<ChineseCandidate> ChineseMeanings::lookup(const std::string& english, char pos,
                                                      size_t limit, bool strict) const {
  const std::string key = glossKey(english, nullptr, nullptr);
  auto it = index_.find(key);
  if (it == index_.end()) return {};
  std::map<std::string, double> best;
  for (const Gloss& g : it->second) {
    // Verbs are glossed "to ...": a verb takes only such glosses, the other parts only others.
    // A strict lookup also keeps to the first sense group of each entry, so that a side sense
    // ("sleep" as the gum in one's eyes) gives no row of its own, and leaves out rare usages.
    const bool suits = (pos == 'v') == g.verbal;
    if (strict && (!suits || g.position > 1 || g.rare)) continue;
    const Entry& e = entries_[g.entry];
    double score = 1.0 / (1.0 + 0.35 * g.position);
    if (!suits) score *= 0.3;
    if (g.rare) score *= 0.2;
    // An entry that means only this word is the word for it.
    if (e.glossCount == 1) score *= 1.5;
    auto compound = compounds_.find(e.chinese);
    const int compounds = compound == compounds_.end() ? 0 : compound->second;
    // Everyday Chinese prefers words of two characters; a single character is often a bound
    // morpheme (师 beside 老师), and one found in few entries is a rare character.
    size_t length = characters(e.chinese);
    if (length == 1) score *= compounds < 8 ? 0.15 : 0.45;
    if (length == 3) score *= 0.6;
    if (length >= 4) score *= 0.3;
    score *= std::log(2.0 + support(e.chinese, key)) + 0.2 * std::log(2.0 + compounds);
    double& kept = best[e.chinese];
    kept = std::max(kept, score);
  }
  std::vector<ChineseCandidate> ranked;
  for (const auto& [chinese, score] : best) ranked.push_back({chinese, score});
  std::stable_sort(
      ranked.begin(), ranked.end(),
      [](const ChineseCandidate& a, const ChineseCandidate& b) { return a.score > b.score; });
  std::vector<ChineseCandidate> kept;
  for (const ChineseCandidate& c : ranked) {
    if (kept.size() >= limit || c.score < ranked.front().score * 0.4) break;
    kept.push_back(c);
  }
  return kept;
}

}  // namespace tools
