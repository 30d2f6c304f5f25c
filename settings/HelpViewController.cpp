#include "settings/HelpViewController.h"

#include <cstdlib>
#include <ctime>

#include "json/JsonCodec.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/Device.h"
#include "platform/base/Files.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/AlertView.h"
#include "platform/view/Application.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TableViewCell.h"
#include "settings/HelpView.h"
#include "settings/HtmlViewController.h"
#include "settings/SettingsHooks.h"
#include "settings/SettingsLook.h"
#include "share/SharePictures.h"
#include "store/CallDB.h"
#include "ui/MakerWebSite.h"
#include "ui/ScreenNavItems.h"
#include "ui/TabletTurns.h"

using namespace plat;

namespace {

constexpr int kShareTextCount = 18;

std::string personal(const std::string& key) {
  return CallDB::callDB()->getPersonalValue(key);
}

}  // namespace

HelpViewController::HelpViewController() {
  setTitle(localized("帮助"));
}

HelpViewController::~HelpViewController() {
  if (tableView_) {
    tableView_->setDataSource(nullptr);
    tableView_->setTableDelegate(nullptr);
  }
}

std::vector<HelpViewController::Row> HelpViewController::listEntries(const std::string& text) {
  std::vector<Row> rows;
  Value list = objectFromJSONString(text);
  const Value& entries = list.isDictionary() ? list["array"] : Value();
  if (!entries.isArray()) return rows;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Value& entry = entries[i];
    // An entry without both texts names no page.
    if (!entry.isDictionary() || !entry["name"].isString() || !entry["url"].isString()) continue;
    rows.push_back({entry["name"].asString(), entry["url"].asString()});
  }
  return rows;
}

std::string HelpViewController::webSite() {
  return MakerWebSite::address();
}

std::string HelpViewController::webSiteAddress() {
  // The row opens the address it shows. The browser gets no account or password digest: an
  // address handed to another program ends up in its history and in every log on the way.
  const std::string site = webSite();
  return site.empty() ? personal("url") : site;
}

void HelpViewController::loadView() {
  auto root = std::make_shared<View>(Screen::main().applicationFrame());
  root->setBackgroundColor(Color::white());
  tableView_ = std::make_shared<TableView>(root->bounds());
  tableView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  root->addSubview(tableView_);
  setView(root);
}

void HelpViewController::viewDidLoad() {
  setEdgesForExtendedLayout(kRectEdgeNone);
  ScreenNavItems::install(*this, title(), "设置");
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  tableView_->setSeparatorColor(settingslook::separator());
  cellArray_.clear();
  cellArray_.push_back({localized("help_list_cell1"), ""});
  const std::string listPath = Bundle::main().pathForResource("help/cell_list", "txt");
  std::optional<std::string> text = listPath.empty() ? std::nullopt : files::readFile(listPath);
  for (Row& row : listEntries(text.value_or(""))) cellArray_.push_back(std::move(row));
  cellArray_.push_back({localized("help_list_cell5"), ""});
  cellArray_.push_back({localized("help_list_cell2"), ""});
}

bool HelpViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

int HelpViewController::numberOfRows(TableView&, int) {
  return int(cellArray_.size());
}

std::shared_ptr<TableViewCell> HelpViewController::cellForRow(TableView& table,
                                                              const IndexPath& ip) {
  const bool last = ip.row == int(cellArray_.size()) - 1;
  const std::string identifier = last ? "cell_url" : "basecell";
  auto cell = table.dequeueReusableCell(identifier);
  if (!cell) {
    cell = TableViewCell::create(TableViewCellStyle::Subtitle, identifier);
    cell->setSelectionStyle(TableViewCellSelectionStyle::Blue);
    cell->setAccessoryType(TableViewCellAccessory::DisclosureIndicator);
    if (last) {
      // The web address beside the title, its first letter after "www." in red.
      const std::string site = webSite();
      const size_t cut = site.compare(0, 4, "www.") == 0 ? 4 : 0;
      const double height = table.rowHeight();
      double x = 110;
      auto part = [&](const std::string& text, double size, const Color& color) {
        if (text.empty()) return;
        auto label = std::make_shared<Label>();
        label->setText(text);
        label->setFont(Font::boldSystem(size));
        label->setTextColor(color);
        label->setBackgroundColor(Color::clear());
        label->sizeToFit();
        label->setFrame({x, (height - 30) / 2, label->frame().width, 30});
        label->setAutoresizingMask(kFlexibleRightMargin);
        cell->contentView().addSubview(label);
        x += label->frame().width;
      };
      part(site.substr(0, cut), 14, Color::black());
      part(site.substr(cut, 1), 16, Color::red());
      part(cut + 1 < site.size() ? site.substr(cut + 1) : "", 14, Color::black());
    }
  }
  cell->textLabel().setText(cellArray_.at(size_t(ip.row)).at(0));
  return cell;
}

void HelpViewController::didSelectRow(TableView& table, const IndexPath& ip) {
  table.deselectRow(ip, true);
  const int count = int(cellArray_.size());
  NavigationController* nav = navigationController();
  if (ip.row == 0) {
    auto guide = std::make_shared<HelpView>();
    guide->setNavName(cellArray_[0][0]);
    guide->setParentName(title());
    guide->setHidesBottomBarWhenPushed(true);
    if (nav) nav->pushViewController(guide, true);
  } else if (ip.row == count - 1) {
    Application::shared().openURL(webSiteAddress());
  } else if (ip.row == count - 2) {
    share();
  } else {
    auto page = std::make_shared<HtmlViewController>();
    page->setNavName(cellArray_[size_t(ip.row)][0]);
    page->setHtmlName(cellArray_[size_t(ip.row)][1]);
    page->setParentName(title());
    if (nav) nav->pushViewController(page, true);
  }
}

void HelpViewController::share() {
  std::vector<std::string> texts;
  for (int i = 1; i <= kShareTextCount; ++i)
    texts.push_back(localized("share_text" + std::to_string(i)));
  std::srand(unsigned(Clock::current().now()));
  const std::string& text = texts[size_t(std::rand() % kShareTextCount)];
  if (std::atof(Device::current().systemVersion.c_str()) < 6.0) {
    AlertView::create("提醒", "您的系统版本过低,无法进行分享,请您更新后在分享!", nullptr, "确定")
        ->show();
    return;
  }
  const std::string site = webSite();
  if (SettingsHooks::shared().share)
    SettingsHooks::shared().share(*this, site.empty() ? text : text + " " + site,
                                  SharePictures::getSharePngTwo());
}
