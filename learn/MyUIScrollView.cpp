#include "learn/MyUIScrollView.h"

#include "platform/base/RunLoop.h"

namespace {
const std::string kPressKey = "openSheetMsg";
}

MyUIScrollView::MyUIScrollView(const plat::Rect& frame) : plat::ScrollView(frame) {}

MyUIScrollView::~MyUIScrollView() {
  cancelPress();
}

void MyUIScrollView::cancelPress() {
  plat::RunLoop::main().cancelPerforms(this, kPressKey);
}

void MyUIScrollView::touchesBegan(const plat::TouchSet& touches) {
  cancelPress();
  plat::RunLoop::main().performAfter(kHoldSeconds, this, kPressKey, [this] { openSheetMsg(); });
  plat::ScrollView::touchesBegan(touches);
}

void MyUIScrollView::touchesMoved(const plat::TouchSet& touches) {
  cancelPress();
  plat::ScrollView::touchesMoved(touches);
}

void MyUIScrollView::touchesEnded(const plat::TouchSet& touches) {
  cancelPress();
  plat::ScrollView::touchesEnded(touches);
}

void MyUIScrollView::touchesCancelled(const plat::TouchSet& touches) {
  cancelPress();
  plat::ScrollView::touchesCancelled(touches);
}

void MyUIScrollView::contentOffsetChanged() {
  if (isDragging()) cancelPress();
}

void MyUIScrollView::openSheetMsg() {
  if (deleage_) deleage_->scrollviewClick_callback();
}
