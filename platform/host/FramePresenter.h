// Puts the screen's picture into a desktop window: draws every visible window as the headless
// host does, and uploads and shows the picture only when it differs from the one on show.
#pragma once

#include <SDL.h>

#include <vector>

namespace plat {

class FramePresenter {
 public:
  // The picture is drawn at the screen's scale and stretched to the window; to a smaller window it
  // is shrunk by averaging first, so that no hairline is lost.
  explicit FramePresenter(SDL_Window* window);
  ~FramePresenter();
  FramePresenter(const FramePresenter&) = delete;
  FramePresenter& operator=(const FramePresenter&) = delete;

  bool isReady() const { return texture_ != nullptr; }
  // Draws the screen; shows it when it changed, or anyway when `force` (the window was
  // uncovered). True when it showed a new picture.
  bool present(bool force = false);

 private:
  // Puts the picture on show into the texture, shrunk to it when the texture is smaller.
  void upload();
  void show();

  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int width_ = 0;  // of the picture, in pixels
  int height_ = 0;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  std::vector<unsigned char> shown_;  // the pixels on show, row after row
};

}  // namespace plat
