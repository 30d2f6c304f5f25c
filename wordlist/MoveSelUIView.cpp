#include "wordlist/MoveSelUIView.h"

#include <cmath>

MoveSelUIView::MoveSelUIView(const plat::Rect& frame) : View(frame) {
  setBackgroundColor(plat::Color::clear());
  setOpaque(false);
  setAutoresizingMask(plat::kFlexibleHeight | plat::kFlexibleRightMargin);
}

bool MoveSelUIView::isSendMsg(double begin, double end, plat::Point tablePoint, double cellHeight) {
  return std::floor((begin + tablePoint.y) / cellHeight) !=
         std::floor((end + tablePoint.y) / cellHeight);
}

plat::Point MoveSelUIView::pointOf(const plat::TouchSet& touches) const {
  return touches.empty() ? plat::Point{} : touches.front()->locationIn(this);
}

void MoveSelUIView::touchesBegan(const plat::TouchSet& touches) {
  if (deleage_) deleage_->touchDown_callback(pointOf(touches));
}

void MoveSelUIView::touchesMoved(const plat::TouchSet& touches) {
  if (deleage_) deleage_->touchMove_callback(pointOf(touches));
}

void MoveSelUIView::touchesEnded(const plat::TouchSet& touches) {
  if (deleage_) deleage_->touchEnd_callback(pointOf(touches));
}

void MoveSelUIView::touchesCancelled(const plat::TouchSet& touches) {
  if (deleage_) deleage_->touchEnd_callback(pointOf(touches));
}
