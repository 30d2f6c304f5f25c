// One rich word's card drawn through the headless host, in a stored order that is not the
// default, written to a PNG of the whole scrolling page.
#include <algorithm>

#include "platform/view/ViewRenderer.h"
#include "store/CallDB.h"
#include "tests/learn/CardFixture.h"

namespace {

using cardtest::CardTest;

class WordCardPicture : public CardTest {};

// Whether some pixel of `area` has the colour of the section titles.
bool showsTitleGreen(const plat::Image& picture, const plat::Rect& area) {
  for (double y = area.y; y < area.y + area.height; y += 0.5) {
    for (double x = area.x; x < area.x + area.width; x += 0.5) {
      const plat::Color c = picture.colorAtPoint({x, y});
      if (std::abs(c.r - 57 / 255.0) < 0.12 && std::abs(c.g - 156 / 255.0) < 0.12 &&
          std::abs(c.b - 102 / 255.0) < 0.12)
        return true;
    }
  }
  return false;
}

TEST_F(WordCardPicture, ARichWordShowsItsSectionsInTheStoredOrder) {
  const std::vector<int> order = {6, 3, 1, 7, 8, 9, 2, 4, 5};
  setValue("review_list_sort", "16:13:11:17:18:19:12:14:15");
  CallDB::callDB()->saveNote("achieve", "a + chieve：一步一步地“达到”目标");
  auto card = pushCard("achieve");

  // The whole scrolling page at once: the scroll view made as tall as its content.
  MyUIScrollView& page = *card->myScrollView();
  const double contentHeight = page.contentSize().height;
  page.setFrame({0, 0, page.frame().width, contentHeight});
  settle();
  auto picture = plat::ViewRenderer::renderView(page, 2);
  ASSERT_TRUE(picture);
  const std::string path = ::testing::TempDir() + "word_card_achieve.png";
  ASSERT_TRUE(picture->writePNG(path));

  double previous = -1;
  for (int code : order) {
    const plat::Rect header = card->section(code).header->frame();
    EXPECT_GT(header.y, previous) << "section " << code << " follows the one before it";
    previous = header.y;
    EXPECT_TRUE(showsTitleGreen(*picture, {20, header.y + 8, 100, header.height - 16}))
        << "the title of section " << code << " is drawn";
    const auto& pageView = *card->section(code).page;
    EXPECT_FALSE(pageView.displayedText().empty()) << code;
  }
  EXPECT_NE(card->section(1).page->displayedText().find("一步一步"), std::string::npos);
}

TEST_F(WordCardPicture, ScrolledToItsEndTheEmbeddedCardsLastLineClearsThePagingButtons) {
  auto card = embedCard();
  card->refreshView("achieve");
  card->upWordBtn()->setHidden(false);
  card->downWordBtn()->setHidden(false);
  settle();
  MyUIScrollView& page = *card->myScrollView();
  host_->scroll(&page, 0, -20000);
  settle();
  ASSERT_GT(page.contentOffset().y, 0);

  double lowest = 0;
  for (const auto& child : page.subviews()) {
    if (!child->isHidden()) lowest = std::max(lowest, child->frame().y + child->frame().height);
  }
  const double shownBottom = page.frame().y + lowest - page.contentOffset().y;
  EXPECT_LE(shownBottom, card->upWordBtn()->frame().y);
  EXPECT_LE(shownBottom, card->downWordBtn()->frame().y);
  ASSERT_TRUE(host_->writeScreen(::testing::TempDir() + "word_card_scrolled_to_end.png"));
}

}  // namespace
