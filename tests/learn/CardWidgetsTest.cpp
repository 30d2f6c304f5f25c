// The card's scroll view (the held press) and image scaling.
#include "learn/MyImage.h"
#include "learn/MyUIScrollView.h"
#include "platform/draw/ImageContext.h"
#include "tests/learn/CardFixture.h"

namespace {

using cardtest::CardTest;

class CountingDelegate : public MyUIScrollViewDeleage {
 public:
  int presses = 0;
  void scrollviewClick_callback() override { ++presses; }
};

class CardWidgets : public CardTest {};

TEST_F(CardWidgets, OnlyAFingerHeldStillForSevenTenthsOfASecondIsAPress) {
  auto scroll = std::make_shared<MyUIScrollView>(plat::Rect(0, 0, 320, 300));
  scroll->setContentSize({320, 900});
  owner_->view()->addSubview(scroll);
  CountingDelegate delegate;
  scroll->setDeleage(&delegate);
  settle();

  host_->longPress(scroll.get(), 0.5);
  EXPECT_EQ(delegate.presses, 0);
  host_->longPress(scroll.get(), 0.7);
  EXPECT_EQ(delegate.presses, 1);
  host_->longPress(scroll.get(), 3);
  EXPECT_EQ(delegate.presses, 2) << "once per press";
  // A finger that scrolls the page is no press, however long it stays down.
  host_->swipe({160, 250}, {160, 120}, 10, 1.5);
  EXPECT_EQ(delegate.presses, 2);

  scroll->setDeleage(nullptr);
  host_->longPress(scroll.get(), 1);
  EXPECT_EQ(delegate.presses, 2);
}

TEST_F(CardWidgets, ImagesScaleByWholeFactors) {
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
