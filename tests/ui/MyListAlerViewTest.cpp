#include <string>
#include <vector>

#include "tests/ui/UiHost.h"
#include "ui/MyListAlerView.h"

using namespace plat;

namespace {

class Panel : public uitest::UiTest {
 protected:
  MyListAlerView& panel() { return *MyListAlerView::sharedAler(); }
  View* row(int index) { return panel().dataView()->viewWithTag(100 + index); }
  std::string value(int index) { return dynamic_cast<Label*>(row(index)->viewWithTag(2))->text(); }
  std::string title(int index) { return dynamic_cast<Label*>(row(index)->viewWithTag(1))->text(); }
};

}  // namespace

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

  panel().initShowList({});
  EXPECT_LT(panel().dataView()->frame().height, box.height);
  EXPECT_EQ(panel().dataView()->viewWithTag(100), nullptr);
  EXPECT_EQ(host_->findByText("上传数据"), nullptr) << "the old box is gone";
}

TEST_F(Panel, AValueShowsThePanelAndLandsInItsRow) {
  panel().initShowList({"解析文本", "提取单词"});
  panel().AlerListChange("提取单词", "35%");
  EXPECT_EQ(value(1), "35%");
  EXPECT_EQ(value(0), "");
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
  EXPECT_EQ(panel().alpha(), 0);
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

TEST_F(Panel, ARepeatedTitleMapsToItsLastRow) {
  panel().initShowList({"下载", "下载"});
  panel().AlerListChange("下载", "80%");
  EXPECT_EQ(value(0), "");
  EXPECT_EQ(value(1), "80%");
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
