// Cutting a text into tokens with their places in the sentence.
#include <gtest/gtest.h>

#include "extract/TextTokens.h"

namespace {

struct Token {
  std::string spelling;
  bool startsSentence;
  bool followsWord;
  bool operator==(const Token&) const = default;
};

void PrintTo(const Token& token, std::ostream* out) {
  *out << token.spelling << (token.startsSentence ? " ^" : "") << (token.followsWord ? " +" : "");
}

std::vector<Token> cut(const std::string& text) {
  TextTokens tokens(nullptr);
  tokens.run(text);
  std::vector<Token> out;
  for (const TextToken& token : tokens.tokens())
    out.push_back({std::string(tokens.distinct()[token.distinct]), token.startsSentence,
                   token.followsWord});
  return out;
}

std::vector<std::string> spellings(const std::string& text) {
  std::vector<std::string> out;
  for (const Token& token : cut(text)) out.push_back(token.spelling);
  return out;
}

using Spellings = std::vector<std::string>;

TEST(TextTokens, SentencesStartAfterStopsAndParagraphsAndWordsFollowOnlyAcrossSpaces) {
  EXPECT_EQ(cut("The red rose. May I? Yes!\n\nChina, big;\nwide"),
            (std::vector<Token>{{"The", true, false},
                                {"red", false, true},
                                {"rose.", false, true},
                                {"May", true, false},
                                {"I", false, true},
                                {"Yes", true, false},
                                {"China", true, false},
                                {"big", false, false},
                                {"wide", false, false}}));
  // A line break inside a paragraph ends no sentence; an ellipsis neither.
  EXPECT_EQ(cut("in\nChina... August"),
            (std::vector<Token>{{"in", true, false}, {"China", false, true},
                                {"August", false, false}}));
  // Chinese stops end sentences too, Chinese commas do not.
  EXPECT_EQ(cut("Go。May，China"),
            (std::vector<Token>{{"Go", true, false}, {"May", true, false},
                                {"China", false, false}}));
}

TEST(TextTokens, ContractionsStandForTheirVerbsAndEllipsesPartWords) {
  EXPECT_EQ(spellings("didn't can't won't shan't ain't"),
            (Spellings{"did", "can", "will", "shall"}));
  EXPECT_EQ(spellings("I'll we've they're I'm it's he'd o'clock"),
            (Spellings{"I", "will", "we", "have", "they", "are", "I", "am", "it", "he", "o",
                       "clock"}));
  EXPECT_EQ(spellings("Well...won't ...won\u2019t _won't_ \"Won't\""),
            (Spellings{"Well", "will", "will", "will", "will"}));
  EXPECT_EQ(spellings("Cannot, cannot"), (Spellings{"can", "can"}));
  // "n't" must end the word: "don'tcha" is no contraction of ours.
  EXPECT_EQ(spellings("don'tx"), (Spellings{"don", "tx"}));
  // Dots inside a word and around it stay: the reader trims them.
  EXPECT_EQ(spellings("e.g. end. _x_ . ..."), (Spellings{"e.g.", "end.", "_x_"}));
}

TEST(TextTokens, AccentedLettersAndAccentsJoinTheWordTheyStandIn) {
  EXPECT_EQ(
      spellings("r\u00e9sum\u00e9 caf\u00e9 na\u00efve \u00c9mile stra\u00dfe"),
      (Spellings{"r\u00e9sum\u00e9", "caf\u00e9", "na\u00efve", "\u00c9mile", "stra\u00dfe"}));
  // An accent typed apart joins the letter before it, and alone it is no word.
  EXPECT_EQ(spellings("cafe\u0301 \u0301x"), (Spellings{"cafe\u0301", "x"}));
  // Other letters and signs part words as before.
  EXPECT_EQ(spellings("abc\u03b1\u03b2def 2\u00d73 a\u00d7b \u4e2d\u6587ok"),
            (Spellings{"abc", "def", "a", "b", "ok"}));
  // The word after one follows it; an apostrophe after one parts a contraction.
  EXPECT_EQ(cut("caf\u00e9 near"),
            (std::vector<Token>{{"caf\u00e9", true, false}, {"near", false, true}}));
  EXPECT_EQ(spellings("The caf\u00e9's owner"), (Spellings{"The", "caf\u00e9", "owner"}));
}

TEST(TextTokens, ContractionsWithAStopAndOpeningQuotesStartSentencesAndTitlesDoNot) {
  const auto starts = [](const std::string& text) {
    std::vector<std::string> out;
    TextTokens tokens(nullptr);
    tokens.run(text);
    for (const TextToken& token : tokens.tokens())
      if (token.startsSentence) out.push_back(std::string(tokens.distinct()[token.distinct]));
    return out;
  };
  EXPECT_EQ(starts("We won't. May we? It's. Can he'd. Will"),
            (Spellings{"We", "May", "It", "Can", "Will"}));
  EXPECT_EQ(
      starts("He said, \"May we\" and \u201cCan\u201d and \u2018Will\u2019 and \u300cShall\u300d"),
      (Spellings{"He", "May", "Can", "Will", "Shall"}));
  EXPECT_EQ(
      starts("a \u00abB\u00bb c \u201eD\u201c e \uff02F\uff02 g \u2039H\u203a i \u00bbJ\u00ab"),
      (Spellings{"a", "B", "D", "F", "H", "J"}));
  // A closing quote or an apostrophe opens nothing.
  EXPECT_EQ(starts("a \"b\" c the boys' dog"), (Spellings{"a", "b"}));
  EXPECT_EQ(starts("go?\u00bb and \u00abyes\u00bb, so"), (Spellings{"go", "and", "yes"}));
  EXPECT_EQ(starts("Ask Mrs. White and Dr. Brown. Then"), (Spellings{"Ask", "Then"}));
  // After a title's stop a word that names no one starts the next sentence, and after a
  // street's ("Elm St.", "Park Dr.") any capital does.
  EXPECT_EQ(starts("Ask Dr. Every day. Ask Mr. Brown and Dr. Green"),
            (Spellings{"Ask", "Every", "Ask"}));
  EXPECT_EQ(starts("on Elm St. Every day on Park Dr. Trees and Elm St. now"),
            (Spellings{"on", "Every", "Trees"}));
  EXPECT_EQ(starts("Elm St. Green and Dr., The"), (Spellings{"Elm"}));
  // So does every capitalised function word, and after a title that a determiner makes a noun
  // any capital, but for a saint's St.
  EXPECT_EQ(starts("Call Dr. Somebody now. Ask Mr. Nothing. Ask Mr. Brown"),
            (Spellings{"Call", "Somebody", "Ask", "Nothing.", "Ask"}));
  EXPECT_EQ(starts("Call the Dr. Green is ill, our Prof. Brown. See the St. Mark Hotel"),
            (Spellings{"Call", "Green", "Brown.", "See"}));
  // A title that is a whole word ends its sentence with its stop.
  EXPECT_EQ(starts("Thank you, Sir. Green is his. Aunt Rose"),
            (Spellings{"Thank", "Green", "Aunt"}));
  // So does an initial after a title, but only there.
  EXPECT_EQ(starts("Ask Mrs J. Rose. Mr A. The end. Plan B. Trees"),
            (Spellings{"Ask", "Mr", "The", "Plan", "Trees"}));

  TextTokens tokens(nullptr);
  tokens.run("Mrs. White, Dr Brown, Mr, Green, mrs. Black, Aunt Rose, Mrs J. Rose, A. Young");
  std::vector<bool> afterTitle;
  for (const TextToken& token : tokens.tokens()) afterTitle.push_back(token.followsTitle);
  EXPECT_EQ(afterTitle, (std::vector<bool>{false, true, false, true, false, false, false, false,
                                           false, true, false, true, true, false, false}));
}

std::vector<std::string> sentenceStarts(const std::string& text) {
  std::vector<std::string> out;
  for (const Token& token : cut(text))
    if (token.startsSentence) out.push_back(token.spelling);
  return out;
}

TEST(TextTokens, ACapitalAfterAColonAListsLineAndTheWordAfterAGreetingStartSentences) {
  // A speaker's label, a heading's colon, a full-width colon; not a word in lower case, nor a
  // colon that a number follows.
  EXPECT_EQ(sentenceStarts("Q: Can you? Mum: Will you? Clean living: Waiting is hard."),
            (Spellings{"Q", "Can", "Mum", "Will", "Clean", "Waiting"}));
  EXPECT_EQ(sentenceStarts("Tip\uff1aMay I? three things: eggs and milk at 10:30 May"),
            (Spellings{"Tip", "May", "three"}));
  // A list's mark at a line's start, after spaces or a number; a dash inside a line, or a
  // number alone, marks none.
  EXPECT_EQ(sentenceStarts("Pack:\n- Renting a car\n  * Riding\n\u2022 Dining\n2) Waiting\n"
                           "in 1990 we - they\n1990 Ping"),
            (Spellings{"Pack", "Renting", "Riding", "Dining", "Waiting"}));
  // A greeting at a line's start ends with its comma; another comma ends nothing.
  EXPECT_EQ(sentenceStarts("Dear Tom, May I?\nHello, Will you?\nDear Sir or Madam, Can we"),
            (Spellings{"Dear", "May", "Hello", "Will", "Dear", "Can"}));
  EXPECT_EQ(sentenceStarts("Oh dear, May we? Yes, Tom, Can you? Hi, Will\n"
                           "Dear Mr and Mrs Li Wang, May"),
            (Spellings{"Oh", "Yes", "Hi"}));
}

TEST(TextTokens, TheTokensThatStartALineAreListedInOrder) {
  TextTokens tokens(nullptr);
  tokens.run("Travel Notes\nRiding a bike,\n\nwe  rode.\r\nHome");
  EXPECT_EQ(tokens.lineStarts(), (std::vector<uint32_t>{0, 2, 5, 7}));
}

TEST(TextTokens, AWordAfterAnApostropheSIsMarkedSoAndFollowsNoWord) {
  TextTokens tokens(nullptr);
  tokens.run("Grandpa's will, Tom\u2019s can. it's, she'd go, Lucy's.\nMay");
  std::vector<std::pair<bool, bool>> marks;  // follows a word, follows an apostrophe's s
  for (const TextToken& token : tokens.tokens())
    marks.emplace_back(token.followsWord, token.followsPossessive);
  EXPECT_EQ(marks, (std::vector<std::pair<bool, bool>>{{false, false},
                                                       {false, true},
                                                       {false, false},
                                                       {false, true},
                                                       {false, false},
                                                       {false, false},
                                                       {false, false},
                                                       {false, false},
                                                       {false, false}}));
}

}  // namespace
