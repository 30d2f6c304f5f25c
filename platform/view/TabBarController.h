// Tabs of view controllers over a tab bar: the selected tab's view fills the screen above the
// bar; a tap on a tab asks the delegate, selects it and tells the delegate; a tap on the selected
// tab takes its navigation controller back to its root. The bar shows each controller's tab bar
// item: title, image, badge, in the tint colour when selected.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/view/BarItems.h"
#include "platform/view/ContainerView.h"
#include "platform/view/ViewController.h"

namespace plat {

class TabBarController;

class TabBar : public View, public ItemObserver {
 public:
  static constexpr double kHeight = 49;

  explicit TabBar(const Rect& frame = {});
  ~TabBar() override;

  void setItems(const std::vector<std::shared_ptr<TabBarItem>>& items);
  const std::vector<std::shared_ptr<TabBarItem>>& items() const { return items_; }
  int selectedIndex() const { return selected_; }
  void setSelectedIndex(int index) { selected_ = index; }
  // The colour of the selected item (selectedImageTintColor wins when set).
  Color tintColor() const { return tint_; }
  void setTintColor(const Color& color) { tint_ = color; }
  Color selectedImageTintColor() const { return selectedTint_; }
  void setSelectedImageTintColor(const Color& color) { selectedTint_ = color; }
  const std::shared_ptr<Image>& backgroundImage() const { return background_; }
  void setBackgroundImage(std::shared_ptr<Image> image) { background_ = std::move(image); }
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent) { translucent_ = translucent; }

  // Where item `index` sits in the bar.
  Rect itemRect(int index) const;
  void setTapAction(std::function<void(int)> action) { tapAction_ = std::move(action); }

  void itemChanged() override {}
  void touchesBegan(const TouchSet&) override {}
  void touchesMoved(const TouchSet&) override {}
  void touchesEnded(const TouchSet& touches) override;
  void touchesCancelled(const TouchSet&) override {}
  void drawRect(DrawContext& context, const Rect& rect) override;

 private:
  std::vector<std::shared_ptr<TabBarItem>> items_;
  int selected_ = 0;
  Color tint_ = Color::rgb255(0, 122, 255);
  Color selectedTint_ = Color::clear();
  std::shared_ptr<Image> background_;
  bool translucent_ = true;
  std::function<void(int)> tapAction_;
};

class TabBarControllerDelegate {
 public:
  virtual ~TabBarControllerDelegate() = default;
  virtual bool shouldSelectViewController(TabBarController&, ViewController&) { return true; }
  virtual void didSelectViewController(TabBarController&, ViewController&) {}
};

class TabBarController : public ViewController {
 public:
  TabBarController();

  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers);
  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return tabs_; }
  int selectedIndex() const { return selected_; }
  void setSelectedIndex(int index);
  ViewController* selectedViewController() const;

  TabBar& tabBar() { return *bar_; }
  bool isTabBarHidden() const { return barHidden_; }
  void setTabBarHidden(bool hidden);

  TabBarControllerDelegate* delegate() const { return delegate_; }
  void setDelegate(TabBarControllerDelegate* delegate) { delegate_ = delegate; }

  // What a finger on tab `index` does.
  void tapTab(int index);

  void loadView() override;
  // Turns as its selected tab does.
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) override;

 protected:
  std::vector<ViewController*> visibleChildren() const override;

 private:
  void layoutContent();
  Rect childFrame(const ViewController& child) const;

  std::vector<std::shared_ptr<ViewController>> tabs_;
  int selected_ = 0;
  std::shared_ptr<TabBar> bar_;
  bool barHidden_ = false;
  TabBarControllerDelegate* delegate_ = nullptr;
};

}  // namespace plat
