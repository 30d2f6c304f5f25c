// The progress panel: a dimmed full-screen layer with a centred box of rows, each a title on the
// left and a value on the right, updated while long work runs and hidden when it ends. One per
// root view.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/view/View.h"

class MyListAlerView : public plat::View {
 public:
  static constexpr int kTag = 1235;
  static constexpr int kRowTagBase = 100;
  static constexpr int kTitleTag = 1;
  static constexpr int kValueTag = 2;
  static constexpr double kFadeSeconds = 0.7;
  static constexpr double kHideDelaySeconds = 1.5;

  // Title -> tag of its row in the box.
  using RowTags = std::map<std::string, int>;

  explicit MyListAlerView(const plat::Rect& frame);
  ~MyListAlerView() override;

  // The panel of the key window's root view, made there on first use.
  static std::shared_ptr<MyListAlerView> sharedAler();

  // A new box with one row per title; the panel stays as it is (hidden until a value comes).
  void initShowList(const std::vector<std::string>& titles);
  // Shows the panel and sets the value of the row titled `title`.
  void AlerListChange(const std::string& title, const std::string& value);
  // Hides the panel at once, or (animated) fades it out after a short delay; forgets the list.
  void AlerListHide(bool animated);
  void hideView();

  plat::Size showSize() const { return showSize_; }
  const std::shared_ptr<plat::View>& dataView() const { return dataView_; }
  void setDataView(std::shared_ptr<plat::View> view) { dataView_ = std::move(view); }
  // Empty while no list is shown.
  const std::optional<RowTags>& showList() const { return showList_; }
  void setShowList(std::optional<RowTags> list) { showList_ = std::move(list); }

 private:
  void hideAtOnce();
  std::shared_ptr<plat::View> makeRow(const std::string& title, size_t index, size_t count) const;

  plat::Size showSize_{250, 100};
  std::shared_ptr<plat::View> dataView_;
  std::optional<RowTags> showList_;
};
