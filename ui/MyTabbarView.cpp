#include "ui/MyTabbarView.h"

#include "platform/view/Label.h"
#include "ui/GuiImages.h"

namespace {

constexpr double kSideMargin = 5;
constexpr double kGap = 2;
constexpr double kTopInset = 4;
constexpr double kImageCap = 10;

std::shared_ptr<plat::Label> titleLabel(const plat::Rect& frame, const plat::Font& font,
                                        const std::string& text, int tag, unsigned autoresizing) {
  auto label = std::make_shared<plat::Label>(frame);
  label->setBackgroundColor(plat::Color::clear());
  label->setFont(font);
  label->setTextColor(plat::Color::black());
  label->setTextAlignment(plat::TextAlignment::Center);
  label->setAdjustsFontSizeToFitWidth(true);
  label->setText(text);
  label->setTag(tag);
  label->setAutoresizingMask(autoresizing);
  return label;
}

unsigned buttonAutoresizing(size_t index, size_t count) {
  using namespace plat;
  if (index == 0) return kFlexibleWidth | kFlexibleRightMargin | kFlexibleBottomMargin;
  if (index + 1 == count) return kFlexibleLeftMargin | kFlexibleWidth | kFlexibleBottomMargin;
  return kFlexibleLeftMargin | kFlexibleWidth | kFlexibleRightMargin | kFlexibleBottomMargin;
}

}  // namespace

MyTabbarView::MyTabbarView(const plat::Rect& frame) : View(frame) {
  setBackgroundColor(plat::Color::rgb255(106, 207, 153));
  setOpaque(true);
  setAutoresizingMask(plat::kFlexibleLeftMargin | plat::kFlexibleWidth |
                      plat::kFlexibleRightMargin | plat::kFlexibleBottomMargin);
}

void MyTabbarView::addBtn(const std::vector<std::vector<std::string>>& items, int /*btnWidth*/) {
  using namespace plat;
  const size_t count = items.size();
  const double stripWidth = bounds().width;
  const double buttonHeight = bounds().height - kTopInset;
  const double n = static_cast<double>(count);
  const double width = count ? (stripWidth - 2 * kSideMargin - (2 * n - 2)) / n : 0;

  for (size_t i = 0; i < count; ++i) {
    const std::vector<std::string>& item = items[i];
    auto button = Button::create(
        ButtonType::Custom,
        {kSideMargin + static_cast<double>(i) * (width + kGap), kTopInset, width, buttonHeight});
    button->setExclusiveTouch(true);
    button->addTarget(
        this, "expandButtonClicked:",
        [this](Control& sender) { expandButtonClicked(static_cast<Button&>(sender)); },
        kTouchUpInside);
    button->setTag(kButtonTagBase + static_cast<int>(i));
    button->setBackgroundColor(Color::clear());
    button->setAutoresizingMask(buttonAutoresizing(i, count));
    addSubview(button);
    sendSubviewToBack(button.get());

    const std::string first = item.empty() ? "" : item[0];
    const Font firstFont = Font::boldSystem(14);
    if (item.size() < 2) {
      button->addSubview(titleLabel({5, 5, width - 10, buttonHeight - 5}, firstFont, first,
                                    kFirstLineTag, kFlexibleAll));
      continue;
    }
    const double firstHeight = buttonHeight / 5 * 3;
    button->addSubview(titleLabel({5, 2, width - 10, firstHeight}, firstFont, first, kFirstLineTag,
                                  kFlexibleLeftMargin | kFlexibleWidth | kFlexibleRightMargin |
                                      kFlexibleHeight | kFlexibleBottomMargin));
    button->addSubview(titleLabel({5, firstHeight, width - 10, buttonHeight - firstHeight - 2},
                                  Font::named("Helvetica", 13), item[1], kSecondLineTag,
                                  kFlexibleLeftMargin | kFlexibleWidth | kFlexibleRightMargin |
                                      kFlexibleTopMargin | kFlexibleHeight));
  }
  selectBtn(0);
}

void MyTabbarView::selectBtn(int index) {
  auto selected = guiimages::stretchable(selectImage_, kImageCap, kImageCap);
  auto normal = guiimages::stretchable(normalImage_, kImageCap, kImageCap);
  for (const auto& child : subviews()) {
    auto* button = dynamic_cast<plat::Button*>(child.get());
    if (!button) continue;
    if (button->tag() - kButtonTagBase == index) {
      button->setBackgroundImage(selected, plat::kStateNormal);
      _btnNum = index;
    } else {
      button->setBackgroundImage(normal, plat::kStateNormal);
    }
  }
}

plat::Label* MyTabbarView::titleLine(int index, int lineTag) const {
  for (const auto& child : subviews()) {
    if (child->tag() != kButtonTagBase + index || !dynamic_cast<plat::Button*>(child.get())) {
      continue;
    }
    for (const auto& line : child->subviews()) {
      if (line->tag() == lineTag) return dynamic_cast<plat::Label*>(line.get());
    }
  }
  return nullptr;
}

void MyTabbarView::changeBtnName(int index, const std::vector<std::string>& titleInfo) {
  if (titleInfo.empty()) return;
  if (plat::Label* first = titleLine(index, kFirstLineTag)) first->setText(titleInfo[0]);
  if (titleInfo.size() < 2) return;
  if (plat::Label* second = titleLine(index, kSecondLineTag)) second->setText(titleInfo[1]);
}

void MyTabbarView::changeBtnColor(int index, const plat::Color& color) {
  if (plat::Label* second = titleLine(index, kSecondLineTag)) second->setTextColor(color);
}

void MyTabbarView::expandButtonClicked(plat::Button& button) {
  int index = button.tag() - kButtonTagBase;
  if (index == _btnNum) return;
  selectBtn(index);
  if (deleage_) deleage_->selectTabBtn(index);
}
