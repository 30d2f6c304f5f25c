#include <gtest/gtest.h>

#include "platform/base/Charset.h"
#include "platform/base/PrintableText.h"
#include "platform/base/Utf.h"

namespace utf = plat::utf;
namespace charset = plat::charset;

TEST(Utf, LengthsIndexesCaseAndValidationOfDamagedText) {
  const std::string text = "a中😀b";  // 1 + 3 + 4 + 1 bytes; 1 + 1 + 2 + 1 units
  EXPECT_EQ(utf::utf16Length(text), 5u);
  EXPECT_EQ(utf::byteOffsetOfUtf16(text, 2), 4u);
  EXPECT_EQ(utf::byteOffsetOfUtf16(text, 3), 4u);  // inside the pair: the character's start
  EXPECT_EQ(utf::byteOffsetOfUtf16(text, 4), 8u);
  EXPECT_EQ(utf::byteOffsetOfUtf16(text, 99), text.size());
  EXPECT_EQ(utf::utf16IndexOfByte(text, 5), 2u);
  EXPECT_EQ(utf::utf16IndexOfByte(text, 8), 4u);
  EXPECT_EQ(utf::utf16IndexOfByte(text, 99), 5u);
  EXPECT_EQ(utf::substringUtf16(text, 1, 3), "中😀");
  EXPECT_EQ(utf::substringUtf16(text, 4, 100), "b");
  EXPECT_EQ(utf::fromUtf16(utf::toUtf16(text)), text);
  EXPECT_EQ(utf::fromUtf16(u"x\xD800y"), "x\xEF\xBF\xBDy");  // lone surrogate

  EXPECT_TRUE(utf::isValidUtf8("plain 中文"));
  for (const char* bad :
       {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xB8", "\x80", "\xFF"})
    EXPECT_FALSE(utf::isValidUtf8(bad)) << bad;
  EXPECT_EQ(utf::utf16Length("a\xFF"
                             "b"),
            3u);  // each bad byte is one unit
  EXPECT_EQ(utf::sanitizeUtf8("a\xE4\xB8"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(utf::lowercase("A\xFF"), "a\xFF");  // damaged bytes pass through unchanged

  EXPECT_EQ(utf::asciiLowercase("Apple ÄB"), "apple Äb");
  EXPECT_EQ(utf::asciiUppercase("apple äb"), "APPLE äB");
  EXPECT_EQ(utf::lowercase("Apple ÄÖÜ ÉCOLE Ÿ Łódź ΣΟΦΙΑ МОСКВА Ё ＡＢＣ 中文"),
            "apple äöü école ÿ łódź σοφια москва ё ａｂｃ 中文");
  EXPECT_EQ(utf::lowercase("×"), "×");  // the multiplication sign sits among the capitals
}

TEST(PrintableText, ControlsAndDamagedBytesAreEscapedTextStaysAsItIs) {
  // An escape sequence that would clear the screen and retitle the window prints as letters.
  EXPECT_EQ(plat::printableText("bus\x1b[2J\x1b]0;owned\x07 down"),
            "bus\\e[2J\\e]0;owned\\x07 down");
  EXPECT_EQ(plat::printableText("a\r\nb\tc\x7f"), "a\\r\\nb\\tc\\x7f");
  EXPECT_EQ(plat::printableText(std::string("a\0b", 3)), "a\\x00b");
  // The one-byte CSI of 8-bit terminals: as a character (C2 9B) and as a lone byte.
  EXPECT_EQ(plat::printableText("\xC2\x9Bm|\x9Bm"), "\\u009bm|\\x9bm");
  EXPECT_EQ(plat::printableText("C:\\x1b"), "C:\\\\x1b") << "a typed backslash reads as one";
  EXPECT_EQ(plat::printableText("端口 8080 ü \xEF\xBF\xBD"), "端口 8080 ü \xEF\xBF\xBD");
}

// The conversion itself is the library's: ours are the names, failures and long inputs.
TEST(Charset, ConvertsByNameAndRefusesInvalidInput) {
  EXPECT_EQ(charset::fromUtf8("café", "iso-8859-1"), "caf\xE9");
  EXPECT_EQ(charset::fromUtf8("中", charset::kLatin1), std::nullopt);
  EXPECT_EQ(charset::fromUtf8("中文😀", "gb18030").value_or(""), "\xD6\xD0\xCE\xC4\x94\x39\xFC\x36");
  EXPECT_EQ(charset::toUtf8("\xD6", charset::kGb18030), std::nullopt);  // cut in half
  EXPECT_EQ(charset::toUtf8("ok \xFF", "utf-8"), std::nullopt);
  EXPECT_EQ(charset::toUtf8("ok", "no-such-charset"), std::nullopt);
  std::string big(300000, 'x');
  EXPECT_EQ(charset::toUtf8(big + "\xE9", charset::kLatin1)->size(), big.size() + 2);
}
