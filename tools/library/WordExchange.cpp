#include "tools/library/WordExchange.h"

#include <algorithm>

#include "tools/library/SourceLines.h"

namespace tools {
namespace {

// The dictionary's letter of an inflection and the card's marker for it.
char markerOf(char kind) {
  switch (kind) {
    case 's': return '#';
    case '3': return '@';
    case 'p': return '$';
    case 'd': return '%';
    case 'i': return '^';
    case 'r': return '&';
    case 't': return '*';
    default: return 0;
  }
}

char posOf(char kind) {
  switch (kind) {
    case 's': return 'n';
    case 'r':
    case 't': return 'a';
    default: return markerOf(kind) ? 'v' : 0;
  }
}

bool isPlainWord(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < 'a' || c > 'z') return false;
  return true;
}

}  // namespace

WordExchange WordExchange::load(const std::string& path) {
  WordExchange exchange;
  SourceLines file(path);
  for (size_t i = 0; i < file.size(); ++i) {
    std::vector<std::string_view> fields = splitFields(file.line(i), '\t');
    if (fields.size() != 2 || !isPlainWord(fields[0]))
      throw file.error(i, "expected a word of lower-case letters and its inflections");
    Entry& entry = exchange.entries_[std::string(fields[0])];
    for (std::string_view item : splitFields(fields[1], '/')) {
      if (item.size() < 2 || item[1] != ':')
        throw file.error(i, "\"" + std::string(item) + "\" is no inflection (letter:form)");
      const std::string_view value = item.substr(2);
      if (item[0] == '0') {
        entry.lemma = value;
      } else if (item[0] == '1') {
        entry.kinds = value;
      } else if (const char marker = markerOf(item[0]); marker && isPlainWord(value)) {
        // Letters the card has no marker for ("f:", word families) and empty or multi-word
        // forms are left out.
        entry.forms[marker].emplace_back(value);
      }
    }
  }
  return exchange;
}

std::vector<std::string> WordExchange::formsOf(const std::string& word, char marker) const {
  const auto entry = entries_.find(word);
  if (entry == entries_.end()) return {};
  const auto forms = entry->second.forms.find(marker);
  if (forms == entry->second.forms.end()) return {};
  // An inflected word names itself among its forms ("existing i:existing", "worried p:worried")
  // as a note, not as a form of its own.
  const bool ownBase = entry->second.lemma.empty() || entry->second.lemma == word;
  // A plural or third person has none of its own ("men s:mens", "feet 3:feets").
  const std::string& kinds = entry->second.kinds;
  if (!ownBase && (marker == '#' || marker == '@') &&
      kinds.find_first_of("s3") != std::string::npos)
    return {};
  std::vector<std::string> kept;
  for (const std::string& form : forms->second)
    if ((form != word || (ownBase && (marker == '$' || marker == '%'))) &&
        !isItsBasesForm(word, entry->second, form))
      kept.push_back(form);
  return kept;
}

bool WordExchange::onlyItsBasesForms(const std::string& word, char marker) const {
  const auto entry = entries_.find(word);
  if (entry == entries_.end()) return false;
  const auto forms = entry->second.forms.find(marker);
  if (forms == entry->second.forms.end() || forms->second.empty()) return false;
  for (const std::string& form : forms->second)
    if (!isItsBasesForm(word, entry->second, form)) return false;
  return true;
}

// "feels" in the record of "felt", whose base is "feel"; "fell" (the past of "fall") in that of
// "fell".
bool WordExchange::isItsBasesForm(const std::string& word, const Entry& entry,
                                  const std::string& form) const {
  // "let" names itself its base ("0:let/1:dp"): its forms are its own.
  if (entry.lemma.empty() || entry.lemma == word || entry.kinds.empty()) return false;
  if (form == entry.lemma) return true;
  const auto base = entries_.find(entry.lemma);
  if (base == entries_.end()) return false;
  for (const auto& [marker, forms] : base->second.forms)
    if (std::find(forms.begin(), forms.end(), form) != forms.end()) return true;
  return false;
}

WordExchange::Base WordExchange::baseOf(const std::string& word) const {
  const auto entry = entries_.find(word);
  if (entry == entries_.end()) return {};
  const Entry& e = entry->second;
  if (e.lemma.empty() || e.lemma == word || !isPlainWord(e.lemma) || e.kinds.empty()) return {};
  const char pos = posOf(e.kinds[0]);
  return pos ? Base{e.lemma, pos} : Base{};
}

}  // namespace tools
