// Text is UTF-8 everywhere; lengths and indexes that the application counts in UTF-16 units (as
// the phone system's strings do) go through these helpers. Invalid bytes count as one U+FFFD
// each, so damaged text never throws and never loses its valid parts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plat::utf {

bool isValidUtf8(std::string_view text);
// Invalid sequences replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view text);

size_t utf16Length(std::string_view utf8);
// The UTF-16 index of a byte offset (an offset inside a character counts from its start).
size_t utf16IndexOfByte(std::string_view utf8, size_t byteOffset);
// The byte offset of a UTF-16 index; an index past the end gives the text's size, an index
// between the two halves of a surrogate pair gives the start of that character.
size_t byteOffsetOfUtf16(std::string_view utf8, size_t utf16Index);
// The characters from UTF-16 index `start`, `length` units long (clamped to the text).
std::string substringUtf16(std::string_view utf8, size_t start, size_t length);

std::u16string toUtf16(std::string_view utf8);
std::string fromUtf16(std::u16string_view utf16);  // lone surrogates become U+FFFD
std::string fromCodePoint(char32_t c);

std::string asciiLowercase(std::string_view text);  // only A-Z change
std::string asciiUppercase(std::string_view text);
// Lower case of Latin (with Latin-1 and Latin Extended-A), Greek, Cyrillic and full-width Latin
// letters; everything else, Chinese included, stays as it is.
std::string lowercase(std::string_view text);

// Decodes the character at `pos` and moves pos past it; U+FFFD for an invalid sequence.
char32_t decodeNext(std::string_view utf8, size_t& pos);

}  // namespace plat::utf
