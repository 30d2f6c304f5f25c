#include "tools/library/WordNet.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/base/Files.h"
#include "tools/library/SourceLines.h"

namespace tools {
namespace {

const char* const kPosNames[] = {"noun", "verb", "adj", "adv"};

// Reads space-separated tokens of one line, failing with the file's line on a missing one.
class Tokens {
 public:
  Tokens(const SourceLines& file, size_t line, std::string_view text)
      : file_(file), line_(line), text_(text) {}

  std::string_view next() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
    if (at_ >= text_.size()) throw file_.error(line_, "line ends too early");
    size_t end = text_.find(' ', at_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view token = text_.substr(at_, end - at_);
    at_ = end;
    return token;
  }
  uint32_t number(int base = 10) {
    std::string_view token = next();
    uint32_t value = 0;
    auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), value, base);
    if (ec != std::errc() || ptr != token.data() + token.size())
      throw file_.error(line_, "\"" + std::string(token) + "\" is not a number");
    return value;
  }
  std::string_view rest() const { return at_ < text_.size() ? text_.substr(at_) : ""; }

 private:
  const SourceLines& file_;
  size_t line_;
  std::string_view text_;
  size_t at_ = 0;
};

std::string trimmed(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return std::string(text.substr(begin, end - begin));
}

// "definition; \"example\"; \"example\"" -> the definition and the quoted examples.
void splitGloss(std::string_view gloss, Synset& synset) {
  size_t quote = gloss.find('"');
  std::string_view definition = gloss.substr(0, quote);
  while (!definition.empty() && (definition.back() == ' ' || definition.back() == ';'))
    definition.remove_suffix(1);
  synset.definition = trimmed(definition);
  while (quote != std::string_view::npos) {
    size_t close = gloss.find('"', quote + 1);
    if (close == std::string_view::npos) break;
    std::string example = trimmed(gloss.substr(quote + 1, close - quote - 1));
    if (!example.empty()) synset.examples.push_back(example);
    quote = gloss.find('"', close + 1);
  }
}

// The synset type digit of a sense key: 1 noun, 2 verb, 3 adjective, 4 adverb, 5 satellite
// adjective. 0 for any other.
char posOfSynsetType(char digit) {
  switch (digit) {
    case '1':
      return 'n';
    case '2':
      return 'v';
    case '3':
      return 'a';
    case '4':
      return 'r';
    case '5':
      return 's';
  }
  return 0;
}

bool isLicenceLine(std::string_view line) {
  return line.empty() || line[0] == ' ';
}

}  // namespace

int posIndex(char pos) {
  switch (pos) {
    case 'n':
      return 0;
    case 'v':
      return 1;
    case 'a':
    case 's':
      return 2;
    case 'r':
      return 3;
  }
  return -1;
}

WordNet WordNet::load(const std::string& folder) {
  WordNet wn;
  for (int p = 0; p < 4; ++p) {
    SourceLines data(plat::files::join(folder, std::string("data.") + kPosNames[p]));
    for (size_t i = 0; i < data.size(); ++i) {
      std::string_view line = data.line(i);
      if (isLicenceLine(line)) continue;
      size_t bar = line.find(" | ");
      Tokens t(data, i, line.substr(0, bar));
      Synset s;
      uint32_t offset = t.number();
      t.next();  // lexicographer file
      std::string_view type = t.next();
      if (type.size() != 1 || posIndex(type[0]) != p) throw data.error(i, "wrong synset type");
      s.pos = kWordNetPos[p];
      uint32_t words = t.number(16);
      for (uint32_t w = 0; w < words; ++w) {
        std::string word(t.next());
        // Adjectives may carry a syntactic marker: "galore(ip)".
        if (size_t paren = word.find('('); paren != std::string::npos && word.back() == ')')
          word.erase(paren);
        s.words.push_back(word);
        t.next();  // lex_id
      }
      uint32_t pointers = t.number();
      for (uint32_t k = 0; k < pointers; ++k) {
        WordNetPointer ptr;
        ptr.symbol = t.next();
        ptr.offset = t.number();
        std::string_view pos = t.next();
        if (pos.size() != 1 || posIndex(pos[0]) < 0) throw data.error(i, "unknown part of speech");
        ptr.pos = pos[0] == 's' ? 'a' : pos[0];
        uint32_t st = t.number(16);
        ptr.source = static_cast<int>(st >> 8);
        ptr.target = static_cast<int>(st & 0xff);
        s.pointers.push_back(std::move(ptr));
      }
      if (bar != std::string_view::npos) splitGloss(line.substr(bar + 3), s);
      if (s.words.empty()) throw data.error(i, "synset without words");
      wn.synsets_[p].emplace(offset, std::move(s));
    }
    if (wn.synsets_[p].empty()) throw data.error(0, "holds no synset");

    SourceLines index(plat::files::join(folder, std::string("index.") + kPosNames[p]));
    for (size_t i = 0; i < index.size(); ++i) {
      std::string_view line = index.line(i);
      if (isLicenceLine(line)) continue;
      Tokens t(index, i, line);
      std::string lemma(t.next());
      t.next();  // pos
      uint32_t synsetCount = t.number();
      uint32_t pointerCount = t.number();
      for (uint32_t k = 0; k < pointerCount; ++k) t.next();
      t.number();  // sense count
      t.number();  // tagged sense count
      std::vector<uint32_t>& senses = wn.index_[lemma][p];
      for (uint32_t k = 0; k < synsetCount; ++k) {
        uint32_t offset = t.number();
        if (!wn.synsets_[p].count(offset))
          throw index.error(i, "sense " + std::to_string(offset) + " is not in data");
        senses.push_back(offset);
      }
    }

    SourceLines exceptions(plat::files::join(folder, std::string(kPosNames[p]) + ".exc"));
    for (size_t i = 0; i < exceptions.size(); ++i) {
      std::vector<std::string_view> fields = splitFields(exceptions.line(i), ' ');
      if (fields.size() < 2 || fields[0].empty())
        throw exceptions.error(i, "expected a form and its base");
      for (size_t k = 1; k < fields.size(); ++k) {
        if (fields[k].empty()) continue;
        wn.formToBase_[p].emplace(std::string(fields[0]), std::string(fields[k]));
        wn.baseToForm_[p].emplace(std::string(fields[k]), std::string(fields[0]));
      }
    }
  }

  // "lemma%type:file:id:head:headid sense_number tag_count"
  SourceLines counts(plat::files::join(folder, "cntlist.rev"));
  for (size_t i = 0; i < counts.size(); ++i) {
    std::vector<std::string_view> fields = splitFields(counts.line(i), ' ');
    size_t percent = fields[0].find('%');
    if (fields.size() != 3 || percent == std::string_view::npos || percent + 1 >= fields[0].size())
      throw counts.error(i, "expected a sense key, a sense number and a count");
    char pos = posOfSynsetType(fields[0][percent + 1]);
    if (!pos) throw counts.error(i, "unknown synset type in \"" + std::string(fields[0]) + "\"");
    int p = posIndex(pos);
    int count = 0;
    auto [end, ec] = std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), count);
    if (ec != std::errc() || end != fields[2].data() + fields[2].size())
      throw counts.error(i, "\"" + std::string(fields[2]) + "\" is not a count");
    wn.tagCounts_[std::string(fields[0].substr(0, percent))][p] += count;
  }
  return wn;
}

const std::vector<uint32_t>& WordNet::senses(const std::string& lemma, char pos) const {
  static const std::vector<uint32_t> kNone;
  auto it = index_.find(lemma);
  int p = posIndex(pos);
  return it == index_.end() || p < 0 ? kNone : it->second[p];
}

const Synset* WordNet::synset(char pos, uint32_t offset) const {
  int p = posIndex(pos);
  if (p < 0) return nullptr;
  auto it = synsets_[p].find(offset);
  return it == synsets_[p].end() ? nullptr : &it->second;
}

int WordNet::tagCount(const std::string& lemma, char pos) const {
  auto it = tagCounts_.find(lemma);
  return it == tagCounts_.end() ? 0 : it->second[posIndex(pos)];
}

std::vector<std::string> WordNet::exceptionBases(const std::string& form, char pos) const {
  std::vector<std::string> bases;
  auto [from, to] = formToBase_[posIndex(pos)].equal_range(form);
  for (auto it = from; it != to; ++it) bases.push_back(it->second);
  return bases;
}

std::vector<std::string> WordNet::exceptionForms(const std::string& base, char pos) const {
  std::vector<std::string> forms;
  auto [from, to] = baseToForm_[posIndex(pos)].equal_range(base);
  for (auto it = from; it != to; ++it) forms.push_back(it->second);
  return forms;
}

std::vector<std::string> lowerCaseWords(const std::string& text) {
  std::vector<std::string> words;
  for (size_t at = 0; at < text.size();) {
    if (!std::isalpha(static_cast<unsigned char>(text[at]))) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
    std::string word = text.substr(at, end - at);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    words.push_back(std::move(word));
    at = end;
  }
  return words;
}

int WordNet::usesInGlosses(const std::string& word) const {
  if (glossWords_.empty()) {
    auto count = [this](const std::string& text) {
      for (const std::string& word : lowerCaseWords(text)) ++glossWords_[word];
    };
    for (const auto& synsets : synsets_)
      for (const auto& [offset, synset] : synsets) {
        count(synset.definition);
        for (const std::string& example : synset.examples) count(example);
      }
  }
  const auto found = glossWords_.find(word);
  return found == glossWords_.end() ? 0 : found->second;
}

}  // namespace tools
