// Which of a token's readings the words around it leave. The word right before decides where it
// can: a determiner or adjective makes "left" the noun, "we" makes it leave's past and "will"
// makes "found" the verb found; after "had" a past is the verb's; after "he", a name or "the
// rich", "lives" is live's and "left" leave's. A modal's spelling is the modal only where no
// noun, name or month stands ("his will", "the tin can", "May spoke"). Where nothing before it
// decides (the start of a sentence, a list, a headline) every reading stays. A capitalised word
// that no headword stored with capitals answers to is part of a name, and gives nothing, after a
// title ("Mrs. White") or beside a capitalised word that no book teaches ("Lucy Brook", "Tom
// Baker"); so does a pronoun written in capitals as an abbreviation ("the US").
#pragma once

#include <cstddef>
#include <vector>

#include "extract/TextTokens.h"
#include "extract/TokenReadings.h"

// readingsInContext of a token that the words around it may decide: a capital that no headword
// answers to, a pronoun in capitals or a spelling of more than one reading.
Readings readingsDecidedInContext(const TextTokens& text,
                                  const std::vector<SpellingReadings>& readings, size_t i);

// The readings that token `i` of `text` keeps where it stands, none for a name; `readings` are
// the readings of the text's distinct spellings. Inline, since every token asks: most are none of
// those that the words around them decide, and take their readings here.
inline Readings readingsInContext(const TextTokens& text,
                                  const std::vector<SpellingReadings>& readings, size_t i) {
  const TextToken& token = text.tokens()[i];
  const SpellingReadings& spelling = readings[token.distinct];
  const Readings& all = token.startsSentence ? spelling.atStart : spelling.inSentence;
  if (!spelling.capitalNoWord && !spelling.pronounInCapitals && all.kind == Readings::Kind::kPlain)
    return all;
  return readingsDecidedInContext(text, readings, i);
}

// A given name in -ing that the text uses inside a sentence ("my desk mate Liming") is that name
// at a sentence's start too ("Liming asked"), and where its capital is one of form ("Shopping
// with Liming"), where alone it could be a verb's form (lime): marks such spellings in
// `readings`.
void markNamesInIngAtStart(const TextTokens& text, std::vector<SpellingReadings>& readings);
