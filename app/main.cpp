// The vocab program: the application in a desktop window, or, without a display, its first
// screen drawn into a picture. With --tablet (or $VOCAB_TABLET) the device is a tablet.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/AppDelegate.h"
#include "app/DesktopServices.h"
#include "app/HeadlessStart.h"
#include "online/CheckVersion.h"
#include "platform/base/AppHome.h"
#include "platform/base/RunLoop.h"
#include "platform/host/TabletScreen.h"
#include "platform/host/WindowHost.h"

int main(int argc, char** argv) {
  plat::RunLoop::setMainThread();
  if (plat::TabletScreen::requested(argc, argv)) plat::TabletScreen::use();
  if (!plat::AppHome::ensureFolders()) {
    std::fprintf(stderr, "vocab: cannot create the app home at %s\n",
                 plat::AppHome::home().c_str());
    return 1;
  }
  // Where the application store answers version lookups.
  if (const char* lookup = std::getenv("VOCAB_STORE_LOOKUP"); lookup && *lookup) {
    CheckVersion::setLookupBase(lookup);
  }
  DesktopServices::install();
  auto delegate = std::make_shared<AppDelegate>();
  plat::WindowHost window(delegate);
  if (window.open()) return window.run();
  return HeadlessStart::run(delegate);
}
