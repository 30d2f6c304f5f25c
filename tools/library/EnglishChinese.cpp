#include "tools/library/EnglishChinese.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <string_view>

#include "tools/library/BritishPhonetics.h"
#include "tools/library/SourceLines.h"

namespace tools {
namespace {

const std::map<std::string_view, std::string>& labels() {
  static const std::map<std::string_view, std::string> table = {
      {"n", "n."},        {"pl", "n."},      {"v", "v."},       {"vt", "v."},    {"vi", "v."},
      {"aux", "v."},      {"a", "adj."},     {"adj", "adj."},   {"ad", "adv."},  {"adv", "adv."},
      {"prep", "prep."},  {"pron", "pron."}, {"conj", "conj."}, {"art", "art."}, {"int", "int."},
      {"interj", "int."}, {"num", "num."},   {"det", "det."}};
  return table;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

struct Brackets {
  std::string_view open, close;
};
const Brackets kBrackets[] = {{"(", ")"}, {"（", "）"}, {"[", "]"}, {"<", ">"}, {"〈", "〉"}};

// Notes in brackets at either end of a text ("(英)(非正式)准备功课", "学位连领帽（表示学位种类）").
std::string_view withoutNotes(std::string_view text) {
  for (bool changed = true; changed;) {
    changed = false;
    text = trimmed(text);
    for (const Brackets& b : kBrackets) {
      if (startsWith(text, b.open)) {
        size_t end = text.find(b.close);
        if (end != std::string_view::npos && end + b.close.size() < text.size()) {
          text.remove_prefix(end + b.close.size());
          changed = true;
        }
      }
      if (text.size() > b.close.size() && text.substr(text.size() - b.close.size()) == b.close) {
        size_t start = text.rfind(b.open);
        if (start != std::string_view::npos && start > 0) {
          text = text.substr(0, start);
          changed = true;
        }
      }
    }
  }
  return text;
}

// A label standing inside a line ("vt. & vi. 想象", "重新聚集, vi. 重新组合") is left out.
std::string_view withoutLabels(std::string_view text) {
  for (bool changed = true; changed;) {
    changed = false;
    text = trimmed(text);
    if (startsWith(text, "&")) text.remove_prefix(1), changed = true;
    size_t dot = text.find('.');
    if (dot != std::string_view::npos && dot > 0 && labels().count(text.substr(0, dot)))
      text.remove_prefix(dot + 1), changed = true;
  }
  return text;
}

// A sense that is only a grammar note ("far的比较级") or holds no Chinese ("=frankfurter").
bool isNoise(const std::string& sense) {
  static const char* const kNotes[] = {"的过去",   "的复数",     "的比较级",
                                       "的最高级", "的现在分词", "的第三人称"};
  for (const char* note : kNotes)
    if (sense.find(note) != std::string::npos) return true;
  return std::all_of(sense.begin(), sense.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Senses are parted by commas and semicolons outside brackets.
std::vector<std::string> senses(std::string_view text) {
  std::vector<std::string> found;
  int depth = 0;
  size_t from = 0;
  auto take = [&](size_t end) {
    std::string_view piece = withoutNotes(withoutLabels(text.substr(from, end - from)));
    // A stray mark before the sense ("+体育馆", ">的") is the dictionary's typing slip.
    while (!piece.empty() && (piece.front() == '+' || piece.front() == '>')) piece.remove_prefix(1);
    std::string sense(piece);
    for (size_t at = sense.find("..."); at != std::string::npos; at = sense.find("...", at))
      sense.replace(at, 3, "…");
    if (!isNoise(sense) && std::find(found.begin(), found.end(), sense) == found.end())
      found.push_back(sense);
  };
  for (size_t i = 0; i < text.size();) {
    std::string_view rest = text.substr(i);
    size_t step = 1;
    bool separator = false;
    for (const Brackets& b : kBrackets) {
      if (startsWith(rest, b.open)) ++depth, step = b.open.size();
      if (startsWith(rest, b.close)) depth = std::max(0, depth - 1), step = b.close.size();
    }
    for (std::string_view sep : {",", ";", "，", "；"})
      if (depth == 0 && startsWith(rest, sep)) separator = true, step = sep.size();
    if (separator) {
      take(i);
      from = i + step;
    }
    i += step;
  }
  take(text.size());
  return found;
}

}  // namespace

std::vector<TranslatedPart> translatedParts(const std::string& translation, size_t sensesPerPart) {
  std::vector<TranslatedPart> parts;
  auto add = [&](const std::string& label, std::string_view text) {
    auto part = std::find_if(parts.begin(), parts.end(),
                             [&](const TranslatedPart& p) { return p.label == label; });
    if (part == parts.end()) part = parts.insert(parts.end(), {label, {}});
    for (std::string& sense : senses(text))
      if (std::find(part->senses.begin(), part->senses.end(), sense) == part->senses.end())
        part->senses.push_back(std::move(sense));
  };
  std::string_view rest = translation;
  while (!rest.empty()) {
    size_t end = rest.find("\\n");
    std::string_view line = trimmed(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
    // Lines of a subject field ("[计] 卸载" for download, "[医] 柠檬" for limo) miss the everyday
    // sense too often to stand on the card.
    if (startsWith(line, "[")) continue;
    line = withoutNotes(line);  // "(mice 的复数) n. 老鼠"
    size_t dot = line.find('.');
    auto label =
        dot == std::string_view::npos ? labels().end() : labels().find(line.substr(0, dot));
    if (label != labels().end()) add(label->second, line.substr(dot + 1));
  }
  parts.erase(std::remove_if(parts.begin(), parts.end(),
                             [](const TranslatedPart& p) { return p.senses.empty(); }),
              parts.end());
  for (TranslatedPart& p : parts)
    if (p.senses.size() > sensesPerPart) p.senses.resize(sensesPerPart);
  return parts;
}

std::string formNoted(const std::string& translation) {
  const std::string line = translation.substr(0, translation.find("\\n"));
  for (const char* note : {"的复数", "的比较级", "的最高级"}) {
    const size_t at = line.find(note);
    if (at == std::string::npos) continue;
    size_t start = at;
    while (start > 0 && std::isalpha(static_cast<unsigned char>(line[start - 1]))) --start;
    if (start < at) return line.substr(start, at - start);
  }
  return "";
}

std::unordered_map<std::string, TranslatedWord> loadEnglishChinese(const std::string& path,
                                                                   size_t sensesPerPart) {
  std::unordered_map<std::string, TranslatedWord> words;
  SourceLines file(path);
  for (size_t i = 0; i < file.size(); ++i) {
    std::vector<std::string_view> fields = splitFields(file.line(i), '\t');
    // Fields after the exam lists are other readers' and are left alone here.
    if (fields.size() == 4 || fields.size() < 3 || fields[0].empty() || fields[2].empty())
      throw file.error(i, "expected a word, its phonetic, its translation and two ranks");
    TranslatedWord& word = words[std::string(fields[0])];
    word.phonetics = britishVariants(std::string(trimmed(fields[1])));
    word.parts = translatedParts(std::string(fields[2]), sensesPerPart);
    word.formOf = formNoted(std::string(fields[2]));
    for (size_t k = 3; k < fields.size() && k < 5; ++k) {
      int rank = 0;
      auto [end, ec] = std::from_chars(fields[k].data(), fields[k].data() + fields[k].size(), rank);
      if (ec != std::errc() || end != fields[k].data() + fields[k].size() || rank < 0)
        throw file.error(i, "\"" + std::string(fields[k]) + "\" is not a rank");
      if (rank > 0 && (word.corpusRank == 0 || rank < word.corpusRank)) word.corpusRank = rank;
    }
    if (fields.size() > 5)
      for (std::string_view exam : splitFields(fields[5], ' '))
        if (!exam.empty()) word.exams.emplace_back(exam);
  }
  return words;
}

}  // namespace tools
