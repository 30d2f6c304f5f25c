// The items the bars show for a view controller: bar button items, the navigation item (title,
// title view, left, right and back items) and the tab bar item (title, images, badge). A bar
// showing an item relays itself out when the item changes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/draw/Color.h"
#include "platform/draw/Image.h"

namespace plat {

class View;

// Told when an item it shows changes.
class ItemObserver {
 public:
  virtual ~ItemObserver() = default;
  virtual void itemChanged() = 0;
};

class ObservedItem {
 public:
  void setObserver(ItemObserver* observer) { observer_ = observer; }
  ItemObserver* observer() const { return observer_; }

 protected:
  void changed() {
    if (observer_) observer_->itemChanged();
  }

 private:
  ItemObserver* observer_ = nullptr;
};

enum class BarButtonStyle { Plain, Bordered, Done };

class BarButtonItem : public ObservedItem {
 public:
  using Action = std::function<void(BarButtonItem&)>;

  BarButtonItem(const std::string& title, BarButtonStyle style, Action action);
  BarButtonItem(std::shared_ptr<Image> image, BarButtonStyle style, Action action);
  explicit BarButtonItem(std::shared_ptr<View> customView);

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) {
    title_ = title;
    changed();
  }
  const std::shared_ptr<Image>& image() const { return image_; }
  BarButtonStyle style() const { return style_; }
  const std::shared_ptr<View>& customView() const { return customView_; }
  void setCustomView(std::shared_ptr<View> view) {
    customView_ = std::move(view);
    changed();
  }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
  }
  Color tintColor() const { return tint_; }
  void setTintColor(const Color& color) {
    tint_ = color;
    changed();
  }
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  void trigger() {
    if (action_ && enabled_) action_(*this);
  }

 private:
  std::string title_;
  std::shared_ptr<Image> image_;
  BarButtonStyle style_ = BarButtonStyle::Plain;
  std::shared_ptr<View> customView_;
  Action action_;
  bool enabled_ = true;
  Color tint_ = Color::clear();
  int tag_ = 0;
};

class NavigationItem : public ObservedItem {
 public:
  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) {
    title_ = title;
    changed();
  }
  const std::shared_ptr<View>& titleView() const { return titleView_; }
  void setTitleView(std::shared_ptr<View> view) {
    titleView_ = std::move(view);
    changed();
  }
  const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return left_; }
  void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    left_ = std::move(item);
    changed();
  }
  const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return right_; }
  void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    right_ = std::move(item);
    changed();
  }
  // The item the next screen's back button shows for this one.
  const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return back_; }
  void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    back_ = std::move(item);
    changed();
  }
  bool hidesBackButton() const { return hidesBack_; }
  void setHidesBackButton(bool hides) {
    hidesBack_ = hides;
    changed();
  }

 private:
  std::string title_;
  std::shared_ptr<View> titleView_;
  std::shared_ptr<BarButtonItem> left_;
  std::shared_ptr<BarButtonItem> right_;
  std::shared_ptr<BarButtonItem> back_;
  bool hidesBack_ = false;
};

class TabBarItem : public ObservedItem {
 public:
  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) {
    title_ = title;
    changed();
  }
  const std::shared_ptr<Image>& image() const { return image_; }
  void setImage(std::shared_ptr<Image> image) {
    image_ = std::move(image);
    changed();
  }
  const std::shared_ptr<Image>& selectedImage() const { return selectedImage_; }
  void setSelectedImage(std::shared_ptr<Image> image) {
    selectedImage_ = std::move(image);
    changed();
  }
  // "" shows no badge.
  const std::string& badgeValue() const { return badge_; }
  void setBadgeValue(const std::string& badge) {
    badge_ = badge;
    changed();
  }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
  }
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }

 private:
  std::string title_;
  std::shared_ptr<Image> image_;
  std::shared_ptr<Image> selectedImage_;
  std::string badge_;
  bool enabled_ = true;
  int tag_ = 0;
};

}  // namespace plat
