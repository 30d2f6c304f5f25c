// A scrolling list of rows in sections, asked of a data source (counts, cells, titles, editing)
// and a delegate (heights, header and footer views, selection, swipe-to-delete). Only the rows
// on screen have cells; cells that scroll away wait for reuse under their identifier. Updates
// that do not match the data source's new counts fail with a clear exception.
#pragma once

#include <compare>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/view/ScrollView.h"
#include "platform/view/TableViewCell.h"

namespace plat {

class TableView;

struct IndexPath {
  int section = 0;
  int row = 0;
  auto operator<=>(const IndexPath&) const = default;
};

enum class TableViewStyle { Plain, Grouped };
enum class TableViewCellEditingStyle { None, Delete, Insert };
enum class TableViewScrollPosition { None, Top, Middle, Bottom };
enum class TableViewRowAnimation { Fade, Right, Left, Top, Bottom, None, Middle, Automatic };
enum class TableViewSeparatorStyle { None, SingleLine };

class TableViewDataSource {
 public:
  virtual ~TableViewDataSource() = default;
  virtual int numberOfSections(TableView&) { return 1; }
  virtual int numberOfRows(TableView&, int section) = 0;
  virtual std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath&) = 0;
  virtual std::string titleForHeader(TableView&, int /*section*/) { return ""; }
  virtual std::string titleForFooter(TableView&, int /*section*/) { return ""; }
  // Rows that may be deleted (swipe-to-delete, editing mode).
  virtual bool canEditRow(TableView&, const IndexPath&) { return false; }
  virtual void commitEditingStyle(TableView&, TableViewCellEditingStyle, const IndexPath&) {}
  // Rows that show a reorder control in editing mode, and the move a drag of it made (the table
  // shows the rows again in the data source's new order).
  virtual bool canMoveRow(TableView&, const IndexPath&) { return false; }
  virtual void moveRow(TableView&, const IndexPath& /*from*/, const IndexPath& /*to*/) {}
};

class TableViewDelegate : public ScrollViewDelegate {
 public:
  // nullopt: the table's own height.
  virtual std::optional<double> heightForRow(TableView&, const IndexPath&) { return std::nullopt; }
  virtual std::optional<double> heightForHeader(TableView&, int) { return std::nullopt; }
  virtual std::optional<double> heightForFooter(TableView&, int) { return std::nullopt; }
  virtual std::shared_ptr<View> viewForHeader(TableView&, int) { return nullptr; }
  virtual std::shared_ptr<View> viewForFooter(TableView&, int) { return nullptr; }
  // The row to select instead (nullopt: none).
  virtual std::optional<IndexPath> willSelectRow(TableView&, const IndexPath& ip) { return ip; }
  virtual void didSelectRow(TableView&, const IndexPath&) {}
  virtual void didDeselectRow(TableView&, const IndexPath&) {}
  virtual void willDisplayCell(TableView&, TableViewCell&, const IndexPath&) {}
  virtual TableViewCellEditingStyle editingStyleForRow(TableView&, const IndexPath&) {
    return TableViewCellEditingStyle::Delete;
  }
  virtual std::string titleForDeleteConfirmationButton(TableView&, const IndexPath&) {
    return "删除";
  }
  virtual void accessoryButtonTapped(TableView&, const IndexPath&) {}
};

class TableView : public ScrollView {
 public:
  explicit TableView(const Rect& frame = {}, TableViewStyle style = TableViewStyle::Plain);
  ~TableView() override;

  TableViewStyle style() const { return style_; }
  TableViewDataSource* dataSource() const { return dataSource_; }
  void setDataSource(TableViewDataSource* dataSource);
  TableViewDelegate* tableDelegate() const { return tableDelegate_; }
  void setTableDelegate(TableViewDelegate* delegate);

  double rowHeight() const { return rowHeight_; }
  void setRowHeight(double height);
  double sectionHeaderHeight() const { return headerHeight_; }
  void setSectionHeaderHeight(double height);
  double sectionFooterHeight() const { return footerHeight_; }
  void setSectionFooterHeight(double height);
  TableViewSeparatorStyle separatorStyle() const { return separatorStyle_; }
  void setSeparatorStyle(TableViewSeparatorStyle style);
  Color separatorColor() const { return separatorColor_; }
  void setSeparatorColor(const Color& color);
  const std::shared_ptr<View>& tableHeaderView() const { return tableHeader_; }
  void setTableHeaderView(std::shared_ptr<View> view);
  const std::shared_ptr<View>& tableFooterView() const { return tableFooter_; }
  void setTableFooterView(std::shared_ptr<View> view);
  const std::shared_ptr<View>& backgroundView() const { return background_; }
  void setBackgroundView(std::shared_ptr<View> view) { background_ = std::move(view); }
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
  bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
  void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }
  bool isEditing() const { return editing_; }
  void setEditing(bool editing, bool animated = false);

  // Asks the data source again for everything; the selection is cleared.
  void reloadData();
  void reloadRows(const std::vector<IndexPath>& rows, TableViewRowAnimation animation);
  void reloadSections(const std::vector<int>& sections, TableViewRowAnimation animation);
  // Row and section updates; the data source must already answer the new counts.
  void insertRows(const std::vector<IndexPath>& rows, TableViewRowAnimation animation);
  void deleteRows(const std::vector<IndexPath>& rows, TableViewRowAnimation animation);
  void insertSections(const std::vector<int>& sections, TableViewRowAnimation animation);
  void deleteSections(const std::vector<int>& sections, TableViewRowAnimation animation);
  void beginUpdates();
  void endUpdates();

  int numberOfSections();
  int numberOfRows(int section);
  Rect rectForRow(const IndexPath& ip);
  Rect rectForHeader(int section);
  Rect rectForFooter(int section);
  std::optional<IndexPath> indexPathForRowAtPoint(Point p);
  std::optional<IndexPath> indexPathForCell(const TableViewCell* cell) const;
  // The cell of a row on screen (null otherwise); lays the table out first.
  TableViewCell* cellForRow(const IndexPath& ip);
  std::vector<TableViewCell*> visibleCells();
  std::vector<IndexPath> indexPathsForVisibleRows();
  std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& identifier);

  void scrollToRow(const IndexPath& ip, TableViewScrollPosition position, bool animated);
  void selectRow(std::optional<IndexPath> ip, bool animated, TableViewScrollPosition position);
  void deselectRow(const IndexPath& ip, bool animated);
  // A reorder drag of `cell` ended at `p` (table coordinates): the data source moves the row.
  void cellDropped(TableViewCell& cell, Point p);
  std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }

  void layoutSubviews() override;

 protected:
  void contentOffsetChanged() override;

 private:
  friend class TableViewCell;
  struct Section {
    double headerTop = 0, headerHeight = 0;
    std::vector<double> rowTops;
    std::vector<double> rowHeights;
    double footerTop = 0, footerHeight = 0;
    std::string headerTitle, footerTitle;
  };
  struct Update {
    std::vector<IndexPath> insertedRows, deletedRows;
    std::vector<int> insertedSections, deletedSections;
  };

  void ensureGeometry();
  void computeGeometry();
  void checkUpdate(const Update& update);
  void applyUpdate(const Update& update);
  void update(Update update);  // applied now, or gathered until endUpdates
  void enqueueAll();
  void layoutCells();
  void layoutSectionViews(const Rect& visible);
  void requireRow(const IndexPath& ip, const char* operation);
  std::shared_ptr<View> sectionView(int section, bool header);

  // From the cells
  void cellTapped(TableViewCell& cell);
  void cellSwiped(TableViewCell& cell);
  void commitDelete(TableViewCell& cell);
  void hideDeleteConfirmation();
  bool cellsTakeSelection() const;

  TableViewStyle style_;
  TableViewDataSource* dataSource_ = nullptr;
  TableViewDelegate* tableDelegate_ = nullptr;
  double rowHeight_ = 44;
  double headerHeight_;
  double footerHeight_;
  TableViewSeparatorStyle separatorStyle_ = TableViewSeparatorStyle::SingleLine;
  Color separatorColor_ = Color::white(0.78);
  std::shared_ptr<View> tableHeader_;
  std::shared_ptr<View> tableFooter_;
  std::shared_ptr<View> background_;
  bool allowsSelection_ = true;
  bool allowsSelectionDuringEditing_ = false;
  bool editing_ = false;

  bool needsReload_ = true;
  std::vector<Section> sections_;
  double contentHeight_ = 0;
  std::map<IndexPath, std::shared_ptr<TableViewCell>> visible_;
  std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> reuse_;
  std::map<std::pair<int, bool>, std::shared_ptr<View>> sectionViews_;
  std::optional<IndexPath> selected_;
  std::optional<Update> pending_;  // between beginUpdates and endUpdates
  int updateDepth_ = 0;
  TableViewCell* confirming_ = nullptr;
};

}  // namespace plat
