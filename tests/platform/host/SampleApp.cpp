#include "tests/platform/host/SampleApp.h"

using namespace plat;

namespace testsupport {
namespace {

class ReviewScreen : public ViewController {
 public:
  explicit ReviewScreen(SampleApp& app) : app_(app) { setTitle("复习"); }
  void viewDidLoad() override {
    view()->setBackgroundColor(Color::white());
    auto strip = std::make_shared<View>(Rect(0, 64, 320, 60));
    strip->setBackgroundColor(Color::rgb255(106, 207, 153));
    strip->setTag(300);
    view()->addSubview(strip);
    auto label = std::make_shared<Label>(Rect(10, 140, 300, 30));
    label->setText("复习/学习 review");
    label->setTag(301);
    view()->addSubview(label);
    auto next = Button::create(ButtonType::System, Rect(10, 180, 140, 40));
    next->setTitle("下一页");
    view()->addSubview(next);
    auto ask = Button::create(ButtonType::System, Rect(170, 180, 140, 40));
    ask->setTitle("提示");
    ask->addTarget(
        this, "ask",
        [this](Control&) {
          AlertView::create("提示", "保留数据?", &app_, "清空重学", {"保留数据"})->show();
        },
        kTouchUpInside);
    view()->addSubview(ask);
    auto cover = std::make_shared<View>(Rect(10, 300, 300, 40));
    auto hiddenButton = Button::create(ButtonType::System, Rect(10, 300, 300, 40));
    hiddenButton->setTitle("被挡住");
    view()->addSubview(hiddenButton);
    cover->setBackgroundColor(Color::white(0.9));
    view()->addSubview(cover);
    auto page = std::make_shared<WebView>(Rect(10, 350, 300, 110));
    page->loadHTMLString("<p style='margin:0'>Word card 单词卡片 HTML</p>", "");
    view()->addSubview(page);
  }

 private:
  SampleApp& app_;
};

class WordsScreen : public ViewController, public TableViewDataSource, public TableViewDelegate {
 public:
  explicit WordsScreen(SampleApp& app) : app_(app) { setTitle("单词"); }
  void loadView() override {
    auto table = std::make_shared<TableView>(Rect(0, 0, 320, 568));
    table->setDataSource(this);
    table->setTableDelegate(this);
    setView(table);
  }
  int numberOfRows(TableView&, int) override { return 40; }
  std::shared_ptr<TableViewCell> cellForRow(TableView& table, const IndexPath& ip) override {
    auto cell = table.dequeueReusableCell("word");
    if (!cell) cell = TableViewCell::create(TableViewCellStyle::Default, "word");
    cell->textLabel().setText("word " + std::to_string(ip.row));
    return cell;
  }
  void didSelectRow(TableView&, const IndexPath& ip) override {
    app_.selectedRows.push_back(ip.row);
  }

 private:
  SampleApp& app_;
};

}  // namespace

bool SampleApp::didFinishLaunching(Application&, const Value&) {
  events.push_back("launch");
  window = std::make_shared<Window>();
  nav = std::make_shared<NavigationController>(std::make_shared<ReviewScreen>(*this));
  tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({nav, std::make_shared<WordsScreen>(*this)});
  window->setRootViewController(tabs);
  window->makeKeyAndVisible();
  return true;
}

}  // namespace testsupport
