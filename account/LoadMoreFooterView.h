// The footer at the end of a paged list: pulling the list up past its end and letting go asks the
// list screen for the next page; the footer shows a spinner while the page loads and afterwards
// its pull-up or its nothing-more text. It knows nothing of pages: the list screen decides whether
// a load starts and tells the footer when it ended.
#pragma once

#include <memory>
#include <string>

#include "platform/view/ActivityIndicatorView.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/ScrollView.h"
#include "platform/view/View.h"

class LoadMoreFooterView;

class LoadMoreFooterDelegate {
 public:
  virtual ~LoadMoreFooterDelegate() = default;
  virtual void loadMoreFooterDidTriggerRefresh(LoadMoreFooterView&) {}
  virtual bool loadMoreFooterDataSourceIsLoading(LoadMoreFooterView&) { return false; }
};

class LoadMoreFooterView : public plat::View {
 public:
  // How far past its end the list must be pulled before letting go loads.
  static constexpr double kThreshold = 65;

  enum State { kPulling = 0, kNoMore = 1, kNormal = 2, kLoading = 3 };

  explicit LoadMoreFooterView(const plat::Rect& frame);

  void setState(int state);
  int state() const { return state_; }

  void loadMoreScrollViewDidScroll(plat::ScrollView& table);
  void loadMoreScrollViewDidEndDragging(plat::ScrollView& table);
  // The list's first load: the delegate is triggered and the spinner shows; the insets stay.
  void loadMoreScrollViewFirstBeginDragging();
  void loadMoreScrollViewDataSourceDidFinishedLoading(plat::ScrollView& table, int64_t isEnd);
  // The footer shows no date.
  void refreshLastUpdatedDate() {}

  // Puts the footer just below the table's last row (the table's own height when it is short).
  static plat::Rect frameBelowRows(plat::ScrollView& table);

  struct Texts {
    std::string pullUp, release, noneUpdate, loading;
  };
  // A footer in its normal state added to `table` below its rows, telling `delegate`.
  static std::shared_ptr<LoadMoreFooterView> addBelowRows(plat::ScrollView& table,
                                                          LoadMoreFooterDelegate* delegate,
                                                          Texts texts);

  LoadMoreFooterDelegate* delegate() const { return delegate_; }
  void setDelegate(LoadMoreFooterDelegate* delegate) { delegate_ = delegate; }
  void setPullUPText(std::string text) { pullUPText_ = std::move(text); }
  void setReleaseText(std::string text) { releaseText_ = std::move(text); }
  void setNoneUpdateText(std::string text) { noneUpdateText_ = std::move(text); }
  void setLodingText(std::string text) { lodingText_ = std::move(text); }
  const std::string& pullUPText() const { return pullUPText_; }
  const std::string& releaseText() const { return releaseText_; }
  const std::string& noneUpdateText() const { return noneUpdateText_; }
  const std::string& lodingText() const { return lodingText_; }

  plat::Label& statusLabel() const { return *statusLabel_; }
  plat::ImageView& arrowImage() const { return *arrowImage_; }
  plat::ActivityIndicatorView& activityView() const { return *activityView_; }

 private:
  bool delegateIsLoading();
  static bool isPastEnd(const plat::ScrollView& table);

  LoadMoreFooterDelegate* delegate_ = nullptr;
  int state_ = kNormal;
  std::shared_ptr<plat::Label> lastUpdatedLabel_;
  std::shared_ptr<plat::Label> statusLabel_;
  std::shared_ptr<plat::ImageView> arrowImage_;
  std::shared_ptr<plat::ActivityIndicatorView> activityView_;
  std::string pullUPText_, releaseText_, noneUpdateText_, lodingText_;
};
