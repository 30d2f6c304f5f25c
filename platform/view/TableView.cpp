#include "platform/view/TableView.h"

#include <algorithm>
#include <set>

#include "platform/base/NamedException.h"

namespace plat {
namespace {

const std::string kInconsistency = "NSInternalInconsistencyException";
// Cells kept for reuse per identifier; more than a screenful is never needed.
constexpr size_t kReusePoolLimit = 64;

std::string describe(const IndexPath& ip) {
  return "section " + std::to_string(ip.section) + " row " + std::to_string(ip.row);
}

int countIn(const std::vector<IndexPath>& rows, int section) {
  return int(std::count_if(rows.begin(), rows.end(),
                           [&](const IndexPath& ip) { return ip.section == section; }));
}

}  // namespace

TableView::TableView(const Rect& frame, TableViewStyle style)
    : ScrollView(frame),
      style_(style),
      headerHeight_(style == TableViewStyle::Plain ? 22 : 28),
      footerHeight_(style == TableViewStyle::Plain ? 22 : 10) {
  setAlwaysBounceVertical(true);
  setBackgroundColor(style == TableViewStyle::Plain ? Color::white() : Color::white(0.94));
}

TableView::~TableView() {
  for (const auto& [ip, cell] : visible_) cell->table_ = nullptr;
  for (const auto& [id, pool] : reuse_) {
    for (const auto& cell : pool) cell->table_ = nullptr;
  }
}

void TableView::setDataSource(TableViewDataSource* dataSource) {
  dataSource_ = dataSource;
  reloadData();
}

void TableView::setTableDelegate(TableViewDelegate* delegate) {
  tableDelegate_ = delegate;
  setDelegate(delegate);
  reloadData();
}

void TableView::setRowHeight(double height) {
  rowHeight_ = height;
  reloadData();
}
void TableView::setSectionHeaderHeight(double height) {
  headerHeight_ = height;
  reloadData();
}
void TableView::setSectionFooterHeight(double height) {
  footerHeight_ = height;
  reloadData();
}

void TableView::setSeparatorStyle(TableViewSeparatorStyle style) {
  separatorStyle_ = style;
  setNeedsLayout();
}

void TableView::setSeparatorColor(const Color& color) {
  separatorColor_ = color;
  setNeedsLayout();
}

void TableView::setTableHeaderView(std::shared_ptr<View> view) {
  if (tableHeader_) tableHeader_->removeFromSuperview();
  tableHeader_ = std::move(view);
  if (tableHeader_) addSubview(tableHeader_);
  needsReload_ = true;
  setNeedsLayout();
}

void TableView::setTableFooterView(std::shared_ptr<View> view) {
  if (tableFooter_) tableFooter_->removeFromSuperview();
  tableFooter_ = std::move(view);
  if (tableFooter_) addSubview(tableFooter_);
  needsReload_ = true;
  setNeedsLayout();
}

void TableView::setEditing(bool editing, bool animated) {
  editing_ = editing;
  hideDeleteConfirmation();
  for (const auto& [ip, cell] : visible_) {
    bool editable = editing && dataSource_ && dataSource_->canEditRow(*this, ip);
    cell->setEditing(editable, animated);
    cell->setShowsReorderControl(editing && dataSource_ && dataSource_->canMoveRow(*this, ip));
  }
}

// ---- Geometry

void TableView::ensureGeometry() {
  if (needsReload_) computeGeometry();
}

void TableView::computeGeometry() {
  needsReload_ = false;
  sections_.clear();
  double y = tableHeader_ ? tableHeader_->frame().height : 0;
  int count = dataSource_ ? dataSource_->numberOfSections(*this) : 0;
  if (count < 0) {
    throw NamedException(kInconsistency,
                         "the table's data source answered " + std::to_string(count) + " sections");
  }
  for (int s = 0; s < count; ++s) {
    Section section;
    section.headerTitle = dataSource_->titleForHeader(*this, s);
    section.footerTitle = dataSource_->titleForFooter(*this, s);
    std::optional<double> header =
        tableDelegate_ ? tableDelegate_->heightForHeader(*this, s) : std::nullopt;
    section.headerTop = y;
    section.headerHeight =
        std::max(0.0, header.value_or(section.headerTitle.empty() ? 0 : headerHeight_));
    y += section.headerHeight;
    int rows = dataSource_->numberOfRows(*this, s);
    if (rows < 0) {
      throw NamedException(kInconsistency, "the table's data source answered " +
                                               std::to_string(rows) + " rows for section " +
                                               std::to_string(s));
    }
    section.rowTops.reserve(size_t(rows));
    section.rowHeights.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) {
      std::optional<double> h =
          tableDelegate_ ? tableDelegate_->heightForRow(*this, {s, r}) : std::nullopt;
      double height = std::max(0.0, h.value_or(rowHeight_));
      section.rowTops.push_back(y);
      section.rowHeights.push_back(height);
      y += height;
    }
    std::optional<double> footer =
        tableDelegate_ ? tableDelegate_->heightForFooter(*this, s) : std::nullopt;
    section.footerTop = y;
    section.footerHeight =
        std::max(0.0, footer.value_or(section.footerTitle.empty() ? 0 : footerHeight_));
    y += section.footerHeight;
    sections_.push_back(std::move(section));
  }
  contentHeight_ = y + (tableFooter_ ? tableFooter_->frame().height : 0);
  setContentSize({bounds().width, contentHeight_});
  setNeedsLayout();
}

int TableView::numberOfSections() {
  ensureGeometry();
  return int(sections_.size());
}

int TableView::numberOfRows(int section) {
  ensureGeometry();
  if (section < 0 || section >= int(sections_.size())) return 0;
  return int(sections_[size_t(section)].rowTops.size());
}

void TableView::requireRow(const IndexPath& ip, const char* operation) {
  ensureGeometry();
  if (ip.section < 0 || ip.section >= int(sections_.size()) || ip.row < 0 ||
      ip.row >= int(sections_[size_t(ip.section)].rowTops.size())) {
    throw NamedException(kInconsistency,
                         std::string(operation) + ": " + describe(ip) + " is not in the table");
  }
}

Rect TableView::rectForRow(const IndexPath& ip) {
  requireRow(ip, "rectForRow");
  const Section& s = sections_[size_t(ip.section)];
  return {0, s.rowTops[size_t(ip.row)], bounds().width, s.rowHeights[size_t(ip.row)]};
}

Rect TableView::rectForHeader(int section) {
  ensureGeometry();
  if (section < 0 || section >= int(sections_.size())) return {};
  const Section& s = sections_[size_t(section)];
  return {0, s.headerTop, bounds().width, s.headerHeight};
}

Rect TableView::rectForFooter(int section) {
  ensureGeometry();
  if (section < 0 || section >= int(sections_.size())) return {};
  const Section& s = sections_[size_t(section)];
  return {0, s.footerTop, bounds().width, s.footerHeight};
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point p) {
  ensureGeometry();
  for (size_t s = 0; s < sections_.size(); ++s) {
    const Section& section = sections_[s];
    auto it = std::upper_bound(section.rowTops.begin(), section.rowTops.end(), p.y);
    if (it == section.rowTops.begin()) continue;
    size_t r = size_t(it - section.rowTops.begin()) - 1;
    if (p.y < section.rowTops[r] + section.rowHeights[r]) return IndexPath{int(s), int(r)};
  }
  return std::nullopt;
}

void TableView::cellDropped(TableViewCell& cell, Point p) {
  std::optional<IndexPath> from = indexPathForCell(&cell);
  if (!from || !dataSource_) return;
  ensureGeometry();
  const Section& section = sections_[size_t(from->section)];
  if (section.rowTops.empty()) return;
  // A drop above or below the section's rows goes to its first or last row.
  int row = int(section.rowTops.size()) - 1;
  while (row > 0 && p.y < section.rowTops[size_t(row)]) --row;
  IndexPath to{from->section, row};
  if (to != *from) dataSource_->moveRow(*this, *from, to);
  reloadData();
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell* cell) const {
  for (const auto& [ip, c] : visible_) {
    if (c.get() == cell) return ip;
  }
  return std::nullopt;
}

// ---- Cells

TableViewCell* TableView::cellForRow(const IndexPath& ip) {
  layoutIfNeeded();
  auto found = visible_.find(ip);
  return found == visible_.end() ? nullptr : found->second.get();
}

std::vector<TableViewCell*> TableView::visibleCells() {
  layoutIfNeeded();
  std::vector<TableViewCell*> cells;
  for (const auto& [ip, cell] : visible_) cells.push_back(cell.get());
  return cells;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() {
  layoutIfNeeded();
  std::vector<IndexPath> rows;
  for (const auto& [ip, cell] : visible_) rows.push_back(ip);
  return rows;
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& identifier) {
  auto found = reuse_.find(identifier);
  if (found == reuse_.end() || found->second.empty()) return nullptr;
  std::shared_ptr<TableViewCell> cell = found->second.back();
  found->second.pop_back();
  cell->prepareForReuse();
  return cell;
}

void TableView::enqueueAll() {
  hideDeleteConfirmation();
  for (auto& [ip, cell] : visible_) {
    cell->removeFromSuperview();
    cell->setHighlighted(false);
    auto& pool = reuse_[cell->reuseIdentifier()];
    if (!cell->reuseIdentifier().empty() && pool.size() < kReusePoolLimit) pool.push_back(cell);
  }
  visible_.clear();
  for (auto& [key, view] : sectionViews_) view->removeFromSuperview();
  sectionViews_.clear();
}

void TableView::layoutSubviews() {
  ensureGeometry();
  Rect b = bounds();
  if (contentSize().width != b.width) setContentSize({b.width, contentHeight_});
  if (background_) {
    background_->setFrame(b);
    if (background_->superview() != this) insertSubview(background_, 0);
  }
  if (tableHeader_) tableHeader_->setFrame({0, 0, b.width, tableHeader_->frame().height});
  if (tableFooter_) {
    double top = sections_.empty() ? (tableHeader_ ? tableHeader_->frame().height : 0)
                                   : sections_.back().footerTop + sections_.back().footerHeight;
    tableFooter_->setFrame({0, top, b.width, tableFooter_->frame().height});
  }
  layoutCells();
}

void TableView::layoutCells() {
  Rect visible = bounds();
  std::set<IndexPath> needed;
  for (size_t s = 0; s < sections_.size(); ++s) {
    const Section& section = sections_[s];
    auto first = std::upper_bound(section.rowTops.begin(), section.rowTops.end(), visible.minY());
    size_t r = first == section.rowTops.begin() ? 0 : size_t(first - section.rowTops.begin()) - 1;
    for (; r < section.rowTops.size() && section.rowTops[r] < visible.maxY(); ++r) {
      if (section.rowTops[r] + section.rowHeights[r] > visible.minY()) {
        needed.insert({int(s), int(r)});
      }
    }
  }
  for (auto it = visible_.begin(); it != visible_.end();) {
    if (needed.count(it->first)) {
      ++it;
      continue;
    }
    std::shared_ptr<TableViewCell> cell = it->second;
    it = visible_.erase(it);
    if (cell.get() == confirming_) hideDeleteConfirmation();
    cell->removeFromSuperview();
    cell->setHighlighted(false);
    auto& pool = reuse_[cell->reuseIdentifier()];
    if (!cell->reuseIdentifier().empty() && pool.size() < kReusePoolLimit) pool.push_back(cell);
  }
  Color separator =
      separatorStyle_ == TableViewSeparatorStyle::None ? Color::clear() : separatorColor_;
  for (const IndexPath& ip : needed) {
    const Section& section = sections_[size_t(ip.section)];
    Rect frame(0, section.rowTops[size_t(ip.row)], visible.width,
               section.rowHeights[size_t(ip.row)]);
    auto found = visible_.find(ip);
    if (found != visible_.end()) {
      found->second->setFrame(frame);
      continue;
    }
    std::shared_ptr<TableViewCell> cell = dataSource_->cellForRow(*this, ip);
    if (!cell) {
      throw NamedException(kInconsistency,
                           "the table's data source returned no cell for " + describe(ip));
    }
    cell->table_ = this;
    cell->separatorColor_ = separator;
    cell->setFrame(frame);
    cell->setSelected(selected_ == ip);
    cell->setEditing(editing_ && dataSource_->canEditRow(*this, ip));
    cell->setShowsReorderControl(editing_ && dataSource_->canMoveRow(*this, ip));
    visible_[ip] = cell;
    insertSubview(cell, background_ ? 1 : 0);
    if (tableDelegate_) tableDelegate_->willDisplayCell(*this, *cell, ip);
  }
  layoutSectionViews(visible);
}

std::shared_ptr<View> TableView::sectionView(int section, bool header) {
  auto key = std::make_pair(section, header);
  auto found = sectionViews_.find(key);
  if (found != sectionViews_.end()) return found->second;
  std::shared_ptr<View> view;
  if (tableDelegate_) {
    view = header ? tableDelegate_->viewForHeader(*this, section)
                  : tableDelegate_->viewForFooter(*this, section);
  }
  if (!view) {
    const Section& s = sections_[size_t(section)];
    const std::string& title = header ? s.headerTitle : s.footerTitle;
    auto box = std::make_shared<View>();
    if (style_ == TableViewStyle::Plain) box->setBackgroundColor(Color::white(0.97));
    auto label = std::make_shared<Label>(Rect(15, 0, 0, 0));
    label->setText(title);
    label->setFont(header ? Font::boldSystem(style_ == TableViewStyle::Plain ? 17 : 14)
                          : Font::system(13));
    label->setTextColor(style_ == TableViewStyle::Plain ? Color::black() : Color::white(0.43));
    label->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
    box->addSubview(label);
    view = box;
  }
  sectionViews_[key] = view;
  return view;
}

void TableView::layoutSectionViews(const Rect& visible) {
  for (size_t s = 0; s < sections_.size(); ++s) {
    for (bool header : {true, false}) {
      Rect r = header ? rectForHeader(int(s)) : rectForFooter(int(s));
      if (r.height <= 0 || !r.intersects(visible)) continue;
      std::shared_ptr<View> view = sectionView(int(s), header);
      view->setFrame(r);
      for (const auto& child : view->subviews()) {
        if (auto* label = dynamic_cast<Label*>(child.get())) {
          label->setFrame({15, 0, std::max(0.0, r.width - 30), r.height});
        }
      }
      if (view->superview() != this) addSubview(view);
      bringSubviewToFront(view.get());
    }
  }
}

void TableView::contentOffsetChanged() {
  setNeedsLayout();
  hideDeleteConfirmation();
}

// ---- Reloading and updates

void TableView::reloadData() {
  enqueueAll();
  selected_.reset();
  needsReload_ = true;
  setNeedsLayout();
}

void TableView::checkUpdate(const Update& u) {
  size_t oldSections = sections_.size();
  int newSections = dataSource_ ? dataSource_->numberOfSections(*this) : 0;
  int expectedSections =
      int(oldSections) + int(u.insertedSections.size()) - int(u.deletedSections.size());
  if (newSections != expectedSections) {
    throw NamedException(kInconsistency, "invalid table update: " + std::to_string(newSections) +
                                             " sections after it, but " +
                                             std::to_string(oldSections) + " before it plus " +
                                             std::to_string(u.insertedSections.size()) +
                                             " inserted minus " +
                                             std::to_string(u.deletedSections.size()) + " deleted");
  }
  if (!u.insertedSections.empty() || !u.deletedSections.empty()) return;
  for (int s = 0; s < newSections; ++s) {
    int before = int(sections_[size_t(s)].rowTops.size());
    int after = dataSource_->numberOfRows(*this, s);
    int inserted = countIn(u.insertedRows, s), deleted = countIn(u.deletedRows, s);
    if (after != before + inserted - deleted) {
      throw NamedException(
          kInconsistency,
          "invalid table update in section " + std::to_string(s) + ": " + std::to_string(after) +
              " rows after it, but " + std::to_string(before) + " before it plus " +
              std::to_string(inserted) + " inserted minus " + std::to_string(deleted) + " deleted");
    }
  }
  for (const IndexPath& ip : u.deletedRows) {
    if (ip.section < 0 || ip.section >= int(oldSections) || ip.row < 0 ||
        ip.row >= int(sections_[size_t(ip.section)].rowTops.size())) {
      throw NamedException(kInconsistency,
                           "deleting " + describe(ip) + ", which is not in the table");
    }
  }
  for (const IndexPath& ip : u.insertedRows) {
    if (ip.section < 0 || ip.section >= newSections || ip.row < 0 ||
        ip.row >= dataSource_->numberOfRows(*this, ip.section)) {
      throw NamedException(kInconsistency, "inserting " + describe(ip) + " beyond the new rows");
    }
  }
}

void TableView::applyUpdate(const Update& u) {
  if (needsReload_) {  // a reload was asked for already: the counts are read afresh anyway
    setNeedsLayout();
    return;
  }
  checkUpdate(u);
  enqueueAll();
  selected_.reset();
  computeGeometry();
}

void TableView::beginUpdates() {
  if (updateDepth_++ == 0) pending_ = Update{};
}

void TableView::endUpdates() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  Update u = std::move(*pending_);
  pending_.reset();
  applyUpdate(u);
}

void TableView::update(Update u) {
  if (!pending_) {
    applyUpdate(u);
    return;
  }
  auto append = [](auto& into, const auto& from) {
    into.insert(into.end(), from.begin(), from.end());
  };
  append(pending_->insertedRows, u.insertedRows);
  append(pending_->deletedRows, u.deletedRows);
  append(pending_->insertedSections, u.insertedSections);
  append(pending_->deletedSections, u.deletedSections);
}

void TableView::insertRows(const std::vector<IndexPath>& rows, TableViewRowAnimation) {
  update({rows, {}, {}, {}});
}

void TableView::deleteRows(const std::vector<IndexPath>& rows, TableViewRowAnimation) {
  update({{}, rows, {}, {}});
}

void TableView::insertSections(const std::vector<int>& sections, TableViewRowAnimation) {
  update({{}, {}, sections, {}});
}

void TableView::deleteSections(const std::vector<int>& sections, TableViewRowAnimation) {
  update({{}, {}, {}, sections});
}

void TableView::reloadRows(const std::vector<IndexPath>& rows, TableViewRowAnimation) {
  for (const IndexPath& ip : rows) requireRow(ip, "reloadRows");
  if (!pending_) applyUpdate(Update{});
}

void TableView::reloadSections(const std::vector<int>&, TableViewRowAnimation) {
  if (!pending_) applyUpdate(Update{});
}

// ---- Scrolling and selection

void TableView::scrollToRow(const IndexPath& ip, TableViewScrollPosition position, bool animated) {
  Rect row = rectForRow(ip);
  Rect b = bounds();
  double y = b.y;
  switch (position) {
    case TableViewScrollPosition::Top:
      y = row.y;
      break;
    case TableViewScrollPosition::Middle:
      y = row.midY() - b.height / 2;
      break;
    case TableViewScrollPosition::Bottom:
      y = row.maxY() - b.height;
      break;
    case TableViewScrollPosition::None:
      if (row.y < b.y) y = row.y;
      if (row.maxY() > b.maxY()) y = row.maxY() - b.height;
      break;
  }
  y = std::clamp(y, minimumOffset().y, maximumOffset().y);
  setContentOffset({b.x, y}, animated);
}

void TableView::selectRow(std::optional<IndexPath> ip, bool animated,
                          TableViewScrollPosition position) {
  if (!ip) {
    if (selected_) deselectRow(*selected_, animated);
    return;
  }
  requireRow(*ip, "selectRow");
  if (selected_ && *selected_ != *ip) deselectRow(*selected_, animated);
  selected_ = ip;
  if (auto found = visible_.find(*ip); found != visible_.end()) found->second->setSelected(true);
  if (position != TableViewScrollPosition::None) scrollToRow(*ip, position, animated);
}

void TableView::deselectRow(const IndexPath& ip, bool animated) {
  if (selected_ != ip) return;
  selected_.reset();
  if (auto found = visible_.find(ip); found != visible_.end()) {
    found->second->setSelected(false, animated);
  }
}

bool TableView::cellsTakeSelection() const {
  return editing_ ? allowsSelectionDuringEditing_ : allowsSelection_;
}

void TableView::cellTapped(TableViewCell& cell) {
  cell.setHighlighted(false);
  if (confirming_) {  // a tap elsewhere only puts the delete button away
    hideDeleteConfirmation();
    return;
  }
  if (!cellsTakeSelection()) return;
  std::optional<IndexPath> ip = indexPathForCell(&cell);
  if (!ip) return;
  std::optional<IndexPath> target = tableDelegate_ ? tableDelegate_->willSelectRow(*this, *ip) : ip;
  if (!target) return;
  if (selected_ && *selected_ != *target) {
    IndexPath old = *selected_;
    deselectRow(old, false);
    if (tableDelegate_) tableDelegate_->didDeselectRow(*this, old);
  }
  selected_ = target;
  if (auto found = visible_.find(*target); found != visible_.end()) {
    found->second->setSelected(true);
  }
  if (tableDelegate_) tableDelegate_->didSelectRow(*this, *target);
}

void TableView::cellSwiped(TableViewCell& cell) {
  std::optional<IndexPath> ip = indexPathForCell(&cell);
  if (!ip || !dataSource_ || !dataSource_->canEditRow(*this, *ip)) return;
  TableViewCellEditingStyle style = tableDelegate_ ? tableDelegate_->editingStyleForRow(*this, *ip)
                                                   : TableViewCellEditingStyle::Delete;
  if (style != TableViewCellEditingStyle::Delete) return;
  hideDeleteConfirmation();
  cell.showDeleteConfirmation(
      tableDelegate_ ? tableDelegate_->titleForDeleteConfirmationButton(*this, *ip) : "删除");
  confirming_ = &cell;
}

void TableView::commitDelete(TableViewCell& cell) {
  std::optional<IndexPath> ip = indexPathForCell(&cell);
  hideDeleteConfirmation();
  if (ip && dataSource_) {
    dataSource_->commitEditingStyle(*this, TableViewCellEditingStyle::Delete, *ip);
  }
}

void TableView::hideDeleteConfirmation() {
  if (!confirming_) return;
  confirming_->hideDeleteConfirmation();
  confirming_ = nullptr;
}

}  // namespace plat
