#include "wordlist/ForgetStateImage.h"

#include <map>
#include <mutex>

#include "platform/draw/ImageContext.h"

std::shared_ptr<plat::Image> forgetStateImage(const CallDB::WordForgetState& state) {
  static std::mutex lock;
  static std::map<int, std::shared_ptr<plat::Image>> byLevel;
  std::lock_guard<std::mutex> guard(lock);
  if (auto found = byLevel.find(state.level); found != byLevel.end()) return found->second;
  if (state.images.empty()) return nullptr;
  const auto first = plat::Image::named(state.images.front());
  if (!first) return nullptr;
  plat::ImageContext picture(first->size(), false, first->scale());
  for (const std::string& name : state.images)
    if (auto image = plat::Image::named(name))
      image->draw(picture.context(), {0, 0, image->size().width, image->size().height});
  auto made = picture.takeImage();
  byLevel[state.level] = made;
  return made;
}
