// The main interface: the tab bar's four screens in order (review, word books, statistics,
// settings), each made by its own factory, and the screens' class operations that the application
// delegate calls.
#pragma once

#include <memory>
#include <vector>

#include "app/ScreenHooks.h"
#include "platform/view/ViewController.h"

namespace MainTabs {

std::shared_ptr<plat::ViewController> makeReviewTab();
std::shared_ptr<plat::ViewController> makeBooksTab();
std::shared_ptr<plat::ViewController> makeStatisticsTab();
std::shared_ptr<plat::ViewController> makeSettingsTab();

// The four tabs in their order.
std::vector<std::shared_ptr<plat::ViewController>> makeAll();

// Points the hooks at the class operations of the screens that exist.
void installScreenHooks(ScreenHooks& hooks);

}  // namespace MainTabs
