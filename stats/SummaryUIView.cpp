#include "stats/SummaryUIView.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/base/Bundle.h"
#include "platform/view/TableViewCell.h"
#include "store/CallDB.h"

using namespace plat;

namespace {

constexpr int kTableTag = 31;

// A stored number read as text is: leading digits, 0 when there are none, kept within int.
int integerOf(const std::string& text) {
  long long v = std::strtoll(text.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return int(v);
}

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string formatted(const char* format, int value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

SummaryUIView::SummaryUIView(const Rect& frame) : View(frame) {
  setAutoresizingMask(kFlexibleAll);
  setBackgroundColor(Color::blue());
  auto table = std::make_shared<TableView>(Rect{0, 0, frame.width, frame.height});
  table->setTableDelegate(this);
  table->setDataSource(this);
  table->setTag(kTableTag);
  table->setAutoresizingMask(kFlexibleAll);
  table->setSeparatorColor(Color::rgb255(201, 250, 199));
  table->setOpaque(true);
  addSubview(table);
}

SummaryUIView::~SummaryUIView() {
  // The table may outlive the page in someone else's hands; it must not call back into it.
  if (auto* table = dynamic_cast<TableView*>(viewWithTag(kTableTag))) {
    table->setDataSource(nullptr);
    table->setTableDelegate(nullptr);
  }
}

void SummaryUIView::refreshData() {
  CallDB* db = CallDB::callDB();
  const int words = db->LearnWordCount();
  const int answers = integerOf(db->getPersonalValue("rememberNum"));
  const int64_t days = db->getCountDay();
  const float wordsPerDay = days < 1 ? 0.0f : float(words) / float(days);
  const float answersPerDay = days < 1 ? 0.0f : float(answers) / float(days);

  auto caption = [](const char* key) { return localized(key); };
  // Words are counted in 个, answers (one word may be reviewed many times) in 次.
  cellArray_ = {
      {caption("summary_eg1"), formatted("%i天", integerOf(db->getPersonalValue("nSignInAll")))},
      {caption("summary_eg2"), formatted("%i天", integerOf(db->getPersonalValue("nSignInCur")))},
      {caption("summary_eg10"), formatted("%i天", integerOf(db->getPersonalValue("nSignInMax")))},
      {caption("summary_eg3"), formatted("%i个", words)},
      {caption("summary_eg4"), formatted("%i次", answers)},
      {caption("summary_eg5"), formatted("%.1f个", double(wordsPerDay))},
      {caption("summary_eg6"), formatted("%.1f次", double(answersPerDay))},
      {caption("summary_eg7"), formatted("%.1f个", double(db->aveLearnNumFromWeek()))},
      {caption("summary_eg8"), formatted("%.1f次", double(db->aveReviewNumFromWeek()))},
  };
  if (auto* table = dynamic_cast<TableView*>(viewWithTag(kTableTag))) table->reloadData();
}

int SummaryUIView::numberOfRows(TableView&, int) {
  return int(cellArray_.size());
}

std::shared_ptr<TableViewCell> SummaryUIView::cellForRow(TableView& table, const IndexPath& ip) {
  auto cell = table.dequeueReusableCell("basecell");
  if (!cell) {
    cell = TableViewCell::create(TableViewCellStyle::Value1, "basecell");
    cell->setSelectionStyle(TableViewCellSelectionStyle::None);
    cell->setAccessoryType(TableViewCellAccessory::None);
  }
  const Row& row = cellArray_.at(size_t(ip.row));
  cell->textLabel().setText(row.at(0));
  if (Label* detail = cell->detailTextLabel()) detail->setText(row.at(1));
  return cell;
}
