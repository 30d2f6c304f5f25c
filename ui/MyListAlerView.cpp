#include "ui/MyListAlerView.h"

#include "platform/base/RunLoop.h"
#include "platform/view/Animation.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "ui/GuiImages.h"
#include "ui/SharedOverlay.h"

namespace {

constexpr double kRowPitch = 25;
constexpr double kRowTop = 40;
constexpr double kRowHeight = 20;
constexpr double kBoxPadding = 80;
const std::string kHideKey = "hideView";

std::shared_ptr<plat::Label> rowLabel(const plat::Rect& frame, plat::TextAlignment alignment,
                                      int tag, unsigned autoresizing) {
  auto label = std::make_shared<plat::Label>(frame);
  label->setFont(plat::Font::system(14));
  label->setAdjustsFontSizeToFitWidth(true);
  label->setTextAlignment(alignment);
  label->setTextColor(plat::Color::black());
  label->setBackgroundColor(plat::Color::clear());
  label->setTag(tag);
  label->setAutoresizingMask(autoresizing);
  return label;
}

}  // namespace

MyListAlerView::MyListAlerView(const plat::Rect& frame) : View(frame) {
  setAutoresizingMask(plat::kFlexibleAll);
  setBackgroundColor(plat::Color::black().withAlpha(0.4));
  setAlpha(0);
}

MyListAlerView::~MyListAlerView() {
  plat::RunLoop::main().cancelPerforms(this);
}

std::shared_ptr<MyListAlerView> MyListAlerView::sharedAler() {
  return sharedoverlay::find<MyListAlerView>(kTag);
}

void MyListAlerView::initShowList(const std::vector<std::string>& titles) {
  plat::RunLoop::main().cancelPerforms(this, kHideKey);
  removeAllAnimations();
  showList_ = RowTags{};
  if (dataView_) dataView_->removeFromSuperview();

  const size_t count = titles.size();
  auto box = std::make_shared<plat::View>(
      plat::Rect{0, 0, showSize_.width, static_cast<double>(count) * kRowPitch + kBoxPadding});
  box->setAutoresizingMask(plat::kFlexibleLeftMargin | plat::kFlexibleRightMargin |
                           plat::kFlexibleTopMargin | plat::kFlexibleBottomMargin);
  addSubview(box);
  box->setCenter({bounds().width / 2, bounds().height / 2});

  auto background = std::make_shared<plat::ImageView>(box->bounds());
  background->setImage(guiimages::stretchable("gui/aler.png", 50, 50));
  background->setAutoresizingMask(plat::kFlexibleAll);
  background->setAlpha(0.95);
  box->addSubview(background);

  for (size_t i = 0; i < count; ++i) {
    auto row = makeRow(titles[i], i, count);
    (*showList_)[titles[i]] = row->tag();
    box->addSubview(row);
  }
  dataView_ = box;
}

std::shared_ptr<plat::View> MyListAlerView::makeRow(const std::string& title, size_t index,
                                                    size_t count) const {
  using namespace plat;
  auto row = std::make_shared<View>(
      Rect{0, kRowTop + kRowPitch * static_cast<double>(index), showSize_.width, kRowHeight});
  unsigned mask = kFlexibleRightMargin | kFlexibleHeight;
  if (index == 0) {
    mask |= kFlexibleBottomMargin;
  } else if (index + 1 == count) {
    mask |= kFlexibleTopMargin;
  } else {
    mask |= kFlexibleTopMargin | kFlexibleBottomMargin;
  }
  row->setAutoresizingMask(mask);

  const unsigned both =
      kFlexibleWidth | kFlexibleTopMargin | kFlexibleHeight | kFlexibleBottomMargin;
  auto titleLabel = rowLabel({12, 0, 103, kRowHeight}, TextAlignment::Right, kTitleTag,
                             both | kFlexibleRightMargin);
  titleLabel->setText(title);
  row->addSubview(titleLabel);
  double valueX = titleLabel->frame().x + titleLabel->frame().width + 5;
  row->addSubview(rowLabel({valueX, 0, 120, kRowHeight}, TextAlignment::Center, kValueTag,
                           both | kFlexibleLeftMargin));
  row->setTag(kRowTagBase + static_cast<int>(index));
  return row;
}

void MyListAlerView::AlerListChange(const std::string& title, const std::string& value) {
  // Looked up first: an unknown title hides the panel without a fade-in flashing it first.
  const int* tag = nullptr;
  if (showList_) {
    auto found = showList_->find(title);
    if (found != showList_->end()) tag = &found->second;
  }
  if (!tag) {
    hideAtOnce();
    return;
  }
  if (alpha() == 0) {
    plat::Animation::animate(kFadeSeconds, 0, plat::AnimationCurve::EaseInOut,
                             [this] { setAlpha(1); });
  }
  View* row = dataView_ ? dataView_->viewWithTag(*tag) : nullptr;
  auto* valueLabel = row ? dynamic_cast<plat::Label*>(row->viewWithTag(kValueTag)) : nullptr;
  if (valueLabel) valueLabel->setText(value);
}

void MyListAlerView::AlerListHide(bool animated) {
  if (animated) {
    std::weak_ptr<View> weak = weak_from_this();
    plat::RunLoop::main().performAfter(kHideDelaySeconds, this, kHideKey, [weak] {
      if (auto self = std::static_pointer_cast<MyListAlerView>(weak.lock())) self->hideView();
    });
  } else {
    hideAtOnce();
  }
  showList_.reset();
}

void MyListAlerView::hideView() {
  plat::Animation::animate(kFadeSeconds, 0, plat::AnimationCurve::EaseInOut,
                           [this] { setAlpha(0); });
}

void MyListAlerView::hideAtOnce() {
  // A fade-in still running would otherwise keep drawing the panel after its alpha is 0.
  removeAllAnimations();
  setAlpha(0);
}
