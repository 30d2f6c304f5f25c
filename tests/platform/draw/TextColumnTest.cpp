// A long text laid out paragraph by paragraph: as tall as the same text laid out whole, changed
// where it was edited, and drawn only where asked.
#include "platform/draw/TextColumn.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/draw/ImageContext.h"
#include "tests/platform/draw/InkBounds.h"

using namespace plat;

namespace {

TextLayout::Options wrappedAt(double width) {
  TextLayout::Options options;
  options.maxWidth = width;
  return options;
}

std::string paragraphs(int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += "Paragraph " + std::to_string(i) + " runs over more than one line of the column.\n";
  return text;
}

TEST(TextColumn, ItIsAsTallAsTheWholeLayoutAndFollowsEditsAtEitherEnd) {
  const Font font = Font::system(16);
  const std::string text = paragraphs(40) + "\n中文的段落也一样。";
  TextColumn column;
  column.update(text, font, wrappedAt(280));
  EXPECT_EQ(column.height(), TextLayout(text, font, wrappedAt(280)).size().height);

  // Typing at the end, a new first line, a break at the end (an empty last line that counts),
  // nothing at all (one line), another width.
  for (const std::string& edited :
       {text + " More.", "Title\n" + text, text + "\n", std::string(), text}) {
    column.update(edited, font, wrappedAt(280));
    const std::string measured = edited.empty() || edited.back() == '\n' ? edited + " " : edited;
    EXPECT_EQ(column.height(), TextLayout(measured, font, wrappedAt(280)).size().height)
        << edited.size();
  }
  column.update(text, font, wrappedAt(140));
  EXPECT_EQ(column.height(), TextLayout(text, font, wrappedAt(140)).size().height);
  const Rect caret = column.caretAtEnd();
  EXPECT_NEAR(caret.y + caret.height, column.height(), 1);
}

TEST(TextColumn, OnlyTheLinesInTheAskedRangeAreDrawn) {
  const Font font = Font::system(16);
  TextColumn column;
  column.update(paragraphs(200), font, wrappedAt(280));
  ASSERT_GT(column.height(), 2000);
  ImageContext image({300, 200}, true, 1);
  image.context().setFillColor(Color::black());
  // The lines from 1000 points down drawn from the top of the picture, the picture's height.
  column.draw(image.context(), {10, -1000}, 1000, 1100);
  const auto ink = testsupport::inkBounds(*image.image(), Color::white());
  ASSERT_GT(ink.width(), 0);
  EXPECT_LT(ink.top, 20) << "the range's first line starts at the top";
  EXPECT_LT(ink.top + ink.height(), 100 + font.lineHeight() + 1) << "nothing below the range";
}

}  // namespace
