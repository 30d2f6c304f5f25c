#include <gtest/gtest.h>

#include "platform/draw/ImageContext.h"
#include "platform/draw/TextLayout.h"
#include "tests/platform/draw/InkBounds.h"

using namespace plat;
using testsupport::inkBounds;

namespace {

// Draws `text` at (10, 10) in black on white and returns the ink box in points.
Rect drawnInk(const std::string& text, const Font& font, double scale, double wrapWidth = 0) {
  ImageContext image({400, 200}, true, scale);
  image.context().setFillColor(Color::black());
  if (wrapWidth > 0) {
    image.context().drawText(text, Rect(10, 10, wrapWidth, 180), font);
  } else {
    image.context().drawText(text, Point{10, 10}, font);
  }
  auto box = inkBounds(*image.image(), Color::white());
  return {box.left / scale, box.top / scale, box.width() / scale, box.height() / scale};
}

}  // namespace

TEST(TextLayout, MeasuredSizeHoldsWhatIsDrawnAtEveryScale) {
  Font font = Font::system(20);
  for (const std::string text : {"Hello world", "单词学习", "Mixed 中文 text", "Wy"}) {
    Size measured = measureText(text, font);
    for (double scale : {1.0, 2.0, 3.0}) {
      SCOPED_TRACE(text + " at scale " + std::to_string(scale));
      Rect ink = drawnInk(text, font, scale);
      ASSERT_GT(ink.width, 0);
      EXPECT_GE(ink.x, 10 - 1);
      EXPECT_LE(ink.maxX(), 10 + measured.width + 1);
      EXPECT_GE(ink.y, 10 - 1);
      EXPECT_LE(ink.maxY(), 10 + measured.height + 1);
      // The measure is the text's extent, not a generous guess.
      EXPECT_GT(ink.width, measured.width * 0.75);
      EXPECT_GT(ink.height, measured.height * 0.4);
    }
  }
}

TEST(TextLayout, WrappedTextStaysInsideItsLimitsAndMeasuresWholeLines) {
  Font font = Font::system(14);
  std::string text = "the quick brown fox jumps over the lazy dog again and again";
  Size oneLine = measureText(text, font);
  Size wrapped = measureText(text, font, {100, 20000});
  EXPECT_LE(wrapped.width, 100);
  EXPECT_GE(wrapped.height, 3 * std::floor(oneLine.height));

  Rect ink = drawnInk(text, font, 2, 100);
  EXPECT_LE(ink.maxX(), 10 + 100 + 1);
  EXPECT_LE(ink.maxY(), 10 + wrapped.height + 1);
  EXPECT_GT(ink.height, wrapped.height * 0.7);

  // Height and line limits keep whole lines.
  double line = measureText("x", font).height;
  Size twoLines = measureText(text, font, {60, 2 * line + 0.5});
  EXPECT_NEAR(twoLines.height, 2 * line, 1.01);

  TextLayout::Options options;
  options.maxWidth = 60;
  options.maxLines = 1;
  options.lineBreak = LineBreakMode::TruncateTail;
  TextLayout truncated(text, font, options);
  EXPECT_EQ(truncated.lineCount(), 1);
  EXPECT_LE(truncated.size().width, 60);

  // A constraint lower than one line still keeps one line rather than nothing.
  EXPECT_NEAR(measureText(text, font, {60, 3}).height, line, 1.01);
}

// A line broken inside a word breaks there and nowhere else: no hyphen is added, which in a
// phonetic transcription would read as part of it.
TEST(TextLayout, BreakingInsideAWordAddsNoHyphen) {
  const Font font = Font::system(16);
  const double letter = TextLayout("m", font).exactWidth();
  for (LineBreakMode mode : {LineBreakMode::CharWrap, LineBreakMode::WordWrap}) {
    TextLayout::Options options;
    options.maxWidth = 10.5 * letter;
    options.lineBreak = mode;
    const TextLayout wrapped(std::string(20, 'm'), font, options);
    EXPECT_EQ(wrapped.lineCount(), 2);
    EXPECT_NEAR(wrapped.exactWidth(), 10 * letter, 0.5) << "ten letters on the first line";
  }
}

TEST(TextLayout, NamedAndSystemFontsFindGlyphsForChineseAndLatinText) {
  EXPECT_EQ(TextLayout("背单词 vocabulary 复习中", Font::system(14)).unknownGlyphCount(), 0);
  EXPECT_EQ(TextLayout("学习中", Font::boldSystem(20)).unknownGlyphCount(), 0);
  EXPECT_EQ(TextLayout("其他相关词", Font::named("Helvetica", 13)).unknownGlyphCount(), 0);
  // A named font reads its style suffix.
  Font bold = Font::named("Helvetica-Bold", 13);
  EXPECT_EQ(bold.family, "Helvetica");
  EXPECT_TRUE(bold.bold);
  EXPECT_FALSE(bold.italic);
  Font plain = Font::named("Helvetica", 13);
  EXPECT_FALSE(plain.bold);
  EXPECT_GT(Font::system(14).lineHeight(), 14);
}
