#include "app/MainTabs.h"

#include "app/PlaceholderScreen.h"

namespace MainTabs {

std::shared_ptr<plat::ViewController> makeReviewTab() {
  return PlaceholderScreen::tab("复习");
}

std::shared_ptr<plat::ViewController> makeBooksTab() {
  return PlaceholderScreen::tab("单词本");
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
  (void)hooks;
}

}  // namespace MainTabs
