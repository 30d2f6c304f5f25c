// The base screen under the green navigation bar, and the shared widgets.
#include <memory>
#include <string>
#include <vector>

#include "platform/draw/ImageContext.h"
#include "platform/view/NavigationBar.h"
#include "platform/view/ViewRenderer.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/support/Contrast.h"
#include "tests/ui/UiHost.h"
#include "ui/MyCustomNavBar.h"
#include "ui/MyInsetsLabel.h"
#include "ui/MyTabbarView.h"
#include "ui/MyTextField.h"
#include "ui/MyTextView.h"

using namespace plat;

namespace {

class Recorder : public MyTabbarDeleage {
 public:
  std::vector<int> selected;
  void selectTabBtn(int index) override { selected.push_back(index); }
};

class Widgets : public uitest::UiTest {
 protected:
  void TearDown() override {
    NavigationBar::setDefaultTintColor(Color::rgb255(0, 122, 255));
    NavigationBar::setDefaultBackgroundImage(nullptr);
    UiTest::TearDown();
  }
  void SetUp() override {
    UiTest::SetUp();
    strip_ = std::make_shared<MyTabbarView>(Rect{0, 0, 320, 40});
    strip_->setDeleage(&recorder_);
    strip_->setNormalImage(testsupport::solidImage({21, 21}, Color::white(), 2));
    strip_->setSelectImage(testsupport::solidImage({23, 23}, Color::red(), 2));
    app_->root->view()->addSubview(strip_);
  }
  Button& tab(int index) { return *dynamic_cast<Button*>(strip_->viewWithTag(200 + index)); }
  Label& line(int index, int tag) { return *dynamic_cast<Label*>(tab(index).viewWithTag(tag)); }
  bool looksSelected(int index) {
    return tab(index).backgroundImageForState(kStateNormal)->size().width == 23;
  }

  Recorder recorder_;
  std::shared_ptr<MyTabbarView> strip_;
};

}  // namespace

TEST_F(Widgets, TabsShareTheStripsWidthAndShowTheirLines) {
  strip_->addBtn({{"全部", "120"}, {"未学", "80"}, {"已学"}}, 70);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(tab(i).frame().width, tab(0).frame().width);
    EXPECT_LT(tab(i).frame().maxX(), i < 2 ? tab(i + 1).frame().x : 320) << "gaps between tabs";
  }
  EXPECT_GT(tab(0).frame().x, 0);
  EXPECT_LT(line(0, 101).frame().maxY(), line(0, 102).frame().maxY()) << "the count below";
  EXPECT_EQ(line(0, 102).text(), "120");
  EXPECT_EQ(tab(2).viewWithTag(102), nullptr);
  EXPECT_TRUE(looksSelected(0)) << "the first is selected";
}

TEST_F(Widgets, TappingAnotherTabSelectsItThenTellsTheDelegate) {
  strip_->addBtn({{"认识"}, {"模糊"}, {"忘记"}, {"顽固"}}, 60);
  host_->runUntilIdle();
  ASSERT_TRUE(host_->tap(&tab(2)));
  EXPECT_EQ(recorder_.selected, (std::vector<int>{2}));
  EXPECT_EQ(strip_->selectedIndex(), 2);
  EXPECT_TRUE(looksSelected(2));
  EXPECT_FALSE(looksSelected(0));

  auto before = tab(2).backgroundImageForState(kStateNormal);
  ASSERT_TRUE(host_->tap(&tab(2)));
  EXPECT_EQ(recorder_.selected, (std::vector<int>{2})) << "the selected tab is quiet";
  EXPECT_EQ(tab(2).backgroundImageForState(kStateNormal), before);

  strip_->selectBtn(7);
  EXPECT_EQ(strip_->selectedIndex(), 2);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(looksSelected(i));
  EXPECT_EQ(recorder_.selected.size(), 1u) << "selectBtn does not tell the delegate";

  strip_->setDeleage(nullptr);
  ASSERT_TRUE(host_->tap(&tab(1)));
  EXPECT_EQ(strip_->selectedIndex(), 1);
}

TEST_F(Widgets, TabTitlesAndColoursChangeOnlyTheLinesATabHas) {
  strip_->addBtn({{"认识", "12"}, {"模糊"}}, 60);
  strip_->changeBtnName(0, {"认识了", "13"});
  EXPECT_EQ(line(0, 101).text(), "认识了");
  EXPECT_EQ(line(0, 102).text(), "13");
  strip_->changeBtnName(1, {"不清楚", "5"});
  EXPECT_EQ(line(1, 101).text(), "不清楚");
  EXPECT_EQ(tab(1).viewWithTag(102), nullptr);
  strip_->changeBtnName(0, {"认识"});
  EXPECT_EQ(line(0, 102).text(), "13");

  strip_->changeBtnColor(0, Color::red());
  EXPECT_EQ(line(0, 102).textColor(), Color::red()) << "the count takes the colour";
  strip_->changeBtnName(9, {"x"});  // no such tab: nothing happens
}

TEST_F(Widgets, ATextViewShowsItsPlaceholderOnlyWhileEmpty) {
  auto note = std::make_shared<MyTextView>(Rect{10, 200, 300, 100});
  note->setPlaceholder("写下你的助记");
  app_->root->view()->addSubview(note);
  host_->advance(0.1);
  auto* label = dynamic_cast<Label*>(note->viewWithTag(999));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->alpha(), 1);
  EXPECT_EQ(label->text(), "写下你的助记");
  EXPECT_EQ(note->subviews().front().get(), label) << "behind the text";

  ASSERT_TRUE(host_->tap(note.get()));
  ASSERT_TRUE(host_->type("mnemonic"));
  EXPECT_EQ(label->alpha(), 0);
  for (int i = 0; i < 8; ++i) host_->deleteBackward();
  EXPECT_EQ(label->alpha(), 1);

  // Text set in code posts nothing: the label follows on textChange, and drawing shows it for an
  // empty text.
  note->setText("abandon");
  note->textChange();
  EXPECT_EQ(label->alpha(), 0);
  note->setText("");
  note->setNeedsDisplay();
  host_->advance(0.1);
  EXPECT_EQ(label->alpha(), 1);
}

// A text field keeps its text 5 points in from its sides, editing or not; an insets label inside
// its insets.
TEST_F(Widgets, TextsAreDrawnInsideTheirInsets) {
  auto field = std::make_shared<MyTextField>(Rect{20, 300, 200, 30});
  field->setText("III");
  MyInsetsLabel label(Rect{0, 0, 200, 30}, EdgeInsets{0, 60, 0, 10});
  label.setText("word");
  auto inkLeft = [](View& view) {
    ImageContext context({200, 30}, true, 2);
    ViewRenderer::drawContentOnly(view, context.context());
    return testsupport::inkBounds(*context.takeImage(), Color::white()).left / 2.0;
  };
  EXPECT_GE(inkLeft(*field), 5);
  EXPECT_LE(inkLeft(*field), 7);
  EXPECT_GE(inkLeft(label), 60);
  EXPECT_LE(inkLeft(label), 62);
  app_->root->view()->addSubview(field);
  ASSERT_TRUE(host_->tap(field.get()));
  ASSERT_TRUE(field->isEditing());
  EXPECT_GE(inkLeft(*field), 5);
}

TEST_F(Widgets, TheBackButtonOnTheGreenSkinIsLegible) {
  MyCustomNavBar::install();
  NavigationBar bar({0, 0, 320, 44});
  auto skin = Image::named(MyCustomNavBar::kImageName);
  ASSERT_TRUE(skin);
  const Color green = skin->colorAtPoint({skin->size().width / 2, skin->size().height / 2});
  EXPECT_GE(testsupport::contrast(bar.tintColor(), green), 3.0);
}

TEST_F(Widgets, ABaseScreenStartsBelowTheNavigationBar) {
  EXPECT_EQ(app_->root->edgesForExtendedLayout(), kRectEdgeNone);
  EXPECT_FALSE(app_->root->extendedLayoutIncludesOpaqueBars());
  Rect frame = app_->root->view()->convertRectTo(app_->root->view()->bounds(), nullptr);
  EXPECT_EQ(frame.y, 64);

  auto plain = std::make_shared<ViewController>();
  app_->nav->pushViewController(plain, false);
  host_->runUntilIdle();
  EXPECT_EQ(plain->view()->convertRectTo(plain->view()->bounds(), nullptr).y, 0)
      << "a plain screen runs under the bar";
}

TEST_F(Widgets, EveryNavigationBarDrawsTheSkin) {
  auto skin = Image::named("gui/nav.png");
  ASSERT_TRUE(skin) << "drawn into the bundle by the build";
  MyCustomNavBar::install();
  app_->nav->navigationBar().setNeedsDisplay();
  host_->runUntilIdle();
  auto screen = host_->renderScreen();
  ASSERT_TRUE(screen);
  // Away from the title, the bar shows the skin's own green.
  Color expected = skin->colorAtPoint({20, 22});
  EXPECT_FALSE(testsupport::differs(screen->colorAtPoint({20, 20 + 22}), expected, 0.08));
  EXPECT_TRUE(testsupport::differs(screen->colorAtPoint({20, 42}), Color::white(0.97), 0.1));
}
