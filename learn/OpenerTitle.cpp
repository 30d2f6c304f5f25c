#include "learn/OpenerTitle.h"

#include "platform/view/NavigationController.h"

namespace OpenerTitle {

std::string of(plat::ViewController& screen) {
  plat::NavigationController* nav = screen.navigationController();
  if (!nav) return "";
  const auto& stack = nav->viewControllers();
  // While it is being pushed the screen may not stand on the stack yet: then the top is its opener.
  plat::ViewController* below = stack.empty() ? nullptr : stack.back().get();
  for (size_t i = 1; i < stack.size(); ++i)
    if (stack[i].get() == &screen) below = stack[i - 1].get();
  return below && below != &screen ? below->title() : "";
}

}  // namespace OpenerTitle
