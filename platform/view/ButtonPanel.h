// What alerts and action sheets share: a list of button titles with a button for each, shown in
// the overlay above every screen; a pressed button is reported, then the panel goes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/Button.h"

namespace plat {

class ButtonPanel : public View {
 public:
  int addButtonWithTitle(const std::string& title);
  std::string buttonTitleAtIndex(int index) const;
  int numberOfButtons() const { return int(titles_.size()); }
  Button* buttonAtIndex(int index) const;
  bool isVisible() const;
  // A finger on button `index`: the click is reported, then the dismissal.
  void pressButton(int index);
  // Dismisses as if button `index` were chosen, without reporting a click.
  void dismissWithClickedButtonIndex(int index, bool animated);

 protected:
  explicit ButtonPanel(const Rect& frame = {}) : View(frame) {}
  // Puts the panel in the overlay (after the panels shown before it); `onScreen` runs once it is
  // there.
  void present(std::function<void(View&)> onScreen);
  // One button per title, dressed by `dress`; each presses its index.
  void makeButtons(const std::function<void(Button&, int)>& dress);
  // Builds the panel's subviews for its titles.
  virtual void rebuild() = 0;
  virtual void clicked(int /*index*/) {}
  virtual void willDismiss(int /*index*/) {}
  virtual void didDismiss(int /*index*/) {}

  std::vector<std::string> titles_;
  std::vector<std::shared_ptr<Button>> buttons_;

 private:
  bool dismissed_ = false;
};

}  // namespace plat
