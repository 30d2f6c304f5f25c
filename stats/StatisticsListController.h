// The statistics tab: one of five pages at a time (the summary and four charts), chosen from a
// list behind the left bar button or stepped through with the arrows, faded in when it changes.
// The right bar button, offered while the server names a ranking page, opens that page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/ActionSheet.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/ViewController.h"

class StatisticsListController : public plat::ViewController, public plat::ActionSheetDelegate {
 public:
  static constexpr int kPageCount = 5;
  static constexpr double kFadeSeconds = 0.3;

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void didRotateFromInterfaceOrientation(plat::InterfaceOrientation old) override;

  // Makes the current page when it is missing, refreshes it and sizes its chart.
  void createView();
  // Refreshes the data of the current page.
  void refreshData();
  // Shows the current page in place of `oldPage` with the fade.
  void exchangeView(int64_t oldPage);

  // The page list, and its answer.
  void openList();
  void didDismissWithButtonIndex(plat::ActionSheet& sheet, int index) override;
  // The arrows (previous and next page, wrapping) and the page buttons (tags 101 to 105).
  void upBtn();
  void downBtn();
  void selectBtn(int tag);
  // Pushes the ranking page.
  void loginTopView();

  int64_t currPage() const { return currPage_; }
  const std::vector<std::string>& pageTitle() const { return pageTitle_; }
  plat::View* pageView(int64_t page);

 private:
  void addNavBtnItem();
  std::shared_ptr<plat::Button> barButton(const std::string& titleKey);
  // Goes to `page`; a choice of the page already shown changes nothing unless `always`.
  void changePage(int64_t page, bool always);
  void removeChartPages();

  int64_t currPage_ = 1;
  std::vector<std::string> pageTitle_;
  std::shared_ptr<plat::Label> titleLabel_;
};
