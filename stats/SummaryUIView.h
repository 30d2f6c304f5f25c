// Statistics page 1: a table of sign-ins, studied words, answers and their daily averages, read
// from the study store on every refresh.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/view/TableView.h"

class StatisticsListController;

class SummaryUIView : public plat::View,
                      public plat::TableViewDataSource,
                      public plat::TableViewDelegate {
 public:
  // One row: [caption, value with its unit].
  using Row = std::vector<std::string>;

  explicit SummaryUIView(const plat::Rect& frame);
  ~SummaryUIView() override;

  // Reads the nine figures anew and reloads the table.
  void refreshData();

  const std::vector<Row>& cellArray() const { return cellArray_; }
  void setCellArray(std::vector<Row> rows) { cellArray_ = std::move(rows); }
  StatisticsListController* parent() const { return parent_; }
  void setParent(StatisticsListController* parent) { parent_ = parent; }

  int numberOfRows(plat::TableView&, int section) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView& table,
                                                  const plat::IndexPath& ip) override;

 private:
  std::vector<Row> cellArray_;
  StatisticsListController* parent_ = nullptr;
};
