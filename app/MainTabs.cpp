#include "app/MainTabs.h"

#include "app/PlaceholderScreen.h"
#include "books/LearnViewController.h"
#include "books/WordsUIViewController.h"
#include "learn/CardScreens.h"
#include "platform/view/NavigationController.h"

namespace MainTabs {

std::shared_ptr<plat::ViewController> makeReviewTab() {
  return PlaceholderScreen::tab("复习");
}

std::shared_ptr<plat::ViewController> makeBooksTab() {
  auto nav = std::make_shared<plat::NavigationController>(std::make_shared<LearnViewController>());
  nav->tabBarItem().setTitle("单词本");
  return nav;
}

std::shared_ptr<plat::ViewController> makeStatisticsTab() {
  return PlaceholderScreen::tab("统计");
}

std::shared_ptr<plat::ViewController> makeSettingsTab() {
  return PlaceholderScreen::tab("设置");
}

std::vector<std::shared_ptr<plat::ViewController>> makeAll() {
  return {makeReviewTab(), makeBooksTab(), makeStatisticsTab(), makeSettingsTab()};
}

void installScreenHooks(ScreenHooks& hooks) {
  // The review screen, the word-book tab and the excellent-mnemonic list join here as they come,
  // e.g. hooks.reviewCloseProgram = &ReViewController::closeProgram;
  hooks.booksCloseProgram = &LearnViewController::closeProgram;
  // The word card opens the words it extracted as word lists.
  CardScreens::setWordListMaker(&WordsUIViewController::forExtractedWords);
}

}  // namespace MainTabs
