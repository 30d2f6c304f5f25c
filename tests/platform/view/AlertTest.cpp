#include <gtest/gtest.h>

#include "platform/view/ActionSheet.h"
#include "platform/view/AlertView.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class AlertLog : public AlertViewDelegate, public ActionSheetDelegate {
 public:
  std::vector<std::string> events;
  using ActionSheetDelegate::willDismissWithButtonIndex;
  void clickedButtonAtIndex(AlertView& a, int i) override { add("clicked", a.tag(), i); }
  void willDismissWithButtonIndex(AlertView& a, int i) override { add("will dismiss", a.tag(), i); }
  void didDismissWithButtonIndex(AlertView& a, int i) override { add("did dismiss", a.tag(), i); }
  void clickedButtonAtIndex(ActionSheet&, int i) override { add("sheet clicked", 0, i); }
  void didDismissWithButtonIndex(ActionSheet&, int i) override { add("sheet dismissed", 0, i); }
  bool shouldEnableFirstOtherButton(AlertView& a) override {
    return !a.textFieldAtIndex(0)->text().empty();
  }

 private:
  void add(const std::string& what, int tag, int index) {
    events.push_back(what + " " + std::to_string(tag) + ":" + std::to_string(index));
  }
};

using Alerts = testsupport::ViewFixture;

}  // namespace

TEST_F(Alerts, AButtonTellsTheDelegateThenTheAlertGoesAndTheNextComes) {
  AlertLog log;
  auto alert = AlertView::create("提示", "保留数据?", &log, "清空重学", {"保留数据"});
  auto second = AlertView::create("提示", "two", &log, "确定");
  alert->setTag(4);
  second->setTag(2);
  alert->show();
  second->show();
  EXPECT_TRUE(alert->isVisible());
  EXPECT_FALSE(second->isVisible()) << "alerts shown together come one after the other";
  EXPECT_EQ(Application::shared().keyWindow(), window_.get()) << "the alert does not take the key";
  tap(centerOf(*alert->buttonAtIndex(1)));
  EXPECT_FALSE(alert->isVisible());
  EXPECT_TRUE(second->isVisible());
  second->dismissWithClickedButtonIndex(0, false);
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"clicked 4:1", "will dismiss 4:1", "did dismiss 4:1",
                                      "will dismiss 2:0", "did dismiss 2:0"}));
  EXPECT_EQ(ModalOverlay::window(), nullptr);
}

TEST_F(Alerts, ATextAlertEnablesItsButtonOnceSomethingIsTyped) {
  AlertLog log;
  auto alert = AlertView::create("昵称", "", &log, "取消", {"确定"});
  alert->setAlertViewStyle(AlertViewStyle::PlainTextInput);
  alert->show();
  EXPECT_TRUE(alert->textFieldAtIndex(0)->isFirstResponder());
  EXPECT_FALSE(alert->buttonAtIndex(1)->isEnabled());
  Keyboard::type("x");
  EXPECT_TRUE(alert->buttonAtIndex(1)->isEnabled());
  alert->pressButton(1);
  EXPECT_FALSE(Keyboard::isVisible());
}

TEST_F(Alerts, ActionSheetsPutTheCancelButtonLast) {
  AlertLog log;
  auto sheet = ActionSheet::create("", &log, "取消", "", {"概要", "学习/复习", "记忆持久度"});
  EXPECT_EQ(sheet->cancelButtonIndex(), 3);
  sheet->showInView(window_.get());
  tap(centerOf(*sheet->buttonAtIndex(1)));
  EXPECT_EQ(log.events, (std::vector<std::string>{"sheet clicked 0:1", "sheet dismissed 0:1"}));

  auto destructive = ActionSheet::create("备份", &log, "取消", "清空", {"上传"});
  EXPECT_EQ(destructive->buttonTitleAtIndex(1), "上传") << "the destructive button comes first";
  EXPECT_EQ(destructive->cancelButtonIndex(), 2);
}

TEST_F(Alerts, AHugeUnbrokenServerTextIsShownCutAndWrapped) {
  // A release note of 128 KB without a space: laid out whole it held the window for seconds.
  const std::string note(128 * 1024, 'x');
  auto alert = AlertView::create("更新", note, nullptr, "取消", {"更新"});
  alert->show();
  EXPECT_EQ(alert->message(), note);
  int shown = 0;
  for (const auto& view : alert->subviews()) {
    auto label = std::dynamic_pointer_cast<Label>(view);
    if (!label || label->text().size() < 100) continue;
    ++shown;
    EXPECT_LT(label->text().size(), 8000u);
    const double width = label->frame().width;
    EXPECT_LE(measureText(label->text(), label->font(), {width, 1e6}).width, width);
  }
  EXPECT_EQ(shown, 1);
  EXPECT_LE(alert->frame().height, Screen::main().bounds().height) << "the buttons stay in reach";
}
