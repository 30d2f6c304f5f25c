// The desktop window's title: the application's name, followed by the icon badge's number in
// brackets while it is 1 or more, where the phone showed the number on the application's icon.
#pragma once

#include <string>

struct SDL_Window;

namespace plat {

class WindowTitle {
 public:
  // "背单词 (12)" for a badge of 12, the name alone for none.
  static std::string text(const std::string& name, int badge);

  WindowTitle(SDL_Window* window, std::string name);
  // Shows the application's badge when it changed since the last call.
  void update();

 private:
  SDL_Window* window_;
  std::string name_;
  int shown_ = -1;
};

}  // namespace plat
