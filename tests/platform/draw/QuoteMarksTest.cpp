// Curly quotation marks: from the Latin face in English text, full-width in Chinese text.
#include <gtest/gtest.h>

#include "platform/draw/QuoteMarks.h"
#include "platform/draw/TextLayout.h"

using namespace plat;

namespace {

// The marks of `text` drawn from the Latin face, as the text they cover.
std::vector<std::string> westernMarks(const std::string& text) {
  std::vector<std::string> marks;
  for (const ByteRange& range : westernQuoteMarks(text))
    marks.push_back(text.substr(range.start, range.end - range.start));
  return marks;
}

using Marks = std::vector<std::string>;

double advanceOf(const std::string& text, const Font& font) {
  return TextLayout(text, font).exactWidth();
}

}  // namespace

TEST(QuoteMarks, AMarkFollowsTheTextItQuotes) {
  EXPECT_EQ(westernMarks("don’t"), Marks{"’"});
  EXPECT_EQ(westernMarks("“word”"), (Marks{"“", "”"}));
  EXPECT_EQ(westernMarks("‘tis ‘rock ’n’ roll’"), (Marks{"‘", "‘", "’", "’", "’"}));
  EXPECT_EQ(westernMarks("“‘nested’”"), (Marks{"“‘", "’”"})) << "adjacent marks make one range";
  EXPECT_EQ(westernMarks("“Hi,” he said."), (Marks{"“", "”"}));
  EXPECT_EQ(westernMarks("l’été, “Привет”"), (Marks{"’", "“", "”"}));

  // Chinese text keeps its full-width marks, and so does an English word's when Chinese is quoted.
  EXPECT_TRUE(westernMarks("他说“你好”。").empty());
  EXPECT_TRUE(westernMarks("‘中文’ means Chinese").empty());
  EXPECT_TRUE(westernMarks("“2019”年").empty());
  // Chinese text quoting English: the marks go with the English they enclose.
  EXPECT_EQ(westernMarks("他说“hello”。"), (Marks{"“", "”"}));

  // A mark with nothing to go by stays as the system font draws it; a quoted number is Western.
  EXPECT_TRUE(westernMarks("“ ”").empty());
  EXPECT_TRUE(westernMarks("’").empty());
  EXPECT_EQ(westernMarks("in “2019” we"), (Marks{"“", "”"}));
  EXPECT_TRUE(westernMarks("plain 'ASCII' \"quotes\" and 引号").empty());
  // Malformed UTF-8 around a mark neither breaks the decoding nor counts as a letter.
  EXPECT_EQ(westernMarks("\xFF’s x\xE2\x80"), Marks{"’"});
  EXPECT_TRUE(westernMarks("\x80’\xC3").empty());
}

// What the reader sees: the apostrophe of "don’t" takes the Latin face's narrow advance, with no
// gap after it; in Chinese text the marks keep the CJK face's full-width advance; the line is as
// tall as without the mark.
TEST(QuoteMarks, EnglishTextMeasuresTheLatinAdvanceAndChineseTheFullWidth) {
  for (const Font& font : {Font::system(20), Font::boldSystem(20), Font::named("Helvetica", 20)}) {
    SCOPED_TRACE(font.family + (font.bold ? " bold" : ""));
    const double apostrophe = advanceOf("don’t", font) - advanceOf("dont", font);
    const Font latin{"DejaVu Sans", font.size, font.bold, font.italic};
    EXPECT_NEAR(apostrophe, advanceOf("’", latin), 0.5);
    EXPECT_LT(apostrophe, 0.4 * font.size);
    EXPECT_EQ(TextLayout("don’t", font).size().height, TextLayout("dont", font).size().height);
    EXPECT_EQ(TextLayout("don’t", font).unknownGlyphCount(), 0);

    const double quotes = advanceOf("说“你好”", font) - advanceOf("说你好", font);
    EXPECT_NEAR(quotes, 2 * font.size, 0.5) << "each mark one full width";
    const double englishQuotes = advanceOf("“word”", font) - advanceOf("word", font);
    EXPECT_NEAR(englishQuotes, advanceOf("“”", latin), 1);
  }
  // Wrapped and truncated text places the marks the same way.
  TextLayout::Options wrapped;
  wrapped.maxWidth = 400;
  EXPECT_NEAR(TextLayout("don’t", Font::system(20), wrapped).exactWidth(),
              advanceOf("don’t", Font::system(20)), 0.01);
}
