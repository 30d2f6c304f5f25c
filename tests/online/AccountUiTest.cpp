#include "tests/online/AccountUiTest.h"

#include "account/AcceptUIWindow.h"
#include "account/HelpRemMgrViewCtrl.h"
#include "learn/CardScreens.h"
#include "online/LoginUIWindow.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/Image.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationBar.h"
#include "platform/view/TextField.h"
#include "store/CallDB.h"
#include "tests/support/Patience.h"
#include "ui/MyAlerView.h"
#include "ui/MyCustomNavBar.h"
#include "util/MyExtensions.h"

namespace onlinetest {

void AccountUiTest::SetUp() {
  plat::RunLoop::setMainThread();
  testsupport::clearProxyEnvironment();
  plat::Bundle::setMainPath("");  // the shipped bundle the build assembles
  plat::Image::clearNamedCache();
  server_ = std::make_unique<testsupport::StandInServer>();
  device_ = std::make_unique<testsupport::TempDeviceStore>();
  OnlineScreens& screens = OnlineScreens::shared();
  screens.downDataFinish = [this] { told_.push_back("downDataFinish"); };
  screens.cleardata_learn = [this] { told_.push_back("cleardata_learn"); };
  screens.refreshADInfo = [this] { told_.push_back("refreshADInfo"); };
  screens.closeProgram = [this] { told_.push_back("closeProgram"); };
  StoreHooks::shared().refreshMsgNum = [this](int count) {
    told_.push_back("badge:" + std::to_string(count));
  };
  // The card's note editor and offer window, as the application installs them.
  CardScreens::setNoteEditorMaker(&HelpRemMgrViewCtrl::forCard);
  CardScreens::setOfferWindow(&AcceptUIWindow::show);
  startDevice();
}

void AccountUiTest::startDevice() {
  if (host_) {
    host_->advance(30);
    host_.reset();
    plat::RunLoop::main().discardAllSources();
  }
  CallDB::Release_CallDB();
  home_.reset();
  home_ = std::make_unique<testsupport::TempHome>();
  app_ = std::make_shared<testsupport::NavApp>([] {
    MyCustomNavBar::install();  // the green bar the app's screens sit under
    auto settings = std::make_shared<BaseViewController>();
    settings->setTitle("设置");
    return settings;
  });
  host_ = std::make_unique<plat::HeadlessHost>(app_);
  ASSERT_TRUE(host_->launch());
  CallDB::callDB()->UpdatePersonalValue("url", server_->base());
}

void AccountUiTest::TearDown() {
  if (LoginUIWindow* left = LoginUIWindow::shown()) left->dialogIsRemoved();
  if (AcceptUIWindow* left = AcceptUIWindow::shown()) left->dialogIsRemoved();
  host_->advance(30);  // every fade, delayed close and hide runs out
  host_.reset();
  plat::RunLoop::main().discardAllSources();
  plat::NavigationBar::setDefaultBackgroundImage(nullptr);
  OnlineScreens::shared() = OnlineScreens{};
  StoreHooks::shared() = StoreHooks{};
  CardScreens::setNoteEditorMaker(nullptr);
  CardScreens::setOfferWindow(nullptr);
  CallDB::Release_CallDB();
  home_.reset();
  device_.reset();
  server_.reset();
}

bool AccountUiTest::waitFor(const std::function<bool()>& done, double virtualSeconds) {
  for (double passed = 0; passed <= virtualSeconds; passed += 0.25) {
    if (plat::RunLoop::main().runUntil(done, 0.05)) return true;
    host_->advance(0.25);
  }
  return plat::RunLoop::main().runUntil(done, testsupport::kPatience);
}

std::string AccountUiTest::bubble() const {
  auto view = MyAlerView::sharedAler();
  if (!view || view->isHidden() || view->alpha() == 0) return "";
  return static_cast<plat::Label&>(*view->viewWithTag(MyAlerView::kLabelTag)).text();
}

void AccountUiTest::typeInto(plat::View& field, const std::string& text) {
  ASSERT_TRUE(host_->tap(&field));
  host_->runUntilIdle();
  while (!static_cast<plat::TextField&>(field).text().empty()) host_->deleteBackward();
  host_->type(text);
}

void AccountUiTest::studyWords(int count) {
  CallDB* db = CallDB::callDB();
  plat::Value words =
      db->sql_select("select wl_tWord from Words_Library order by wl_uWordID limit ?", "s", "n",
                     plat::Value::array({count}));
  ASSERT_EQ(static_cast<int>(words.size()), count);
  for (int i = 0; i < count; ++i) {
    const plat::Value& row = words.at(static_cast<size_t>(i));
    const std::string word = row.isArray() ? row.at(0).asString() : row.asString();
    db->InsertStudyWord(word, 787000000 + i);
    if (i % 4 == 0) db->saveNote(word, "记法 " + std::to_string(i) + "\t带制表符");
  }
  db->sql_update(
      "update Study_Log set sl_uLastTestTime = 787100000 + sl_uWordID, sl_uFeedbackID1 = 2, "
      "sl_uKnowNum = sl_uWordID % 5, sl_uForgetNum = 1",
      "", plat::Value::array());
  db->UpdatePersonalValue_isNeed("StudyLimitCount", "35");
  db->UpdatePersonalValue_isNeed("remind_time1", "07:30");
}

void SignedInTest::SetUp() {
  AccountUiTest::SetUp();
  server_->addAccount("carol", "secret1");
  CallDB::callDB()->UpdatePersonalValue("account", "carol");
  CallDB::callDB()->UpdatePersonalValue("password", MyExtensions::md5("secret1"));
}

std::shared_ptr<BaseWordViewController> AccountUiTest::pushCard(const std::string& word) {
  auto card = BaseWordViewController::initWithNibName("BaseWordViewController");
  card->setParentController(card.get());
  card->setParentName("单词列表");
  card->view();
  card->setCurrPage(1);
  card->setWordName(word);
  return push(card);
}

void AccountUiTest::pullUp(plat::TableView& table, double past) {
  const double target = table.contentSize().height + past - table.bounds().height;
  const plat::Point start =
      table.convertPointTo({table.bounds().width / 2, table.contentOffset().y + 100}, nullptr);
  const plat::Point end{start.x, start.y - (target - table.contentOffset().y)};
  table.beginDrag(start);
  table.dragTo(end);
  table.endDrag(end);
}

plat::Label* AccountUiTest::cellLabel(plat::TableView& table, int row, int tag) {
  plat::TableViewCell* cell = table.cellForRow({0, row});
  if (!cell) return nullptr;
  plat::View* content = cell->contentView().viewWithTag(125);
  return content ? dynamic_cast<plat::Label*>(content->viewWithTag(tag)) : nullptr;
}

}  // namespace onlinetest
