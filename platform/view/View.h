// A rectangle of the screen in a tree of views: geometry (frame, bounds, centre, transform),
// appearance (alpha, hidden, background, corner and border), subviews in drawing order,
// autoresizing, layout, drawing, hit testing and touch handling. Runs without a display: the
// tree is drawn into a DrawContext on demand.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw/Color.h"
#include "platform/draw/DrawContext.h"
#include "platform/draw/Geometry.h"
#include "platform/view/Touch.h"

namespace plat {

class Window;
class ViewController;
class GestureRecognizer;

// What grows when the superview's size changes.
enum Autoresizing : unsigned {
  kAutoresizingNone = 0,
  kFlexibleLeftMargin = 1 << 0,
  kFlexibleWidth = 1 << 1,
  kFlexibleRightMargin = 1 << 2,
  kFlexibleTopMargin = 1 << 3,
  kFlexibleHeight = 1 << 4,
  kFlexibleBottomMargin = 1 << 5,
  kFlexibleAll = 63,
};

enum class ContentMode {
  ScaleToFill,
  ScaleAspectFit,
  ScaleAspectFill,
  Redraw,
  Center,
  Top,
  Bottom,
  Left,
  Right,
  TopLeft,
  TopRight,
  BottomLeft,
  BottomRight,
};

class View : public std::enable_shared_from_this<View> {
 public:
  explicit View(const Rect& frame = {});
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  template <typename T, typename... Args>
  static std::shared_ptr<T> make(Args&&... args) {
    return std::make_shared<T>(std::forward<Args>(args)...);
  }

  // ---- Geometry (model values; animations change what is drawn, not these)
  Rect frame() const;
  virtual void setFrame(const Rect& frame);
  Rect bounds() const { return bounds_; }
  virtual void setBounds(const Rect& bounds);
  Point center() const { return center_; }
  void setCenter(Point center);
  AffineTransform transform() const { return transform_; }
  void setTransform(const AffineTransform& transform);

  // ---- Appearance
  double alpha() const { return alpha_; }
  void setAlpha(double alpha);
  bool isHidden() const { return hidden_; }
  virtual void setHidden(bool hidden);
  Color backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(const Color& color);
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  bool clipsToBounds() const { return clipsToBounds_; }
  void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
  ContentMode contentMode() const { return contentMode_; }
  void setContentMode(ContentMode mode) { contentMode_ = mode; }
  double cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(double radius) { cornerRadius_ = radius; }
  double borderWidth() const { return borderWidth_; }
  void setBorderWidth(double width) { borderWidth_ = width; }
  Color borderColor() const { return borderColor_; }
  void setBorderColor(const Color& color) { borderColor_ = color; }

  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }

  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  bool isExclusiveTouch() const { return exclusiveTouch_; }
  void setExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }

  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool on) { autoresizesSubviews_ = on; }

  // ---- The tree
  View* superview() const { return superview_; }
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  void addSubview(const std::shared_ptr<View>& view);
  void insertSubview(const std::shared_ptr<View>& view, size_t index);
  void insertSubviewBelow(const std::shared_ptr<View>& view, const View* sibling);
  void insertSubviewAbove(const std::shared_ptr<View>& view, const View* sibling);
  void removeFromSuperview();
  void bringSubviewToFront(const View* view);
  void sendSubviewToBack(const View* view);
  // This view or the first descendant (depth first, in subview order) with the tag.
  View* viewWithTag(int tag);
  bool isDescendantOf(const View* view) const;
  virtual Window* window() const;
  // The controller whose view this is, if any.
  ViewController* viewController() const { return viewController_; }

  // ---- Layout
  void setNeedsLayout();
  void layoutIfNeeded();  // this view and every descendant that needs it
  virtual void layoutSubviews() {}
  virtual Size sizeThatFits(Size size) const;
  void sizeToFit();

  // ---- Drawing
  // Asks for drawRect to run at the next display pass (or picture), as it does for a view new
  // on the screen.
  void setNeedsDisplay() { needsDisplay_ = true; }
  bool needsDisplay() const { return needsDisplay_; }
  // Draws the view's own content in its bounds' coordinates; the background is already drawn.
  virtual void drawRect(DrawContext& context, const Rect& rect);

  // ---- Coordinates and hit testing
  Point convertToSuperview(Point p) const;
  Point convertFromSuperview(Point p) const;
  Point convertPointTo(Point p, const View* view) const;  // null: the window
  Point convertPointFrom(Point p, const View* view) const;
  Rect convertRectTo(const Rect& r, const View* view) const;
  Rect convertRectFrom(const Rect& r, const View* view) const;
  // The deepest visible, interactive view containing `p` (own coordinates), topmost first.
  virtual View* hitTest(Point p);
  virtual bool pointInside(Point p) const;

  // ---- Touches: by default passed on to the superview.
  virtual void touchesBegan(const TouchSet& touches);
  virtual void touchesMoved(const TouchSet& touches);
  virtual void touchesEnded(const TouchSet& touches);
  virtual void touchesCancelled(const TouchSet& touches);

  void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
  void removeGestureRecognizer(const GestureRecognizer* recognizer);
  const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const {
    return recognizers_;
  }

  // ---- First responder (text input)
  virtual bool canBecomeFirstResponder() const { return false; }
  virtual bool becomeFirstResponder();
  virtual bool resignFirstResponder();
  bool isFirstResponder() const;
  // Asks the first responder inside this view to resign; returns whether none is left.
  bool endEditing(bool force);

  // ---- Animations of this view
  void removeAllAnimations();

  // Text that tests and the host find the view by ("" for none).
  virtual std::string displayedText() const { return ""; }

 protected:
  virtual void willMoveToSuperview(View*) {}
  virtual void didMoveToSuperview() {}
  virtual void didMoveToWindow() {}
  virtual void didAddSubview(View*) {}
  virtual void willRemoveSubview(View*) {}

 private:
  friend class ViewController;
  friend class Window;
  friend class ViewRenderer;
  void boundsSizeChanged(Size oldSize);
  void resizeWithSuperview(Size oldSize, Size newSize);
  void detach(const View* view);  // removes from subviews_ without notifying
  void notifyWindowChange();

  Point center_;
  Rect bounds_;
  AffineTransform transform_;
  double alpha_ = 1;
  bool hidden_ = false;
  Color backgroundColor_ = Color::clear();
  bool opaque_ = true;
  bool clipsToBounds_ = false;
  ContentMode contentMode_ = ContentMode::ScaleToFill;
  double cornerRadius_ = 0;
  double borderWidth_ = 0;
  Color borderColor_ = Color::black();
  int tag_ = 0;
  bool userInteractionEnabled_ = true;
  bool exclusiveTouch_ = false;
  unsigned autoresizingMask_ = kAutoresizingNone;
  bool autoresizesSubviews_ = true;
  bool needsLayout_ = true;
  bool needsDisplay_ = true;

  View* superview_ = nullptr;
  std::vector<std::shared_ptr<View>> subviews_;
  std::vector<std::shared_ptr<GestureRecognizer>> recognizers_;
  ViewController* viewController_ = nullptr;
};

}  // namespace plat
