// A row of a table view: a content view holding an image, a text label and (except in the
// default style) a detail label laid out by the cell style; an accessory (disclosure chevron,
// check mark, detail button or a view of the caller's); selected and highlighted looks; the
// delete confirmation of swipe-to-delete. Cells are reused by identifier.
#pragma once

#include <memory>
#include <string>

#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/View.h"

namespace plat {

class TableView;

enum class TableViewCellStyle { Default, Value1, Value2, Subtitle };
enum class TableViewCellAccessory { None, DisclosureIndicator, DetailDisclosureButton, Checkmark };
enum class TableViewCellSelectionStyle { None, Blue, Gray, Default };

class TableViewCell : public View {
 public:
  TableViewCell(TableViewCellStyle style, const std::string& reuseIdentifier);
  static std::shared_ptr<TableViewCell> create(TableViewCellStyle style,
                                               const std::string& reuseIdentifier);

  TableViewCellStyle style() const { return style_; }
  const std::string& reuseIdentifier() const { return identifier_; }
  View& contentView() { return *content_; }
  Label& textLabel() { return *text_; }
  const Label& textLabel() const { return *text_; }
  Label* detailTextLabel() { return detail_.get(); }  // null in the default style
  ImageView& imageView() { return *image_; }

  TableViewCellAccessory accessoryType() const { return accessory_; }
  void setAccessoryType(TableViewCellAccessory type);
  const std::shared_ptr<View>& accessoryView() const { return accessoryView_; }
  void setAccessoryView(std::shared_ptr<View> view);
  TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(TableViewCellSelectionStyle style) { selectionStyle_ = style; }
  const std::shared_ptr<View>& selectedBackgroundView() const { return selectedBackground_; }
  void setSelectedBackgroundView(std::shared_ptr<View> view);

  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected, bool animated = false);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted, bool animated = false);
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool animated = false);
  // The grip at the row's right end that a finger drags to move the row (editing mode).
  bool showsReorderControl() const { return reorderControl_ != nullptr; }
  void setShowsReorderControl(bool shows);
  View* reorderControl() const { return reorderControl_.get(); }
  bool showingDeleteConfirmation() const { return deleteButton_ != nullptr; }
  Button* deleteConfirmationButton() const { return deleteButton_.get(); }

  // Called before the cell is handed out again by dequeueReusableCell.
  virtual void prepareForReuse();

  void layoutSubviews() override;
  void drawRect(DrawContext& context, const Rect& rect) override;
  void touchesBegan(const TouchSet& touches) override;
  void touchesMoved(const TouchSet& touches) override;
  void touchesEnded(const TouchSet& touches) override;
  void touchesCancelled(const TouchSet& touches) override;
  std::string displayedText() const override { return text_->text(); }

 private:
  friend class TableView;
  void showDeleteConfirmation(const std::string& title);
  void hideDeleteConfirmation();
  void refreshLabels();

  TableViewCellStyle style_;
  std::string identifier_;
  std::shared_ptr<View> content_;
  std::shared_ptr<Label> text_;
  std::shared_ptr<Label> detail_;
  std::shared_ptr<ImageView> image_;
  TableViewCellAccessory accessory_ = TableViewCellAccessory::None;
  std::shared_ptr<View> accessoryView_;
  std::shared_ptr<Button> detailButton_;
  std::shared_ptr<View> selectedBackground_;
  std::shared_ptr<Button> deleteButton_;
  std::shared_ptr<Button> editingControl_;
  std::shared_ptr<View> reorderControl_;
  TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Default;
  bool selected_ = false;
  bool highlighted_ = false;
  bool editing_ = false;
  // Set by the table that shows the cell.
  TableView* table_ = nullptr;
  Color separatorColor_ = Color::clear();
  Point touchStart_;
  bool swiped_ = false;
};

}  // namespace plat
