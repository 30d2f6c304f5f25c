// The word card as its owners and the learner drive it: pronunciation timing, the plan button,
// paging, the held press and word extraction, and the note editors; the card's scroll view and
// image scaling.
#include "learn/CardScreens.h"
#include "learn/MyImage.h"
#include "learn/MyUIScrollView.h"
#include "platform/base/Bundle.h"
#include "platform/draw/ImageContext.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/learn/ScreenFixture.h"

namespace {

using learntest::ScreenTest;
using Spoken = std::vector<std::pair<std::string, bool>>;

class WordCardBehaviour : public ScreenTest {};

class CountingDelegate : public MyUIScrollViewDeleage {
 public:
  int presses = 0;
  void scrollviewClick_callback() override { ++presses; }
};

TEST_F(WordCardBehaviour, TheWordIsPronouncedOnceAfterAPauseAndOnlyWhileTheCardIsSeen) {
  setValue("autoAudio", "1");
  auto card = pushCard("achieve");
  EXPECT_TRUE(card->isPlay());
  EXPECT_TRUE(spoken_.empty()) << "not at once";
  host_->advance(0.29);
  EXPECT_TRUE(spoken_.empty());
  host_->advance(0.02);
  EXPECT_EQ(spoken_, (Spoken{{"achieve", false}})) << "without the missing-recording message";

  // A quick run of words pronounces only the last.
  spoken_.clear();
  card->refreshView("apple");
  host_->advance(0.1);
  card->refreshView("book");
  host_->advance(1);
  EXPECT_EQ(spoken_, (Spoken{{"book", false}}));

  // Off screen: neither a new word nor one pending is pronounced.
  spoken_.clear();
  card->refreshView("apple");
  app_->nav->popViewController(false);
  host_->runUntilIdle();
  EXPECT_FALSE(card->isPlay());
  card->refreshView("family");
  host_->advance(1);
  EXPECT_TRUE(spoken_.empty());

  // The sound button reports a missing recording.
  card->audio();
  EXPECT_EQ(spoken_, (Spoken{{"family", true}}));
}

TEST_F(WordCardBehaviour, ThePlanAndPagingButtonsAskTheOwnerAndAnOwnerlessCardDoesNothing) {
  auto card = pushCard("apple");  // the owner reports "2", not selected
  ASSERT_TRUE(host_->tap(card->downWordBtn()));
  ASSERT_TRUE(host_->tap(card->upWordBtn()));
  plat::Button* plan = card->planButton();
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->currentImage(), plat::Image::named("gui/checkbox_empty.png"));
  plan->sendActions(plat::kTouchUpInside);
  EXPECT_EQ(plan->currentImage(), plat::Image::named("gui/checkbox_full.png"));
  plan->sendActions(plat::kTouchUpInside);
  EXPECT_EQ(plan->currentImage(), plat::Image::named("gui/checkbox_empty.png"));
  EXPECT_EQ(owner_->calls,
            (std::vector<std::string>{"down", "up", "select apple YES", "select apple NO"}));

  // A planned word never tested can be removed: kind 2.
  CallDB::callDB()->InsertStudyWord("apple", int64_t(MyDate::localDateTime()));
  owner_->states["apple"] = "1";
  card->addRightItemBtn();
  EXPECT_EQ(card->planButton()->currentImage(), plat::Image::named("gui/del_words.png"));
  card->planButton()->sendActions(plat::kTouchUpInside);
  EXPECT_EQ(owner_->calls.back(), "delete apple 2");
  card->setDeleage(nullptr);
  card->upWord();
  card->downWord();
  card->learnWord(*card->planButton());
  EXPECT_EQ(card->wordName(), "apple");
  card->setDeleage(owner_.get());

  // The owner still says "planned" for a word the store no longer plans: a disabled button
  // without an image.
  owner_->states["book"] = "1";
  card->setWordName("book");
  card->addRightItemBtn();
  EXPECT_FALSE(card->planButton()->isEnabled());
  EXPECT_EQ(card->planButton()->currentImage(), nullptr);
}

TEST_F(WordCardBehaviour, AHeldPressOnTheEmbeddedCardOffersToExtractItsWords) {
  plat::Value listed;
  CardScreens::setWordListMaker([&](const std::string& nav, const std::string&,
                                    const plat::Value& words, const plat::Value&,
                                    const plat::Value&) {
    listed = words;
    auto screen = std::make_shared<BaseViewController>();
    screen->setTitle(nav);
    return screen;
  });
  auto card = embedCard();
  card->refreshView("achieve");
  settle();
  host_->longPress(card->MeaningLabel(), 0.5);
  EXPECT_EQ(host_->visibleActionSheet(), nullptr) << "too short";
  host_->longPress(card->MeaningLabel(), 0.7);
  ASSERT_TRUE(host_->visibleActionSheet());
  ASSERT_TRUE(host_->pressAlertButton("提取单词"));
  ASSERT_EQ(app_->nav->topViewController()->title(), "提取的单词");
  EXPECT_EQ(listed[size_t(0)].asString(), "achieve");
  EXPECT_GT(listed.size(), 1u) << "words of the examples and meanings too";

  // A card whose text holds no dictionary word says so and pushes nothing.
  app_->nav->popViewController(false);
  settle();
  card->refreshView("zzxq");
  settle();
  card->scrollviewClick_callback();
  ASSERT_TRUE(host_->pressAlertButton("提取单词"));
  EXPECT_EQ(app_->nav->topViewController(), owner_.get());
  EXPECT_TRUE(host_->findByText(plat::localized("alermsg_eg4", "InfoPlist")));

  // A card a word list pushed offers no extraction.
  auto pushed = pushCard("achieve");
  pushed->scrollviewClick_callback();
  EXPECT_EQ(host_->visibleActionSheet(), nullptr);
}

TEST_F(WordCardBehaviour, TheWriteButtonsOpenTheNoteEditorsAndTheCardShowsTheNoteOnReturn) {
  std::vector<std::string> opened;
  CardScreens::setNoteEditorMaker(
      [&](plat::ViewController*, const std::string& word, int type, const std::string& back) {
        opened.push_back(word + " " + std::to_string(type) + " " + back);
        return std::make_shared<BaseViewController>();
      });
  auto card = pushCard("achieve");
  ASSERT_TRUE(host_->tap(card->downBtn()));
  EXPECT_EQ(opened, (std::vector<std::string>{"achieve 1 " + card->title()}));
  EXPECT_FALSE(card->isPlay());
  CallDB::callDB()->saveNote("achieve", "a-chieve 一个 chief 首领");
  app_->nav->popViewController(false);
  settle();
  EXPECT_NE(card->section(1).page->displayedText().find("一个 chief 首领"), std::string::npos);
}

TEST_F(WordCardBehaviour, AFingerHeldStillIsOnePressAndAScrollingFingerNone) {
  auto scroll = std::make_shared<MyUIScrollView>(plat::Rect(0, 0, 320, 300));
  scroll->setContentSize({320, 900});
  owner_->view()->addSubview(scroll);
  CountingDelegate delegate;
  scroll->setDeleage(&delegate);
  settle();

  host_->longPress(scroll.get(), 0.5);
  EXPECT_EQ(delegate.presses, 0);
  host_->longPress(scroll.get(), 3);
  EXPECT_EQ(delegate.presses, 1) << "once per press";
  // A finger that scrolls the page is no press, however long it stays down.
  host_->swipe({160, 250}, {160, 120}, 10, 1.5);
  scroll->setDeleage(nullptr);
  host_->longPress(scroll.get(), 1);
  EXPECT_EQ(delegate.presses, 1);
}

TEST_F(WordCardBehaviour, ImagesScaleByWholeFactors) {
  plat::ImageContext context({10, 6}, true, 2);
  context.context().setFillColor(plat::Color::red());
  context.context().fillRect({0, 0, 10, 6});
  auto image = context.takeImage();
  EXPECT_EQ(MyImage::scaleToRatio(image, 1), image);
  auto twice = MyImage::scaleToRatio(image, 2);
  ASSERT_TRUE(twice);
  EXPECT_EQ(twice->size(), (plat::Size{20, 12}));
  EXPECT_NEAR(twice->colorAtPoint({19, 11}).r, 1, 0.01) << "the picture fills the new size";
}

}  // namespace
