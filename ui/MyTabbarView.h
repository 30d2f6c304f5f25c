// A strip of tab buttons with one- or two-line titles over a green background; the owner sets the
// two tab images and the delegate, then adds the buttons, and hears of every change of tab.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/draw/Image.h"
#include "platform/view/Button.h"
#include "platform/view/View.h"

class MyTabbarDeleage {
 public:
  virtual ~MyTabbarDeleage() = default;
  // The learner chose the tab at `index`.
  virtual void selectTabBtn(int /*index*/) {}
};

class MyTabbarView : public plat::View {
 public:
  static constexpr int kButtonTagBase = 200;
  static constexpr int kFirstLineTag = 101;
  static constexpr int kSecondLineTag = 102;

  explicit MyTabbarView(const plat::Rect& frame);

  // One tab per item (one or two title lines), then tab 0 selected. Tab widths follow from the
  // strip's width; `btnWidth` is kept for callers and has no effect.
  void addBtn(const std::vector<std::vector<std::string>>& items, int btnWidth);
  // Shows tab `index` as selected without telling the delegate.
  void selectBtn(int index);
  // New title lines for a tab; a second line only where the tab has one.
  void changeBtnName(int index, const std::vector<std::string>& titleInfo);
  // The colour of a tab's second title line.
  void changeBtnColor(int index, const plat::Color& color);
  // The tap handler of every tab.
  void expandButtonClicked(plat::Button& button);

  int selectedIndex() const { return _btnNum; }
  MyTabbarDeleage* deleage() const { return deleage_; }
  void setDeleage(MyTabbarDeleage* delegate) { deleage_ = delegate; }
  const std::shared_ptr<plat::Image>& normalImage() const { return normalImage_; }
  void setNormalImage(std::shared_ptr<plat::Image> image) { normalImage_ = std::move(image); }
  const std::shared_ptr<plat::Image>& selectImage() const { return selectImage_; }
  void setSelectImage(std::shared_ptr<plat::Image> image) { selectImage_ = std::move(image); }

 private:
  plat::Label* titleLine(int index, int lineTag) const;

  int _btnNum = 0;
  MyTabbarDeleage* deleage_ = nullptr;
  std::shared_ptr<plat::Image> normalImage_;
  std::shared_ptr<plat::Image> selectImage_;
};
