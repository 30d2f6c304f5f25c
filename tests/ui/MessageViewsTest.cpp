// The shared message bubble and progress panel: where they live, fade and hold, and what they show.
#include <string>
#include <vector>

#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/view/AlertView.h"
#include "platform/view/Application.h"
#include "platform/view/Screen.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/support/TempHome.h"
#include "tests/ui/UiHost.h"
#include "ui/MyAlerView.h"
#include "ui/MyListAlerView.h"

using namespace plat;

namespace {

class Bubble : public uitest::UiTest {
 protected:
  MyAlerView& bubble() { return *MyAlerView::sharedAler(); }
  Label& label() { return *dynamic_cast<Label*>(bubble().viewWithTag(MyAlerView::kLabelTag)); }
  View& image() { return *bubble().viewWithTag(MyAlerView::kImageTag); }
};

class Panel : public uitest::UiTest {
 protected:
  MyListAlerView& panel() { return *MyListAlerView::sharedAler(); }
  View* row(int index) { return panel().dataView()->viewWithTag(100 + index); }
  std::string value(int index) { return dynamic_cast<Label*>(row(index)->viewWithTag(2))->text(); }
  std::string title(int index) { return dynamic_cast<Label*>(row(index)->viewWithTag(1))->text(); }
};

}  // namespace

TEST_F(Bubble, LivesOnceInTheKeyWindowsRootViewAndCoversTheScreen) {
  auto first = MyAlerView::sharedAler();
  EXPECT_EQ(first->superview(), &rootView());
  EXPECT_EQ(first->alpha(), 0);

  // A login window made key takes the messages shown while it is up.
  auto login = std::make_shared<Window>();
  login->setWindowLevel(kWindowLevelNormal + 1);
  login->setRootViewController(std::make_shared<ViewController>());
  login->makeKeyAndVisible();
  auto there = MyAlerView::sharedAler();
  EXPECT_NE(there, first);
  EXPECT_EQ(there->superview(), login->rootViewController()->view().get());
  there->ViewShow("请先登录");
  EXPECT_EQ(there->window(), login.get());
  EXPECT_EQ(there->viewWithTag(MyAlerView::kLabelTag)->displayedText(), "请先登录");
  EXPECT_EQ(first->viewWithTag(MyAlerView::kLabelTag)->displayedText(), "");
}

TEST_F(Bubble, OverAPresentedScreenTheBubbleShowsOnTopOfIt) {
  auto sheet = std::make_shared<ViewController>();
  sheet->view()->setBackgroundColor(Color::rgb(0.1, 0.2, 0.6));
  app_->nav->presentViewController(sheet, false);
  host_->advance(1);
  // A view the sheet adds after the bubble was made does not cover it either.
  MyAlerView::sharedAler();
  auto cover = std::make_shared<View>(Rect{0, 0, 320, 568});
  cover->setBackgroundColor(Color::rgb(0.6, 0.1, 0.1));
  sheet->view()->addSubview(cover);

  bubble().ViewShow("单词已加入学习计划");
  host_->advance(0.5);
  EXPECT_EQ(bubble().superview(), sheet->view().get());
  EXPECT_EQ(host_->findByText("单词已加入学习计划"), &label());
  host_->advance(0.5);
  auto screen = host_->renderScreen();
  ASSERT_TRUE(screen);
  // The box's near-white face at the sides of the text, untinted by the red under it, its text
  // in the middle.
  EXPECT_FALSE(testsupport::differs(screen->colorAtPoint({50, 250}), Color::white(0.96), 0.01));
  auto ink = testsupport::inkBounds(*screen, Color::white(0.96), 45 * 2, 250 * 2, 275 * 2, 318 * 2);
  EXPECT_FALSE(ink.empty());
  EXPECT_GT(ink.left, 60 * 2);
  EXPECT_LT(ink.right, 260 * 2);
  EXPECT_TRUE(host_->writeScreen(::testing::TempDir() + "bubble_over_sheet.png"));
}

TEST_F(Bubble, OnATabletHeldSidewaysTheBubbleTakesTheTurnedScreen) {
  Screen::main().configure({768, 1024}, 2, UserInterfaceIdiom::Pad);
  Application::shared().setStatusBarOrientation(InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(MyAlerView::sharedAler()->frame(), (Rect{0, 0, 1024, 768}));
  Screen::main().reset();
}

// The window host turns the screen's bounds along with the status bar: the bubble made then
// covers the turned screen as it stands, and its box is in the middle of it.
TEST_F(Bubble, OnATabletTurnedByTheHostTheBubbleIsInTheMiddleOfTheTurnedScreen) {
  Screen::main().configure({1024, 768}, 2, UserInterfaceIdiom::Pad);
  Application::shared().setStatusBarOrientation(InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(MyAlerView::sharedAler()->frame(), (Rect{0, 0, 1024, 768}));
  bubble().ViewShow("没能打开这个地址");
  EXPECT_EQ(image().center(), (Point{512, 384}));
  Application::shared().setStatusBarOrientation(InterfaceOrientation::Portrait);
  Screen::main().reset();
}

TEST_F(Bubble, AShortTextFadesInStaysForItsLengthAndFadesOut) {
  bubble().ViewShow("abcdefghij");  // 10 characters stay 1.5 s
  EXPECT_DOUBLE_EQ(bubble().delay(), 1.5);
  EXPECT_EQ(label().text(), "abcdefghij");

  host_->advance(0.35);
  EXPECT_GT(shownAlpha(bubble()), 0.1);
  EXPECT_LT(shownAlpha(bubble()), 0.9);
  host_->advance(0.35 + 1.45);
  EXPECT_DOUBLE_EQ(shownAlpha(bubble()), 1) << "held";
  host_->advance(0.05 + 0.35);
  EXPECT_LT(shownAlpha(bubble()), 0.9) << "fading out";
  EXPECT_NE(host_->findByText("abcdefghij"), nullptr) << "still to be seen, so still found";
  host_->advance(0.4);
  EXPECT_DOUBLE_EQ(shownAlpha(bubble()), 0);
  EXPECT_FALSE(Animation::isAnimating(bubble()));
}

TEST_F(Bubble, ALongTextGrowsTheBubble) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "网络连接失败，请稍后再试。";
  bubble().ViewShow(text);
  EXPECT_GT(image().frame().height, measureText(text, Font::system(14), {230, 20000}).height);
  EXPECT_DOUBLE_EQ(image().center().y, 284) << "centred";
}

TEST_F(Bubble, NothingOrAnEmptyTextLeavesTheShownMessageAlone) {
  bubble().ViewShow("已保存");
  host_->advance(1);
  bubble().ViewShow("");
  EXPECT_EQ(label().text(), "已保存");
  EXPECT_DOUBLE_EQ(shownAlpha(bubble()), 1);
  EXPECT_EQ(host_->visibleAlert(), nullptr);
}

TEST_F(Bubble, AnAtSignSendsTheTextToAStandardAlert) {
  bubble().ViewShow("@备份失败，请重试");
  AlertView* alert = host_->visibleAlert();
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->message(), "备份失败，请重试");
  EXPECT_EQ(bubble().alpha(), 0) << "the bubble is not touched";
  EXPECT_TRUE(host_->pressAlertButton("确定"));
}

TEST_F(Bubble, TheNewestTextReplacesTheOneOnScreenWithItsOwnHoldTime) {
  bubble().ViewShow("第一条消息，很长很长很长很长很长很长很长");
  host_->advance(0.3);  // still fading in
  bubble().ViewShow("第二条");
  EXPECT_EQ(label().text(), "第二条");
  EXPECT_FLOAT_EQ(bubble().delay(), 0.59f);
  host_->advance(0.7);
  EXPECT_DOUBLE_EQ(shownAlpha(bubble()), 1) << "the cut-off fade-in does not hide the new text";
  host_->advance(0.55);
  EXPECT_DOUBLE_EQ(shownAlpha(bubble()), 1);
  host_->advance(0.8);
  EXPECT_DOUBLE_EQ(shownAlpha(bubble()), 0);

  // While a text is held, a new one starts from hidden and gets its full time.
  bubble().ViewShow("abcdefghij");
  host_->advance(1.0);
  bubble().ViewShow("0123456789");
  EXPECT_DOUBLE_EQ(shownAlpha(bubble()), 0);
  host_->advance(0.7 + 1.45);
  EXPECT_DOUBLE_EQ(shownAlpha(bubble()), 1);
  EXPECT_EQ(label().text(), "0123456789");
}

// Only exact error texts are replaced, a missing replacement shows the original, not its key; a
// replaced text is held for the original's length, and a hold counts UTF-16 units.
TEST_F(Bubble, NetworkErrorTextsAreReplacedAndOtherTextsPass) {
  EXPECT_EQ(MyAlerView::netError("The request timed out"), localized("alermsg_eg31"));
  EXPECT_NE(localized("alermsg_eg31"), "alermsg_eg31");
  bubble().ViewShow("The request timed out");
  EXPECT_EQ(label().text(), localized("alermsg_eg31"));
  EXPECT_FLOAT_EQ(bubble().delay(), MyAlerView::holdSeconds("The request timed out"));
  EXPECT_FLOAT_EQ(MyAlerView::holdSeconds("😀"), MyAlerView::holdSeconds("ab"));
  EXPECT_EQ(MyAlerView::netError("A connection failure occurred: SSL problem"),
            "A connection failure occurred: SSL problem");
  EXPECT_EQ(MyAlerView::netError("保存成功"), "保存成功");

  std::string dir = testsupport::makeTempDir("vocab-ui-bundle");
  ASSERT_TRUE(files::writeFileAtomically(dir + "/InfoPlist.strings", "\"other\" = \"x\";\n"));
  std::string previous = Bundle::main().path();
  Bundle::setMainPath(dir);
  EXPECT_EQ(MyAlerView::netError("The request timed out"), "The request timed out");
  EXPECT_EQ(MyAlerView::netError("The request was cancelled"), "请求被撤销");
  Bundle::setMainPath(previous);
  files::remove(dir);
}

TEST_F(Panel, ABoxOfRowsIsBuiltHiddenAndCentred) {
  EXPECT_EQ(panel().superview(), &rootView());
  panel().initShowList({"上传数据", "下载数据", "恢复数据"});
  EXPECT_EQ(panel().alpha(), 0) << "a new list does not show the panel";
  const Rect box = panel().dataView()->frame();
  EXPECT_DOUBLE_EQ(box.y + box.height / 2, 284);
  for (int i = 0; i < 3; ++i) {
    EXPECT_LT(row(i)->frame().maxY(), box.height);
    EXPECT_EQ(value(i), "");
  }
  EXPECT_EQ(title(1), "下载数据");

  panel().initShowList({"下载", "下载"});
  EXPECT_EQ(host_->findByText("上传数据"), nullptr) << "the old box is gone";
  panel().AlerListChange("下载", "80%");
  EXPECT_EQ(value(0), "") << "a repeated title maps to its last row";
  EXPECT_EQ(value(1), "80%");
}

TEST_F(Panel, AValueShowsThePanelAndLandsInItsRow) {
  panel().initShowList({"解析文本", "提取单词"});
  panel().AlerListChange("提取单词", "35%");
  EXPECT_EQ(value(1), "35%");
  host_->advance(0.35);
  EXPECT_GT(shownAlpha(panel()), 0.1);
  EXPECT_LT(shownAlpha(panel()), 0.9);
  host_->advance(0.4);
  EXPECT_DOUBLE_EQ(shownAlpha(panel()), 1);
  panel().AlerListChange("提取单词", "100%");
  EXPECT_DOUBLE_EQ(shownAlpha(panel()), 1) << "no second fade";
  EXPECT_NE(host_->findByText("100%"), nullptr);
}

TEST_F(Panel, ValuesWithoutAListOrForAnUnknownTitleHideThePanel) {
  panel().AlerListChange("上传数据", "10%");
  EXPECT_DOUBLE_EQ(shownAlpha(panel()), 0);

  panel().initShowList({"上传数据"});
  panel().AlerListChange("上传数据", "10%");
  host_->advance(1);
  panel().AlerListChange("下载数据", "20%");
  EXPECT_DOUBLE_EQ(shownAlpha(panel()), 0);
  EXPECT_EQ(value(0), "10%");

  panel().AlerListChange("上传数据", "50%");
  panel().AlerListHide(false);
  EXPECT_FALSE(panel().showList().has_value());
  EXPECT_DOUBLE_EQ(shownAlpha(panel()), 0) << "hidden at once, even while fading in";
  panel().AlerListChange("上传数据", "60%");
  EXPECT_EQ(value(0), "50%");
  EXPECT_EQ(panel().alpha(), 0);
}

TEST_F(Panel, AnAnimatedHideWaitsThenFadesUnlessANewListComes) {
  panel().initShowList({"备份"});
  panel().AlerListChange("备份", "100%");
  host_->advance(1);
  panel().AlerListHide(true);
  EXPECT_FALSE(panel().showList().has_value()) << "the list is forgotten at once";
  host_->advance(1.4);
  EXPECT_DOUBLE_EQ(shownAlpha(panel()), 1);
  host_->advance(0.1 + 0.7);
  EXPECT_DOUBLE_EQ(shownAlpha(panel()), 0);

  panel().initShowList({"同步"});
  panel().AlerListChange("同步", "0%");
  host_->advance(1);
  panel().AlerListHide(true);
  host_->advance(1);
  panel().initShowList({"登录"});  // the pending fade is cancelled
  panel().AlerListChange("登录", "50%");
  host_->advance(3);
  EXPECT_DOUBLE_EQ(shownAlpha(panel()), 1);
  EXPECT_NE(host_->findByText("登录"), nullptr);
}
