// The desktop's way of opening addresses outside the application: web and mail addresses go to
// the desktop's opener program (xdg-open), started directly, never through a shell, so that an
// address is one argument whatever it holds. A bare "www." address counts as a web address and is
// handed on with "http://" in front. Other schemes (the application store's among them) are not
// opened: the application reports them to the learner instead.
//
// Main thread only. The started program is watched on the main run loop until it ends, so that
// one that could not open the address is reported and no finished program is left unreaped.
#pragma once

#include <string>

#include "platform/view/Application.h"

namespace plat {

class DesktopURLOpener : public URLOpener {
 public:
  // `program` is looked up on the PATH when an address is opened.
  explicit DesktopURLOpener(std::string program = "xdg-open");

  bool canOpen(const std::string& url) const override;
  bool open(const std::string& url) override;

  // The address as the opener program gets it; "" when the desktop does not open it.
  static std::string desktopAddress(const std::string& url);

 private:
  std::string program_;
};

}  // namespace plat
