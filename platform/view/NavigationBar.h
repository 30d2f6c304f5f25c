// The bar at the top of a navigation controller: the top item's title (or title view) in the
// middle, its left item or a back button titled after the item below, its right item, over a
// background image when one is set (for this bar, or for every bar).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/view/BarItems.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/View.h"

namespace plat {

class NavigationBar : public View, public ItemObserver {
 public:
  static constexpr double kHeight = 44;

  explicit NavigationBar(const Rect& frame = {});
  ~NavigationBar() override;

  void setItems(const std::vector<std::shared_ptr<NavigationItem>>& items);
  const std::vector<std::shared_ptr<NavigationItem>>& items() const { return items_; }
  NavigationItem* topItem() const { return items_.empty() ? nullptr : items_.back().get(); }
  NavigationItem* backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2].get();
  }

  const std::shared_ptr<Image>& backgroundImage() const { return background_; }
  void setBackgroundImage(std::shared_ptr<Image> image) { background_ = std::move(image); }
  // Drawn behind every bar without an image of its own.
  static void setDefaultBackgroundImage(std::shared_ptr<Image> image);
  // The tint of bars made from now on (the default background's own text colour).
  static void setDefaultTintColor(const Color& color);
  Color tintColor() const { return tint_; }
  void setTintColor(const Color& color) {
    tint_ = color;
    setNeedsLayout();
  }
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent) { translucent_ = translucent; }
  // How far the background reaches up behind the status bar.
  void setBackgroundExtension(double points) { extension_ = points; }

  // What the back button does (the navigation controller pops).
  void setBackAction(std::function<void()> action) { backAction_ = std::move(action); }

  // The views shown now, for tests and the hosts (null when absent).
  View* leftView() const { return left_.get(); }
  View* rightView() const { return right_.get(); }
  View* titleView() const { return title_.get(); }
  Button* backButton() const { return back_.get(); }

  void itemChanged() override { setNeedsLayout(); }
  void layoutSubviews() override;
  void drawRect(DrawContext& context, const Rect& rect) override;

 private:
  std::shared_ptr<View> viewFor(const std::shared_ptr<BarButtonItem>& item);
  void clear();

  std::vector<std::shared_ptr<NavigationItem>> items_;
  std::shared_ptr<Image> background_;
  Color tint_;
  bool translucent_ = true;
  double extension_ = 0;
  std::function<void()> backAction_;
  std::shared_ptr<View> left_;
  std::shared_ptr<View> right_;
  std::shared_ptr<View> title_;
  std::shared_ptr<Button> back_;
};

}  // namespace plat
