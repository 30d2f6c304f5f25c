// The word card's scroll view: a finger held still on it for 0.7 s reaches its delegate once as a
// long press; a scroll or a shorter tap does not.
#pragma once

#include "platform/view/ScrollView.h"

class MyUIScrollViewDeleage {
 public:
  virtual ~MyUIScrollViewDeleage() = default;
  // A delegate that leaves it out ignores long presses.
  virtual void scrollviewClick_callback() {}
};

class MyUIScrollView : public plat::ScrollView {
 public:
  static constexpr double kHoldSeconds = 0.7;

  explicit MyUIScrollView(const plat::Rect& frame = {});
  ~MyUIScrollView() override;

  MyUIScrollViewDeleage* deleage() const { return deleage_; }
  void setDeleage(MyUIScrollViewDeleage* deleage) { deleage_ = deleage; }

  void touchesBegan(const plat::TouchSet& touches) override;
  void touchesMoved(const plat::TouchSet& touches) override;
  void touchesEnded(const plat::TouchSet& touches) override;
  void touchesCancelled(const plat::TouchSet& touches) override;

  // The held press: tells the delegate.
  void openSheetMsg();

 protected:
  // A drag that the window hands to the scroll view moves the content: that is no still press.
  void contentOffsetChanged() override;

 private:
  void cancelPress();

  MyUIScrollViewDeleage* deleage_ = nullptr;
};
