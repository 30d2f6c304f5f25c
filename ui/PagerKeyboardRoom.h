// Room for the keyboard on a screen of pages under a tab strip (the word lists, today's review):
// while a search field is edited the navigation bar and the strip slide away and the pages end
// above the keys; when the keyboard goes they come back.
#pragma once

#include "platform/base/Value.h"
#include "platform/view/NavigationController.h"
#include "platform/view/ScrollView.h"

class PagerKeyboardRoom {
 public:
  // `fadeStrip`: the strip also fades, so that no part of it stays under the status bar.
  PagerKeyboardRoom(double stripHeight, bool fadeStrip)
      : stripHeight_(stripHeight), fadeStrip_(fadeStrip) {}

  bool isEditing() const { return isEditState_; }
  // The keyboard is sent away by the screen itself: the bar comes back without animation.
  void keyboardHiddenByScreen() { isAnimation_ = false; }
  // The pages were laid out afresh (a turn): what they gave up is forgotten.
  void forgetRoom() { scrollHeight_ = 0; }

  void keyboardShow(const plat::Value& info, plat::NavigationController* nav,
                    plat::ScrollView& pages, plat::View& strip, bool isRotate);
  void keyboardHide(plat::NavigationController* nav, plat::ScrollView& pages, plat::View& strip,
                    bool isRotate);

 private:
  double stripHeight_;
  bool fadeStrip_;
  bool isAnimation_ = false;
  bool isEditState_ = false;
  double scrollHeight_ = 0;
};
