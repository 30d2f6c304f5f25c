// Cuts an English text into its word tokens, as written, with what the reader needs to know of
// each one's place: whether it begins a sentence (after a full stop, "!", "?", a paragraph's end
// or an opening quote mark) and whether it follows the previous word with only spaces between.
// A token runs over letters, "_" and "."; the letters are ASCII, or Latin letters with accents
// (Accents.h), which join the word they stand in. An ellipsis parts tokens like a space does
// ("Well...won't"); apostrophes part them too, and the parts of a contraction are replaced by
// the verbs they stand for (Contractions.h). The full stop of a title ("Mrs. White") ends no
// sentence, unless what follows names no one ("Elm St. Every morning", "the Dr. Everyone"). A
// capital after a colon ("Q: Can you ...?", "Mum: Will you ...?"), the first word of a list's
// line ("- Renting a car", "• Dining out") and the word after the comma of a greeting that starts
// its line ("Dear Tom, May I ...?") start sentences too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/ClosedLists.h"
#include "extract/WordTable.h"

// One token: its spelling (as written, or the verb a contraction stands for) by its number among
// the text's distinct spellings, and its place.
struct TextToken {
  uint32_t distinct = 0;
  bool startsSentence = false;
  bool followsWord = false;   // the previous token is a word right before it, spaces between
  bool followsTitle = false;  // ... and that word is a title: Mr, Mrs, Dr, St, Aunt, Sir ...
  // The previous token ends in "'s" right before it, spaces between: a possessive, or "is" or
  // "has" ("Grandpa's will", "he's left").
  bool followsPossessive = false;
};

class TextTokens {
 public:
  // `onEnded(i, n)`, when set, hears of the 1st, 51st, 101st ... token to end: at UTF-16 unit
  // i of n.
  explicit TextTokens(std::function<void(size_t i, size_t n)> onEnded)
      : onEnded_(std::move(onEnded)) {}

  // Cuts `text`, which must outlive the tokens: they view it.
  void run(std::string_view text);

  const std::vector<TextToken>& tokens() const { return tokens_; }
  // The tokens that start a line, by their index, in order: the first, and each that a line
  // break stands before. Kept apart from the tokens, which few rules ask it of.
  const std::vector<uint32_t>& lineStarts() const { return lineStarts_; }
  // The tokens, by their index, in order, that start a sentence as a capital right after a colon
  // ("Q: Can you ...?", "included: Inferior But Marketable").
  const std::vector<uint32_t>& colonStarts() const { return colonStarts_; }
  // The tokens, by their index, in order, that a number follows with only spaces between ("May
  // 3", "June 2024").
  const std::vector<uint32_t>& beforeNumbers() const { return beforeNumbers_; }
  // The tokens, by their index, in order, that a colon follows ("Captain:", "King Edward:").
  const std::vector<uint32_t>& beforeColons() const { return beforeColons_; }
  // The distinct spellings, numbered in the order of their first occurrence.
  const std::vector<std::string_view>& distinct() const { return distinct_.words(); }
  // Whether some word of the text holds an accented letter ("café"); else every spelling is
  // ASCII.
  bool holdsAccents() const { return holdsAccents_; }
  // Whether the text also writes `spelling` in lower case ("ping" where "Ping" is asked), a full
  // stop after it or not.
  bool writesInLowerCase(std::string_view spelling) const;

 private:
  // A character between words but a space or a line break, by what it says (its classes in
  // TextTokens.cpp: ends a sentence, a comma, a colon ...), and whether it opens a quotation.
  void readMark(uint8_t markClasses, bool opensQuotation);
  void take(std::string_view text, size_t start, size_t end);
  // Adds a token of `spelling` and returns its number among the distinct spellings. Made part of
  // take, its one caller: a call of its own for every token cost more than its work.
  [[gnu::always_inline]] inline uint32_t add(std::string_view spelling);
  // What a list's mark or a colon before the token being added makes of it.
  void readPendingMarks(std::string_view spelling);
  // Lists the word before a number or a colon that came since it (beforeNumbers, beforeColons).
  void readMarksAfterWord();
  // A line break: the next token starts a line.
  void startLine();
  // Whether a comma now ends a greeting that starts its line ("Dear Tom,").
  bool endsAGreeting() const;
  // Whether the title just added leads to no name: St or Dr that ends a street's name ("Elm
  // St."), or a title that a determiner makes a noun ("the Dr.").
  bool leadsToNoName(std::string_view title) const;

  std::function<void(size_t, size_t)> onEnded_;
  std::vector<TextToken> tokens_;
  std::vector<uint32_t> lineStarts_;
  std::vector<uint32_t> colonStarts_;
  std::vector<uint32_t> beforeNumbers_;
  std::vector<uint32_t> beforeColons_;
  WordTable distinct_;
  // Whether each distinct spelling, without its dots, is a title or a greeting: its marks of
  // kTitle, kAbbreviatedTitle and kGreeting.
  std::vector<ClosedLists::Marks> capitalMarks_;
  size_t ended_ = 0;
  bool holdsAccents_ = false;
  // What stands between the previous token and the next one.
  bool sentenceEnded_ = true;
  bool onlySpaces_ = false;
  bool afterTitle_ = false;
  // The title right before ended in a stop: after one that leads to no name ("Elm St.", "the
  // Dr.") any capital starts a sentence, after another only a word that names no one.
  enum class TitleStop : uint8_t { kNone, kTitles, kNoName };
  TitleStop titleStop_ = TitleStop::kNone;
  bool afterApostropheS_ = false;
  int lineBreaks_ = 0;
  // Only spaces, digits and list marks stand on the line so far, no word since its break (the
  // last of lineStarts_): the next word starts a list's line after a list's mark.
  bool lineStart_ = true;
  bool listMark_ = false;
  // A colon stands right before, spaces between: a capital after it starts a sentence.
  bool afterColon_ = false;
  // A number, spaces between, or a colon came after the last word: their marks' classes.
  uint8_t afterWordMarks_ = 0;
  // listMark_ or afterWordMarks_ (a colon's among them) is set: the next token has them read.
  bool marksPending_ = false;
};
