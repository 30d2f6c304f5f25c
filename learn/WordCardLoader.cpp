#include "learn/WordCardLoader.h"

#include "learn/ReviewListSort.h"
#include "store/CallDB.h"

namespace WordCardLoader {
namespace {

using plat::Value;

std::vector<std::string> textsOf(const Value& list) {
  std::vector<std::string> texts;
  texts.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i) texts.push_back(list.at(i).asString());
  return texts;
}

int intOf(const Value& v) {
  return static_cast<int>(v.asInt());
}

void loadSection(CallDB& db, WordCardContent& content, const ReviewListSort::Entry& entry) {
  const std::string& word = content.word;
  switch (entry.code) {
    case ReviewListSort::kExamples: {
      content.show_example = entry.shown;
      if (!entry.shown) return;
      content.editors = textsOf(db.GetWordData(word, 5));
      const Value rows = db.GetWordData(word, 3);
      content.examples.clear();
      for (size_t i = 0; i < rows.size(); ++i) {
        const Value& row = rows.at(i);
        content.examples.push_back({row.at(0).asString(), row.at(1).asString(), intOf(row.at(2))});
      }
      return;
    }
    case ReviewListSort::kEditor:
      if (entry.shown) content.editors = textsOf(db.GetWordData(word, 5));
      return;
    case ReviewListSort::kEnglishMeaning:
      content.show_englishMeaning = entry.shown;
      if (entry.shown) content.englishMeanings = textsOf(db.GetWordData(word, 6));
      return;
    case ReviewListSort::kSynonyms: {
      content.show_jinfan = entry.shown;
      if (!entry.shown) return;
      const Value lists = db.GetWordData(word, 7);
      content.antonyms = textsOf(lists.at(0));
      content.synonyms = textsOf(lists.at(1));
      return;
    }
    case ReviewListSort::kPhrases:
      content.show_phrases = entry.shown;
      if (entry.shown) content.phrases = textsOf(db.GetWordData(word, 8));
      return;
    case ReviewListSort::kOtherWords: {
      content.show_other = entry.shown;
      if (!entry.shown) return;
      const Value lists = db.GetWordData(word, 9);
      content.paronyms = textsOf(lists.at(0));
      content.similar = textsOf(lists.at(1));
      return;
    }
    default:
      return;  // mnemonic, grammar and study information are read when rendered or below
  }
}

}  // namespace

WordCardContent load(const std::string& word, const std::string& sortValue) {
  CallDB& db = *CallDB::callDB();
  WordCardContent content;
  content.word = word;
  // Type 0 first: it makes this word the one whose texts the later types read.
  const Value heads = db.GetWordData(word, 0);
  if (heads.size())
    content.phonetics = WordPhonetics{heads.at(0).at(0).asString(), heads.at(0).at(1).asString()};
  const Value meanings = db.GetWordData(word, 1);
  for (size_t i = 0; i < meanings.size(); ++i)
    content.meanings.push_back({meanings.at(i).at(0).asString(), intOf(meanings.at(i).at(1))});
  content.inflections = textsOf(db.GetWordData(word, 2));
  const Value counts = db.GetWordData(word, 4);
  if (counts.size()) {
    const Value& row = counts.at(0);
    content.counts = WordAnswerCounts{intOf(row.at(0)), intOf(row.at(1)), intOf(row.at(2))};
  }
  for (const ReviewListSort::Entry& entry : ReviewListSort::parse(sortValue))
    loadSection(db, content, entry);
  return content;
}

WordNoteTexts mnemonicTexts(const std::string& word) {
  CallDB& db = *CallDB::callDB();
  return {db.getNote(word), db.getMnemonic(word)};
}

WordNoteTexts grammarTexts(const std::string& word) {
  CallDB& db = *CallDB::callDB();
  return {db.getMyYuFa(word), db.getYuFa(word)};
}

}  // namespace WordCardLoader
