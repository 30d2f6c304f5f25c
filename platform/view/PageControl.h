// A row of page dots: the current page is marked; a tap on a dot goes to that page, a tap beside
// the dots one page towards that side; either sends value-changed.
#pragma once

#include "platform/view/Control.h"

namespace plat {

class PageControl : public Control {
 public:
  static constexpr double kDotSpacing = 16;

  explicit PageControl(const Rect& frame = {});

  int numberOfPages() const { return pages_; }
  void setNumberOfPages(int pages);
  int currentPage() const { return current_; }
  void setCurrentPage(int page);
  bool hidesForSinglePage() const { return hidesForSingle_; }
  void setHidesForSinglePage(bool hides) { hidesForSingle_ = hides; }
  Color pageIndicatorTintColor() const { return tint_; }
  void setPageIndicatorTintColor(const Color& color) { tint_ = color; }
  Color currentPageIndicatorTintColor() const { return currentTint_; }
  void setCurrentPageIndicatorTintColor(const Color& color) { currentTint_ = color; }

  // The centre of dot `page`, in own coordinates.
  Point dotCenter(int page) const;

  void drawRect(DrawContext& context, const Rect& rect) override;

 protected:
  void endTracking(const Touch& touch) override;

 private:
  int pages_ = 0;
  int current_ = 0;
  bool hidesForSingle_ = false;
  Color tint_ = Color::white(1, 0.4);
  Color currentTint_ = Color::white();
};

}  // namespace plat
