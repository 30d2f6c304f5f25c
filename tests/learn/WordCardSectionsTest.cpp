// Stacking, folding and drawing the word card's sections on the shipped learn.db.
#include <algorithm>

#include "learn/CardSections.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/ViewRenderer.h"
#include "store/CallDB.h"
#include "tests/learn/ScreenFixture.h"
#include "tests/learn/WholeText.h"
#include "tests/platform/draw/InkBounds.h"

namespace {

using learntest::ScreenTest;

const plat::Color kTitleGreen = plat::Color::rgb(57 / 255.0, 156 / 255.0, 102 / 255.0);

double top(const plat::View& v) {
  return v.frame().y;
}
double bottom(const plat::View& v) {
  return v.frame().y + v.frame().height;
}

class WordCardLayout : public ScreenTest {
 protected:
  // Every section shown in `order` starts where the one before it ends (the mnemonic 5 points
  // lower), the first right under the box.
  void expectStacked(const BaseWordViewController& card, const std::vector<int>& order) {
    double cursor = bottom(*card.goodzjView());
    for (int code : order) {
      const auto& s = card.section(code);
      EXPECT_FALSE(s.header->isHidden()) << code;
      EXPECT_EQ(top(*s.header), code == 1 ? cursor + 5 : cursor) << code;
      EXPECT_EQ(top(*s.page), bottom(*s.header)) << code;
      cursor = bottom(*s.page);
    }
    EXPECT_EQ(card.beginPos(), cursor);
  }

  int syncFlagOf(const std::string& key) {
    plat::Value rows =
        CallDB::callDB()->sql_select("SELECT vc_uNeedSync FROM Var_Config WHERE vc_tVarName = ?",
                                     "n", "s", plat::Value::array({plat::Value(key)}));
    return rows.size() ? int(rows[size_t(0)].asInt()) : -1;
  }
};

TEST_F(WordCardLayout, SectionsStackAndAreDrawnInTheStoredOrderAndHiddenOnesStayHidden) {
  const std::vector<int> order = {6, 3, 1, 7, 8, 9, 2, 4, 5};
  setValue("review_list_sort", "16:13:11:17:18:19:12:14:15");
  CallDB::callDB()->saveNote("achieve", "a + chieve：一步一步地“达到”目标");
  auto card = pushCard("achieve");
  EXPECT_EQ(card->webViewNum(), 0);
  expectStacked(*card, order);

  // The whole scrolling page at once: the scroll view made as tall as its content.
  MyUIScrollView& page = *card->myScrollView();
  page.setFrame({0, 0, page.frame().width, page.contentSize().height});
  settle();
  auto picture = plat::ViewRenderer::renderView(page, 2);
  ASSERT_TRUE(picture);
  ASSERT_TRUE(picture->writePNG(::testing::TempDir() + "word_card_achieve.png"));
  for (int code : order) {
    const plat::Rect header = card->section(code).header->frame();
    EXPECT_TRUE(learntest::hasColour(*picture, {20, header.y + 8, 100, header.height - 16},
                                     kTitleGreen, 0.12))
        << "the title of section " << code << " is drawn";
    EXPECT_GT(card->section(code).page->frame().height, 1) << "expanded on the shipped flags";
    EXPECT_FALSE(card->section(code).page->displayedText().empty()) << code;
  }
  EXPECT_NE(card->section(1).page->displayedText().find("一步一步"), std::string::npos);
  EXPECT_EQ(card->section(7).toggle->currentTitle(), "近/反义词") << "named as on the order screen";

  // An empty value is the default order.
  setValue("review_list_sort", "");
  card->refreshView("achieve");
  settle();
  expectStacked(*card, {3, 1, 6, 7, 8, 9, 2, 4, 5});

  // Examples, then the English meaning; the mnemonic's entry hides it, the rest are not listed.
  setValue("review_list_sort", "13:1:16");
  card->refreshView("achieve");
  settle();
  expectStacked(*card, {3, 6});
  for (int code : {1, 2, 4, 5, 7, 8, 9}) {
    EXPECT_TRUE(card->section(code).header->isHidden()) << code;
    EXPECT_TRUE(card->section(code).page->isHidden()) << code;
  }
  // A code outside 1 to 9 is skipped.
  setValue("review_list_sort", "10:13:1x");
  card->refreshView("achieve");
  settle();
  expectStacked(*card, {3});
}

TEST_F(WordCardLayout, FoldingMovesEverySectionBelowByTheChangeAndStoresTheFlag) {
  setValue("review_list_sort", "19:13:11:16:17:18:12:14:15");
  auto card = pushCard("achieve");
  const auto& examples = card->section(3);
  const double expandedHeight = examples.page->frame().height;
  const double nineTop = top(*card->section(9).header);
  const double mnemonicTop = top(*card->section(1).header);
  const double writeTop = top(*card->downBtn());
  ASSERT_GT(expandedHeight, 20);

  examples.toggle->sendActions(plat::kTouchUpInside);
  const double delta = 1 - expandedHeight;
  EXPECT_EQ(examples.page->frame().height, 1);
  EXPECT_TRUE(
      examples.toggle->viewWithTag(BaseWordViewController::kArrowTag)->transform().isIdentity());
  EXPECT_EQ(top(*card->section(9).header), nineTop) << "above the folded page: stays";
  EXPECT_EQ(top(*card->section(1).header), mnemonicTop + delta);
  EXPECT_EQ(top(*card->downBtn()), writeTop + delta) << "the mnemonic's write button moves along";
  EXPECT_EQ(value("show_eg"), "0");
  EXPECT_EQ(syncFlagOf("show_eg"), 0) << "carried by the next backup";
  EXPECT_EQ(card->myScrollView()->contentSize().height,
            std::max(bottom(*card->section(5).page), card->myScrollView()->frame().height + 9));

  examples.toggle->sendActions(plat::kTouchUpInside);
  EXPECT_EQ(examples.page->frame().height, expandedHeight);
  EXPECT_EQ(top(*card->section(1).header), mnemonicTop);
  EXPECT_EQ(value("show_eg"), "1");

  // The mnemonic reads its state from its write button: folding hides it.
  card->section(1).toggle->sendActions(plat::kTouchUpInside);
  EXPECT_TRUE(card->downBtn()->isHidden());
  EXPECT_EQ(value("show_mnemonic"), "0");
}

TEST_F(WordCardLayout, FoldedSectionsTakeTheirHeaderAndOnePointAndAShortCardStillScrolls) {
  for (int code = 1; code <= 9; ++code) setValue(CardSections::info(code)->flagKey, "0");
  setValue("review_list_sort", "13:11");
  auto card = pushCard("achieve");
  for (int code : {3, 1}) EXPECT_EQ(card->section(code).page->frame().height, 1) << code;
  EXPECT_TRUE(card->downBtn()->isHidden());
  const auto* scroll = card->myScrollView();
  EXPECT_EQ(scroll->contentSize().height, scroll->frame().height + 9);
  // On a phone each toggle covers the left half of its header.
  EXPECT_EQ(card->section(5).toggle->frame().width, card->section(5).header->frame().width / 2);
}

TEST_F(WordCardLayout, TheHeadFollowsTheWordsTexts) {
  auto card = pushCard("achieve");
  EXPECT_EQ(card->wordBtn()->currentTitle(), "achieve");
  EXPECT_EQ(card->GetPhonetics(), card->PhoneticsBtn()->currentTitle());
  EXPECT_FALSE(card->MeaningLabel()->text().empty());
  EXPECT_EQ(top(*card->PhoneticsBtn()), bottom(*card->wordBtn()));
  EXPECT_GE(card->PhoneticsBtn()->frame().height, 25);
  EXPECT_EQ(top(*card->OtherMeaningLabel()), bottom(*card->MeaningLabel()));
  EXPECT_EQ(card->goodzjView()->frame().height, 0) << "no box outside the special book";
  // An empty word keeps what is shown.
  card->refreshView("");
  EXPECT_EQ(card->wordBtn()->currentTitle(), "achieve");
  EXPECT_EQ(card->GetPhonetics(), "");
}

// A long word with American and British transcriptions: both show whole, wrapped in the head.
TEST_F(WordCardLayout, ALongTranscriptionWrapsInsteadOfBeingCut) {
  auto card = pushCard("telecommunication");
  const std::string phonetics = card->GetPhonetics();
  ASSERT_NE(phonetics.find("英["), std::string::npos) << phonetics;
  EXPECT_TRUE(learntest::showsWholeTitle(*card->PhoneticsBtn())) << phonetics;
  EXPECT_TRUE(learntest::showsWholeTitle(*card->wordBtn()));
  write("card_long_transcription.png");
}

TEST_F(WordCardLayout, ScrolledToItsEndTheEmbeddedCardsLastLineClearsThePagingButtons) {
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

// A learner's note as the card draws it: the apostrophe a learner types shows as ’, narrow in
// English like the quotation marks there; quotation marks in Chinese keep their full width.
// Measured as how far the note's line reaches with and without the marks.
TEST_F(WordCardLayout, QuotationMarksInANoteAreNarrowInEnglishAndFullWidthInChinese) {
  setValue("review_list_sort", "11:13:16:17:18:19:12:14:15");
  auto card = pushCard("achieve");
  plat::WebView& note = *card->section(1).page;
  auto lineEnd = [&](const std::string& text, const std::string& png) {
    CallDB::callDB()->saveNote("achieve", text);
    card->refreshView("achieve");
    settle();
    auto picture = plat::ViewRenderer::renderView(note, 2);
    EXPECT_TRUE(picture && picture->writePNG(::testing::TempDir() + png));
    if (!picture) return 0.0;
    const auto ink = testsupport::inkBounds(*picture, picture->pixel(1, 1));
    return (ink.right + 1) / 2.0;
  };
  const plat::Font latin{"DejaVu Sans", 15};  // the note page's size
  const double english = lineEnd("don't say “never” again", "note_english_quotes.png") -
                         lineEnd("dont say never again", "note_english_plain.png");
  EXPECT_NEAR(english, plat::TextLayout("’“”", latin).exactWidth(), 1.5)
      << "no gap after the apostrophe of don’t nor inside the quotation marks";
  const double chinese = lineEnd("他说“你好”吗", "note_chinese_quotes.png") -
                         lineEnd("他说你好吗", "note_chinese_plain.png");
  EXPECT_NEAR(chinese, 2 * latin.size, 1) << "each mark one full width";
}

}  // namespace

// A word of many forms, same-form pasts among them: the inflection line shows them all, whole.
TEST_F(WordCardLayout, TheFormsLineShowsEveryFormWhole) {
  for (const char* word : {"light", "set"}) {
    auto card = pushCard(word);
    const plat::Label& forms = *card->OtherMeaningLabel();
    EXPECT_NE(forms.text().find("过去分词"), std::string::npos) << forms.text();
    EXPECT_TRUE(learntest::showsWholeText(forms)) << forms.text();
    write(std::string("card_forms_") + word + ".png");
  }
}
