// A view that shows part of a larger content through its bounds' origin (the content offset):
// content size and insets, dragging with the finger (handed over by the window), bouncing back,
// paging by its own width, animated scrolling, and delegate callbacks for scrolls, drags and
// decelerations. A view at rest keeps its offset within its content when its size or its content
// size changes.
#pragma once

#include "platform/view/View.h"

namespace plat {

class ScrollView;

class ScrollViewDelegate {
 public:
  virtual ~ScrollViewDelegate() = default;
  virtual void scrollViewDidScroll(ScrollView&) {}
  virtual void scrollViewWillBeginDragging(ScrollView&) {}
  virtual void scrollViewDidEndDragging(ScrollView&, bool /*willDecelerate*/) {}
  virtual void scrollViewWillBeginDecelerating(ScrollView&) {}
  virtual void scrollViewDidEndDecelerating(ScrollView&) {}
  virtual void scrollViewDidEndScrollingAnimation(ScrollView&) {}
};

class ScrollView : public View {
 public:
  explicit ScrollView(const Rect& frame = {});
  ~ScrollView() override;

  ScrollViewDelegate* delegate() const { return delegate_; }
  void setDelegate(ScrollViewDelegate* delegate) { delegate_ = delegate; }

  Size contentSize() const { return contentSize_; }
  virtual void setContentSize(Size size);
  EdgeInsets contentInset() const { return contentInset_; }
  void setContentInset(const EdgeInsets& insets) { contentInset_ = insets; }
  // Where the indicators run: inside the bounds by these insets (a keyboard's height, say).
  EdgeInsets scrollIndicatorInsets() const { return indicatorInsets_; }
  void setScrollIndicatorInsets(const EdgeInsets& insets) { indicatorInsets_ = insets; }
  Point contentOffset() const { return bounds().origin(); }
  // Animated: moves over 0.3 s, calling the delegate's did-scroll on the way and
  // did-end-scrolling-animation at the end.
  void setContentOffset(Point offset, bool animated = false);
  // Scrolls the least needed to show `rect` (content coordinates).
  void scrollRectToVisible(const Rect& rect, bool animated);
  // The offsets the content rests within (insets included).
  Point minimumOffset() const;
  Point maximumOffset() const;

  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
  bool isPagingEnabled() const { return pagingEnabled_; }
  void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
  bool bounces() const { return bounces_; }
  void setBounces(bool bounces) { bounces_ = bounces; }
  bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
  void setAlwaysBounceVertical(bool on) { alwaysBounceVertical_ = on; }
  bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
  void setAlwaysBounceHorizontal(bool on) { alwaysBounceHorizontal_ = on; }
  bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
  void setShowsHorizontalScrollIndicator(bool on) { showsHorizontal_ = on; }
  bool showsVerticalScrollIndicator() const { return showsVertical_; }
  void setShowsVerticalScrollIndicator(bool on) { showsVertical_ = on; }
  bool scrollsToTop() const { return scrollsToTop_; }
  void setScrollsToTop(bool on) { scrollsToTop_ = on; }

  bool isDragging() const { return dragging_; }
  bool isTracking() const { return dragging_; }
  bool isDecelerating() const { return decelerating_; }

  // ---- Driven by the window while a finger drags the content
  // Whether a drag by `delta` (own coordinates) runs along an axis this view scrolls.
  bool canScroll(Point delta) const;
  void beginDrag(Point windowLocation);
  void dragTo(Point windowLocation);
  void endDrag(Point windowLocation);
  void cancelDrag();

  void setBounds(const Rect& bounds) override;
  // The content stays put under the finger: touches on the scroll view itself go nowhere else.
  void touchesBegan(const TouchSet&) override {}
  void touchesMoved(const TouchSet&) override {}
  void touchesEnded(const TouchSet&) override {}
  void touchesCancelled(const TouchSet&) override {}

 protected:
  // Called after every change of the content offset, before the delegate hears of it.
  virtual void contentOffsetChanged() {}

 private:
  bool scrollsHorizontally() const;
  bool scrollsVertically() const;
  Point clamped(Point offset) const;
  Point maximumOffsetFor(Size size) const;
  // `offset` brought within the range the content allows a view of `size`.
  Point clampedFor(Point offset, Size size) const;
  // `offset` kept within the room a drag may pull the content past its ends.
  Point withinPull(Point offset) const;
  // Neither a finger nor an animation is moving the content.
  bool isAtRest() const;
  Point restingOffset(Point offset) const;  // where a released drag settles
  void finishDrag();
  void stopAnimation();
  void animateTo(Point target, bool decelerating);
  Point superviewPoint(Point windowLocation) const;

  ScrollViewDelegate* delegate_ = nullptr;
  Size contentSize_;
  EdgeInsets contentInset_;
  EdgeInsets indicatorInsets_;
  bool scrollEnabled_ = true;
  bool pagingEnabled_ = false;
  bool bounces_ = true;
  bool alwaysBounceVertical_ = false;
  bool alwaysBounceHorizontal_ = false;
  bool showsHorizontal_ = true;
  bool showsVertical_ = true;
  bool scrollsToTop_ = true;
  bool dragging_ = false;
  bool decelerating_ = false;
  int animation_ = 0;
  Point dragStartOffset_;
  Point dragStartPoint_;  // in the superview
};

}  // namespace plat
