// The decoder's tokenizer: one pass over the input, strings validated as strict UTF-8 and decoded
// only when they hold escapes, numbers converted with range checks, precise error texts.
#pragma once

#include "json/JsonParseState.h"

// Skips spaces, tabs, newlines (counting lines) and, with the options, comments and Unicode
// newlines.
void jsonSkipWhitespace(JsonParseState& state);

// Reads the next token into state.token and moves past it. On failure an error is recorded and
// false returned.
bool jsonNextToken(JsonParseState& state);
