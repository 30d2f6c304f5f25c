// The transparent strip over a word page's check-box column: it takes every touch there and hands
// the points to the page, which turns a drag over several rows into one toggle per row entered.
#pragma once

#include "platform/view/View.h"

class MoveSelUIViewDeleage {
 public:
  virtual ~MoveSelUIViewDeleage() = default;
  // Points in the strip's own coordinates.
  virtual void touchDown_callback(plat::Point) {}
  virtual void touchMove_callback(plat::Point) {}
  virtual void touchEnd_callback(plat::Point) {}
};

class MoveSelUIView : public plat::View {
 public:
  static constexpr double kWidth = 60;

  explicit MoveSelUIView(const plat::Rect& frame);

  MoveSelUIViewDeleage* deleage() const { return deleage_; }
  void setDeleage(MoveSelUIViewDeleage* delegate) { deleage_ = delegate; }

  // Whether moving from `begin` to `end` (strip y) crosses a row boundary of the table.
  static bool isSendMsg(double begin, double end, plat::Point tablePoint, double cellHeight);

  void touchesBegan(const plat::TouchSet& touches) override;
  void touchesMoved(const plat::TouchSet& touches) override;
  void touchesEnded(const plat::TouchSet& touches) override;
  void touchesCancelled(const plat::TouchSet& touches) override;

 private:
  plat::Point pointOf(const plat::TouchSet& touches) const;

  MoveSelUIViewDeleage* deleage_ = nullptr;
};
