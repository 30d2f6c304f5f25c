// The value scale beside a chart: one number per grid line, the largest at the top, and "0" at
// the base line. A separate narrow view so that it stays put while the chart scrolls.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Value.h"
#include "platform/view/View.h"

class DrawVScale : public plat::View {
 public:
  // The plot area matches that of a DrawTable of the same height and the same `drawPoint`.y.
  DrawVScale(const plat::Rect& frame, plat::Point drawPoint);

  // Takes [VScaleNum, VscaleSize, NumFromVScale] from DrawTable::getVScaleInfo.
  void InfoFromVScale(const plat::Value& info);
  // Text drawn after every number ("%" on the forgetting curve).
  void setScaleSign(const std::string& sign) { scaleSign_ = sign; }

  const std::string& scaleSign() const { return scaleSign_; }
  plat::Rect drawRect() const { return drawRect_; }
  double VscaleSize() const { return VscaleSize_; }
  int64_t VScaleNum() const { return VScaleNum_; }
  int64_t NumFromVScale() const { return NumFromVScale_; }

  void drawRect(plat::DrawContext& context, const plat::Rect& rect) override;

 private:
  plat::Rect drawRect_;
  std::string scaleSign_;
  double VscaleSize_ = 0;
  int64_t VScaleNum_ = 0;
  int64_t NumFromVScale_ = 0;
};
