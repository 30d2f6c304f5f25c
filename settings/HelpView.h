// The picture guide: five full-screen pictures paged sideways with a page control. As the
// first-run guide (no title, presented modally while "run_machine" is "0") the last picture has
// a start button and swiping on past it ends the guide too, after which "run_machine" is "1".
// From the help list it is pushed with a title and left with the back button.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/view/Button.h"
#include "platform/view/PageControl.h"
#include "platform/view/ScrollView.h"
#include "ui/BaseViewController.h"

class HelpView : public BaseViewController, public plat::ScrollViewDelegate {
 public:
  static constexpr int kPictureCount = 5;
  static constexpr int kFirstPictureTag = 10;
  static constexpr int kStartButtonTag = 100;

  ~HelpView() override;
  // The guide as the review screen makes it for the first start ("HelpView").
  static std::shared_ptr<HelpView> initWithNibName(const std::string& nibName);

  // Both unset for the first-run guide.
  void setNavName(const std::string& name) { navName_ = name; }
  void setParentName(const std::string& name) { ParentName_ = name; }
  bool isFirstRun() const { return !navName_; }

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void willRotateToInterfaceOrientation(plat::InterfaceOrientation, double) override;
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation, double) override;

  void page_change();
  void scrollViewDidScroll(plat::ScrollView&) override;
  void scrollViewWillBeginDragging(plat::ScrollView&) override;
  void scrollViewDidEndDecelerating(plat::ScrollView&) override;
  void scrollViewDidEndScrollingAnimation(plat::ScrollView&) override;
  // Ends the guide; the first-run guide also records that it was seen.
  void ok_click();

  plat::ScrollView* scrollView() const { return scrollView_.get(); }
  plat::PageControl* pageCtl() const { return pageCtl_.get(); }

 private:
  // Fits picture `index` into the pager: by width on a 568-point phone, else by height.
  void fitPicture(int index, bool byWidth);
  void placeStartButton();

  std::optional<std::string> navName_;
  std::optional<std::string> ParentName_;
  std::shared_ptr<plat::ScrollView> scrollView_;
  std::shared_ptr<plat::PageControl> pageCtl_;
  bool pageControlUsed_ = false;
  bool ended_ = false;
};
