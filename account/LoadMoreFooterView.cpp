#include "account/LoadMoreFooterView.h"

#include <algorithm>
#include <numbers>

#include "platform/draw/Image.h"
#include "platform/view/Animation.h"

namespace {

constexpr double kTurnSeconds = 0.18;
constexpr double kInsetSeconds = 0.2;
constexpr double kSettleSeconds = 0.3;  // the list closes the footer's room after a load

const plat::Color kTextColour = plat::Color::rgb255(87, 108, 137);

std::shared_ptr<plat::Label> footerLabel(const plat::Rect& frame, const plat::Font& font) {
  auto label = std::make_shared<plat::Label>(frame);
  label->setAutoresizingMask(plat::kFlexibleWidth);
  label->setFont(font);
  label->setTextColor(kTextColour);
  label->setShadowColor(plat::Color::white(0.9));
  label->setShadowOffset({0, 1});
  label->setTextAlignment(plat::TextAlignment::Center);
  label->setBackgroundColor(plat::Color::clear());
  return label;
}

}  // namespace

LoadMoreFooterView::LoadMoreFooterView(const plat::Rect& frame) : plat::View(frame) {
  setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleTopMargin);
  setBackgroundColor(plat::Color::rgb255(226, 231, 237));
  const double width = frame.width;
  lastUpdatedLabel_ = footerLabel({0, 35, width, 20}, plat::Font::system(12));
  addSubview(lastUpdatedLabel_);
  statusLabel_ = footerLabel({0, 17, width, 20}, plat::Font::boldSystem(13));
  addSubview(statusLabel_);
  arrowImage_ = std::make_shared<plat::ImageView>(plat::Rect{25, 0, 30, 55});
  arrowImage_->setContentMode(plat::ContentMode::ScaleAspectFit);
  arrowImage_->setImage(plat::Image::named("gui/blueArrow.png"));
  addSubview(arrowImage_);
  activityView_ = std::make_shared<plat::ActivityIndicatorView>(plat::ActivityIndicatorStyle::Gray);
  activityView_->setFrame({25, 27, 20, 20});
  addSubview(activityView_);
  setState(kNormal);
}

std::shared_ptr<LoadMoreFooterView> LoadMoreFooterView::addBelowRows(
    plat::ScrollView& table, LoadMoreFooterDelegate* delegate, Texts texts) {
  auto footer = std::make_shared<LoadMoreFooterView>(frameBelowRows(table));
  footer->setDelegate(delegate);
  footer->setPullUPText(std::move(texts.pullUp));
  footer->setReleaseText(std::move(texts.release));
  footer->setNoneUpdateText(std::move(texts.noneUpdate));
  footer->setLodingText(std::move(texts.loading));
  footer->setState(kNormal);
  table.addSubview(footer);
  return footer;
}

plat::Rect LoadMoreFooterView::frameBelowRows(plat::ScrollView& table) {
  // A table measures its rows when it next lays out: right after a reload its content height is
  // still the old page's, and a footer put there would cover the rows that just came.
  table.layoutIfNeeded();
  const plat::Rect bounds = table.bounds();
  return {0, std::max(table.contentSize().height, bounds.height), bounds.width, bounds.height};
}

void LoadMoreFooterView::setState(int state) {
  const bool animations = plat::Animation::enabled();
  auto still = [&](const std::function<void()>& change) {
    plat::Animation::setEnabled(false);
    change();
    plat::Animation::setEnabled(animations);
  };
  switch (state) {
    case kPulling:
      statusLabel_->setText(releaseText_);
      plat::Animation::animate(kTurnSeconds, [this] {
        arrowImage_->setTransform(plat::AffineTransform::rotation(std::numbers::pi));
      });
      break;
    case kNoMore:
      statusLabel_->setText(noneUpdateText_);
      activityView_->stopAnimating();
      still([this] {
        arrowImage_->setHidden(true);
        arrowImage_->setTransform(plat::AffineTransform::identity());
      });
      break;
    case kNormal:
      if (state_ == kPulling) {
        plat::Animation::animate(
            kTurnSeconds, [this] { arrowImage_->setTransform(plat::AffineTransform::identity()); });
      }
      statusLabel_->setText(pullUPText_);
      activityView_->stopAnimating();
      still([this] {
        arrowImage_->setHidden(false);
        if (state_ != kPulling) arrowImage_->setTransform(plat::AffineTransform::identity());
      });
      break;
    case kLoading:
      statusLabel_->setText(lodingText_);
      activityView_->startAnimating();
      still([this] { arrowImage_->setHidden(true); });
      break;
    default:
      break;
  }
  state_ = state;
}

bool LoadMoreFooterView::delegateIsLoading() {
  return delegate_ && delegate_->loadMoreFooterDataSourceIsLoading(*this);
}

bool LoadMoreFooterView::isPastEnd(const plat::ScrollView& table) {
  return table.contentOffset().y + table.bounds().height > table.contentSize().height + kThreshold;
}

void LoadMoreFooterView::loadMoreScrollViewDidScroll(plat::ScrollView& table) {
  if (state_ == kLoading) {
    table.setContentInset({0, 0, kThreshold, 0});
    return;
  }
  if (!table.isDragging()) return;
  const bool loading = delegateIsLoading();
  const double bottom = table.contentOffset().y + table.bounds().height;
  if (state_ == kPulling) {
    if (bottom < table.contentSize().height + kThreshold && table.contentOffset().y > 0 && !loading)
      setState(kNormal);
  } else if (state_ == kNormal && isPastEnd(table) && !loading) {
    setState(kPulling);
  }
  if (table.contentInset().bottom != 0) table.setContentInset({});
}

void LoadMoreFooterView::loadMoreScrollViewDidEndDragging(plat::ScrollView& table) {
  if (delegateIsLoading() || !isPastEnd(table)) return;
  if (delegate_) delegate_->loadMoreFooterDidTriggerRefresh(*this);
  setState(kLoading);
  // The inset keeps the footer in view while the page loads.
  plat::Animation::animate(kInsetSeconds, [&table] {
    table.setContentInset({0, 0, kThreshold, 0});
  });
}

void LoadMoreFooterView::loadMoreScrollViewFirstBeginDragging() {
  if (delegate_) delegate_->loadMoreFooterDidTriggerRefresh(*this);
  setState(kLoading);
}

void LoadMoreFooterView::loadMoreScrollViewDataSourceDidFinishedLoading(plat::ScrollView& table,
                                                                        int64_t isEnd) {
  plat::Animation::animate(kSettleSeconds, [&table] { table.setContentInset({}); });
  setState(isEnd != 0 ? kNoMore : kNormal);
}
