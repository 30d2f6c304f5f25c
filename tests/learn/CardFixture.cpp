#include "tests/learn/CardFixture.h"

#include "learn/CardScreens.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/Image.h"
#include "platform/view/Animation.h"
#include "store/CallDB.h"

namespace cardtest {

void CardTest::SetUp() {
  home_ = std::make_unique<testsupport::TempHome>();
  // The bundle the build assembled: the shipped learn.db and the drawn images.
  plat::Bundle::setMainPath("");
  plat::Image::clearNamedCache();
  CardScreens::setPronouncer(
      [this](const std::string& word, bool isCheck) { spoken_.emplace_back(word, isCheck); });
  owner_ = std::make_shared<CardOwner>();
  owner_->setTitle("单词列表");
  app_ = std::make_shared<testsupport::NavApp>([this] { return owner_; });
  host_ = std::make_unique<plat::HeadlessHost>(app_);
  ASSERT_TRUE(host_->launch());
  ASSERT_TRUE(CallDB::callDB()->isOpen()) << "VOCAB_BUNDLE names the build's bundle";
}

void CardTest::TearDown() {
  host_->advance(30);
  app_.reset();
  host_.reset();
  owner_.reset();
  plat::RunLoop::main().discardAllSources();
  CardScreens::setPronouncer(nullptr);
  CardScreens::setNoteEditorMaker(nullptr);
  CardScreens::setOfferWindow(nullptr);
  CardScreens::setShareSheet(nullptr);
  CardScreens::setWordListMaker(nullptr);
  CallDB::Release_CallDB();
  home_.reset();
}

std::shared_ptr<BaseWordViewController> CardTest::pushCard(const std::string& word) {
  auto card = BaseWordViewController::initWithNibName("BaseWordViewController");
  card->setParentController(card.get());
  card->setDeleage(owner_.get());
  card->setParentName("单词列表");
  card->view();
  card->upWordBtn()->setHidden(false);
  card->downWordBtn()->setHidden(false);
  card->setCurrPage(1);
  card->setWordName(word);
  card->addRightItemBtn();
  app_->nav->pushViewController(card, false);
  settle();
  return card;
}

std::shared_ptr<BaseWordViewController> CardTest::embedCard() {
  auto card = BaseWordViewController::initWithNibName("BaseWordViewController");
  plat::View& screen = *owner_->view();
  card->setScrollFrame({0, 0, screen.bounds().width, screen.bounds().height - 60});
  card->setParentController(owner_.get());
  card->setDeleage(owner_.get());
  owner_->addChildViewController(card);
  screen.addSubview(card->view());
  screen.sendSubviewToBack(card->view().get());
  card->parentViewAppear();
  settle();
  return card;
}

void CardTest::setValue(const std::string& key, const std::string& value) {
  CallDB::callDB()->UpdatePersonalValue_isNeed(key, value);
}

std::string CardTest::value(const std::string& key) {
  return CallDB::callDB()->getPersonalValue(key);
}

}  // namespace cardtest
