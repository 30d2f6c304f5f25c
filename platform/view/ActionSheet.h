// An action sheet: a title and a column of buttons (a destructive one first, the cancel button
// last) shown at the bottom of the screen above everything else; a tapped button tells the
// delegate which one, then the sheet goes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/view/ButtonPanel.h"
#include "platform/view/Label.h"

namespace plat {

class ActionSheet;

class ActionSheetDelegate {
 public:
  virtual ~ActionSheetDelegate() = default;
  virtual void clickedButtonAtIndex(ActionSheet&, int) {}
  virtual void willDismissWithButtonIndex(ActionSheet&, int) {}
  virtual void didDismissWithButtonIndex(ActionSheet&, int) {}
};

class ActionSheet : public ButtonPanel {
 public:
  ActionSheet(const std::string& title, ActionSheetDelegate* delegate,
              const std::string& cancelButtonTitle, const std::string& destructiveButtonTitle,
              const std::vector<std::string>& otherButtonTitles);
  static std::shared_ptr<ActionSheet> create(const std::string& title,
                                             ActionSheetDelegate* delegate,
                                             const std::string& cancelButtonTitle,
                                             const std::string& destructiveButtonTitle,
                                             const std::vector<std::string>& otherButtonTitles);

  const std::string& title() const { return title_; }
  ActionSheetDelegate* delegate() const { return delegate_; }
  void setDelegate(ActionSheetDelegate* delegate) { delegate_ = delegate; }
  int cancelButtonIndex() const { return cancelIndex_; }
  int destructiveButtonIndex() const { return destructiveIndex_; }
  int firstOtherButtonIndex() const;

  // Shows the sheet over the screen `view` is on.
  void showInView(View* view);

  void layoutSubviews() override;
  std::string displayedText() const override { return title_; }

 protected:
  void rebuild() override;
  void clicked(int index) override;
  void willDismiss(int index) override;
  void didDismiss(int index) override;

 private:
  std::string title_;
  ActionSheetDelegate* delegate_;
  int cancelIndex_ = -1;
  int destructiveIndex_ = -1;
  std::shared_ptr<Label> titleLabel_;
};

}  // namespace plat
