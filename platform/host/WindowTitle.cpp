#include "platform/host/WindowTitle.h"

#include <SDL.h>

#include "platform/view/Application.h"

namespace plat {

std::string WindowTitle::text(const std::string& name, int badge) {
  return badge > 0 ? name + " (" + std::to_string(badge) + ")" : name;
}

WindowTitle::WindowTitle(SDL_Window* window, std::string name)
    : window_(window), name_(std::move(name)) {}

void WindowTitle::update() {
  const int badge = Application::shared().applicationIconBadgeNumber();
  if (badge == shown_) return;
  shown_ = badge;
  SDL_SetWindowTitle(window_, text(name_, badge).c_str());
}

}  // namespace plat
