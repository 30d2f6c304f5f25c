// A spinning activity indicator: shown while animating, hidden when stopped (unless told to
// stay), in white, large white or grey.
#pragma once

#include "platform/view/View.h"

namespace plat {

enum class ActivityIndicatorStyle { WhiteLarge, White, Gray };

class ActivityIndicatorView : public View {
 public:
  explicit ActivityIndicatorView(ActivityIndicatorStyle style = ActivityIndicatorStyle::White);

  ActivityIndicatorStyle style() const { return style_; }
  Color color() const { return color_; }
  void setColor(const Color& color) { color_ = color; }
  bool hidesWhenStopped() const { return hidesWhenStopped_; }
  void setHidesWhenStopped(bool hides);
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const { return animating_; }

  Size sizeThatFits(Size) const override;
  void drawRect(DrawContext& context, const Rect& rect) override;

 private:
  ActivityIndicatorStyle style_;
  Color color_;
  bool hidesWhenStopped_ = true;
  bool animating_ = false;
};

}  // namespace plat
