#include "platform/view/TableViewCell.h"

#include <algorithm>
#include <cmath>

#include "platform/view/TableView.h"

namespace plat {
namespace {

constexpr double kMargin = 15;
constexpr double kAccessoryWidth = 33;
constexpr double kDeleteButtonWidth = 82;
constexpr double kEditingIndent = 38;
constexpr double kReorderWidth = 38;
// A horizontal stroke this long to the left offers the row's deletion.
constexpr double kSwipeDistance = 30;
const Color kTint = Color::rgb255(0, 122, 255);

}  // namespace

TableViewCell::TableViewCell(TableViewCellStyle style, const std::string& reuseIdentifier)
    : View(Rect(0, 0, 320, 44)), style_(style), identifier_(reuseIdentifier) {
  setBackgroundColor(Color::white());
  content_ = std::make_shared<View>(bounds());
  content_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  addSubview(content_);
  image_ = std::make_shared<ImageView>();
  text_ = std::make_shared<Label>();
  content_->addSubview(image_);
  content_->addSubview(text_);
  if (style != TableViewCellStyle::Default) {
    detail_ = std::make_shared<Label>();
    content_->addSubview(detail_);
  }
  refreshLabels();
}

std::shared_ptr<TableViewCell> TableViewCell::create(TableViewCellStyle style,
                                                     const std::string& reuseIdentifier) {
  return std::make_shared<TableViewCell>(style, reuseIdentifier);
}

void TableViewCell::refreshLabels() {
  text_->setFont(Font::system(17));
  switch (style_) {
    case TableViewCellStyle::Subtitle:
      detail_->setFont(Font::system(12));
      detail_->setTextColor(Color::white(0.5));
      break;
    case TableViewCellStyle::Value1:
      detail_->setFont(Font::system(17));
      detail_->setTextColor(Color::white(0.56));
      detail_->setTextAlignment(TextAlignment::Right);
      break;
    case TableViewCellStyle::Value2:
      text_->setFont(Font::boldSystem(12));
      text_->setTextColor(kTint);
      text_->setTextAlignment(TextAlignment::Right);
      detail_->setFont(Font::system(15));
      break;
    case TableViewCellStyle::Default:
      break;
  }
}

void TableViewCell::setAccessoryType(TableViewCellAccessory type) {
  accessory_ = type;
  if (detailButton_) detailButton_->removeFromSuperview();
  detailButton_.reset();
  if (type == TableViewCellAccessory::DetailDisclosureButton) {
    detailButton_ = Button::create(ButtonType::System, Rect(0, 0, 22, 22));
    detailButton_->setTitle("i");
    detailButton_->setBorderWidth(1);
    detailButton_->setBorderColor(kTint);
    detailButton_->setCornerRadius(11);
    detailButton_->addTarget(
        this, "accessory",
        [this](Control&) {
          if (!table_ || !table_->tableDelegate()) return;
          if (auto ip = table_->indexPathForCell(this)) {
            table_->tableDelegate()->accessoryButtonTapped(*table_, *ip);
          }
        },
        kTouchUpInside);
    addSubview(detailButton_);
  }
  setNeedsLayout();
}

void TableViewCell::setAccessoryView(std::shared_ptr<View> view) {
  if (accessoryView_) accessoryView_->removeFromSuperview();
  accessoryView_ = std::move(view);
  if (accessoryView_) addSubview(accessoryView_);
  setNeedsLayout();
}

void TableViewCell::setSelectedBackgroundView(std::shared_ptr<View> view) {
  if (selectedBackground_) selectedBackground_->removeFromSuperview();
  selectedBackground_ = std::move(view);
  setSelected(selected_);
}

void TableViewCell::setSelected(bool selected, bool) {
  selected_ = selected;
  if (!selectedBackground_) return;
  bool shown = (selected_ || highlighted_) && selectionStyle_ != TableViewCellSelectionStyle::None;
  if (shown && !selectedBackground_->superview()) {
    selectedBackground_->setFrame(bounds());
    insertSubview(selectedBackground_, 0);
  } else if (!shown) {
    selectedBackground_->removeFromSuperview();
  }
}

void TableViewCell::setHighlighted(bool highlighted, bool) {
  highlighted_ = highlighted;
  setSelected(selected_);
}

void TableViewCell::setEditing(bool editing, bool) {
  editing_ = editing;
  if (editing && !editingControl_) {
    editingControl_ = Button::create(ButtonType::Custom, Rect(8, 0, 22, 22));
    editingControl_->setBackgroundColor(Color::rgb255(255, 59, 48));
    editingControl_->setCornerRadius(11);
    editingControl_->setTitle("−");
    editingControl_->addTarget(
        this, "edit",
        [this](Control&) {
          if (table_) table_->cellSwiped(*this);
        },
        kTouchUpInside);
    addSubview(editingControl_);
  } else if (!editing && editingControl_) {
    editingControl_->removeFromSuperview();
    editingControl_.reset();
  }
  if (!editing) hideDeleteConfirmation();
  setNeedsLayout();
}

namespace {

// The grip: three grey lines. While a finger drags it the row follows the finger; where the
// finger is lifted the table moves the row to.
class ReorderControl : public Control {
 public:
  explicit ReorderControl(TableViewCell* cell) : cell_(cell) {}
  bool cancelsTrackingForScroll() const override { return false; }

  void drawRect(DrawContext& context, const Rect&) override {
    Rect b = bounds();
    context.setFillColor(Color::white(0.6));
    for (int i = -1; i <= 1; ++i) context.fillRect({b.midX() - 9, b.midY() + i * 5 - 1, 18, 2});
  }
  void touchesBegan(const TouchSet& touches) override {
    if (!touches.empty()) start_ = touches.front()->location;
    startTop_ = cell_->frame().y;
  }
  void touchesMoved(const TouchSet& touches) override {
    if (touches.empty()) return;
    Rect f = cell_->frame();
    f.y = startTop_ + touches.front()->location.y - start_.y;
    cell_->setFrame(f);
    if (View* table = cell_->superview()) table->bringSubviewToFront(cell_);
  }
  void touchesEnded(const TouchSet& touches) override {
    if (touches.empty()) return;
    TableView* table = dynamic_cast<TableView*>(cell_->superview());
    if (table) table->cellDropped(*cell_, touches.front()->locationIn(table));
  }
  void touchesCancelled(const TouchSet&) override {
    Rect f = cell_->frame();
    f.y = startTop_;
    cell_->setFrame(f);
  }

 private:
  TableViewCell* cell_;
  Point start_;
  double startTop_ = 0;
};

}  // namespace

void TableViewCell::setShowsReorderControl(bool shows) {
  if (shows && !reorderControl_) {
    reorderControl_ = std::make_shared<ReorderControl>(this);
    addSubview(reorderControl_);
  } else if (!shows && reorderControl_) {
    reorderControl_->removeFromSuperview();
    reorderControl_.reset();
  }
  setNeedsLayout();
}

void TableViewCell::showDeleteConfirmation(const std::string& title) {
  hideDeleteConfirmation();
  deleteButton_ = Button::create(ButtonType::Custom);
  deleteButton_->setBackgroundColor(Color::rgb255(255, 59, 48));
  deleteButton_->setTitle(title);
  deleteButton_->setTitleColor(Color::white());
  deleteButton_->addTarget(
      this, "delete",
      [this](Control&) {
        if (table_) table_->commitDelete(*this);
      },
      kTouchUpInside);
  addSubview(deleteButton_);
  setNeedsLayout();
  layoutIfNeeded();
}

void TableViewCell::hideDeleteConfirmation() {
  if (!deleteButton_) return;
  deleteButton_->removeFromSuperview();
  deleteButton_.reset();
  setNeedsLayout();
}

void TableViewCell::prepareForReuse() {
  hideDeleteConfirmation();
  highlighted_ = false;
}

void TableViewCell::layoutSubviews() {
  Rect b = bounds();
  double left = editingControl_ ? kEditingIndent : 0;
  if (editingControl_) editingControl_->setFrame({8, (b.height - 22) / 2, 22, 22});
  double right = 0;
  View* accessory = accessoryView_ ? accessoryView_.get() : detailButton_.get();
  if (accessory) {
    Rect f = accessory->frame();
    accessory->setFrame(
        {b.width - kMargin - f.width, (b.height - f.height) / 2, f.width, f.height});
    right = f.width + kMargin + 5;
  } else if (accessory_ != TableViewCellAccessory::None) {
    right = kAccessoryWidth;
  }
  if (reorderControl_) {
    reorderControl_->setFrame({b.width - kReorderWidth, 0, kReorderWidth, b.height});
    right = kReorderWidth;
  }
  if (deleteButton_) {
    deleteButton_->setFrame({b.width - kDeleteButtonWidth, 0, kDeleteButtonWidth, b.height});
    right = kDeleteButtonWidth;
  }
  content_->setFrame({left, 0, std::max(0.0, b.width - left - right), b.height});
  if (selectedBackground_) selectedBackground_->setFrame(b);

  Rect c = content_->bounds();
  double x = kMargin;
  if (image_->image()) {
    Size s = image_->image()->size();
    double h = std::min(s.height, c.height);
    double w = s.height > 0 ? s.width * h / s.height : s.width;
    image_->setFrame({kMargin, (c.height - h) / 2, w, h});
    x = kMargin + w + kMargin;
  } else {
    image_->setFrame({});
  }
  double width = std::max(0.0, c.width - x - kMargin);
  switch (style_) {
    case TableViewCellStyle::Default:
      text_->setFrame({x, 0, width, c.height});
      break;
    case TableViewCellStyle::Value1:
      text_->setFrame({x, 0, width, c.height});
      detail_->setFrame({x, 0, width, c.height});
      break;
    case TableViewCellStyle::Value2:
      text_->setFrame({kMargin, 0, 67, c.height});
      detail_->setFrame({kMargin + 73, 0, std::max(0.0, c.width - kMargin * 2 - 73), c.height});
      break;
    case TableViewCellStyle::Subtitle: {
      double th = text_->font().lineHeight();
      double dh = detail_->text().empty() ? 0 : detail_->font().lineHeight();
      double top = (c.height - th - dh) / 2;
      text_->setFrame({x, top, width, th});
      detail_->setFrame({x, top + th, width, dh});
      break;
    }
  }
}

void TableViewCell::drawRect(DrawContext& context, const Rect&) {
  Rect b = bounds();
  bool marked = (selected_ || highlighted_) && selectionStyle_ != TableViewCellSelectionStyle::None;
  if (marked && !selectedBackground_) {
    context.setFillColor(Color::white(0.85));
    context.fillRect(b);
  }
  if (!accessoryView_ && !deleteButton_) {
    double x = b.width - kMargin - 8, y = b.height / 2;
    if (accessory_ == TableViewCellAccessory::DisclosureIndicator) {
      context.setStrokeColor(Color::white(0.78));
      context.setLineWidth(2);
      context.beginPath();
      context.moveTo({x, y - 6});
      context.lineTo({x + 6, y});
      context.lineTo({x, y + 6});
      context.strokePath();
    } else if (accessory_ == TableViewCellAccessory::Checkmark) {
      context.setStrokeColor(kTint);
      context.setLineWidth(2);
      context.beginPath();
      context.moveTo({x - 6, y});
      context.lineTo({x - 1, y + 5});
      context.lineTo({x + 8, y - 6});
      context.strokePath();
    }
  }
  if (!separatorColor_.isClear()) {
    context.setFillColor(separatorColor_);
    context.fillRect({kMargin, b.height - 0.5, b.width - kMargin, 0.5});
  }
}

void TableViewCell::touchesBegan(const TouchSet& touches) {
  if (touches.empty()) return;
  touchStart_ = touches.front()->locationIn(this);
  swiped_ = false;
  if (table_ && table_->cellsTakeSelection() && !table_->confirming_ &&
      selectionStyle_ != TableViewCellSelectionStyle::None) {
    setHighlighted(true);
  }
}

void TableViewCell::touchesMoved(const TouchSet& touches) {
  if (touches.empty() || swiped_) return;
  Point p = touches.front()->locationIn(this);
  double dx = p.x - touchStart_.x, dy = p.y - touchStart_.y;
  if (dx < -kSwipeDistance && std::fabs(dx) > 2 * std::fabs(dy)) {
    swiped_ = true;
    setHighlighted(false);
    if (table_ && !table_->isEditing()) table_->cellSwiped(*this);
  } else if (!bounds().contains(p)) {
    setHighlighted(false);
  }
}

void TableViewCell::touchesEnded(const TouchSet& touches) {
  if (touches.empty() || swiped_) return;
  if (!bounds().contains(touches.front()->locationIn(this))) {
    setHighlighted(false);
    return;
  }
  if (table_) table_->cellTapped(*this);
}

void TableViewCell::touchesCancelled(const TouchSet&) {
  setHighlighted(false);
}

}  // namespace plat
