// The decoder's tokenizer: one pass over the input, strings validated as strict UTF-8 and decoded
// only when they hold escapes, numbers converted with range checks, precise error texts.
#pragma once

#include "json/JsonParseState.h"

// Skips spaces, tabs, newlines (counting lines) and, with the options, comments and Unicode
// newlines.
void jsonSkipWhitespace(JsonParseState& state);

// The one-byte token a byte stands for, or JsonTokenKindInvalid.
inline JsonTokenKind jsonPunctuation(unsigned char c) {
  switch (c) {
    case '{':
      return JsonTokenKindObjectBegin;
    case '}':
      return JsonTokenKindObjectEnd;
    case '[':
      return JsonTokenKindArrayBegin;
    case ']':
      return JsonTokenKindArrayEnd;
    case ':':
      return JsonTokenKindSeparator;
    case ',':
      return JsonTokenKindComma;
    default:
      return JsonTokenKindInvalid;
  }
}

inline void jsonSetPunctuation(JsonParseState& state, JsonTokenKind kind, size_t at) {
  state.token.kind = kind;
  state.token.text = state.input + at;
  state.token.textLength = 1;
  state.atIndex = at + 1;
}

// The token at or after byte `at`: everything but plain punctuation after plain white space.
bool jsonScanToken(JsonParseState& state, size_t at);

// Reads the next token into state.token and moves past it. On failure an error is recorded and
// false returned. Punctuation, the commonest token, is read here without a call.
inline bool jsonNextToken(JsonParseState& state) {
  const unsigned char* p = state.input;
  size_t n = state.length;
  size_t i = state.atIndex;
  for (; i < n; ++i) {
    unsigned char c = p[i];
    if (c == '\n') {
      ++state.lineNumber;
    } else if (c != ' ' && c != '\t') {
      if (JsonTokenKind kind = jsonPunctuation(c)) {
        jsonSetPunctuation(state, kind, i);
        return true;
      }
      break;
    }
  }
  return jsonScanToken(state, i);
}
