#include "tests/online/NoteScreensTest.h"

#include "online/AcceptUIWindow.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/Image.h"
#include "store/CallDB.h"
#include "util/MyExtensions.h"

namespace onlinetest {

void NoteScreensTest::SetUp() {
  AccountUiTest::SetUp();
  plat::Image::clearNamedCache();
  server_->addAccount("carol", "secret1");
  CallDB* db = CallDB::callDB();
  db->UpdatePersonalValue("account", "carol");
  db->UpdatePersonalValue("password", MyExtensions::md5("secret1"));
}

void NoteScreensTest::TearDown() {
  if (AcceptUIWindow* left = AcceptUIWindow::shown()) left->dialogIsRemoved();
  AccountUiTest::TearDown();
}

std::shared_ptr<BaseWordViewController> NoteScreensTest::pushCard(const std::string& word) {
  auto card = BaseWordViewController::initWithNibName("BaseWordViewController");
  card->setParentController(card.get());
  card->setParentName("单词列表");
  card->view();
  card->setCurrPage(1);
  card->setWordName(word);
  return push(card);
}

std::string NoteScreensTest::picture(const std::string& name) {
  std::string path = ::testing::TempDir() + name;
  EXPECT_TRUE(host_->writeScreen(path));
  return path;
}

void NoteScreensTest::pullUp(plat::TableView& table, double past) {
  const double target = table.contentSize().height + past - table.bounds().height;
  const plat::Point start =
      table.convertPointTo({table.bounds().width / 2, table.contentOffset().y + 100}, nullptr);
  const plat::Point end{start.x, start.y - (target - table.contentOffset().y)};
  table.beginDrag(start);
  table.dragTo(end);
  table.endDrag(end);
}

plat::Label* NoteScreensTest::cellLabel(plat::TableView& table, int row, int tag) {
  plat::TableViewCell* cell = table.cellForRow({0, row});
  if (!cell) return nullptr;
  plat::View* content = cell->contentView().viewWithTag(125);
  return content ? dynamic_cast<plat::Label*>(content->viewWithTag(tag)) : nullptr;
}

int64_t NoteScreensTest::wordId(const std::string& word) {
  return CallDB::callDB()->getWordID(word);
}

}  // namespace onlinetest
