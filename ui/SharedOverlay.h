// The one full-screen overlay view of a kind (the message bubble, the progress panel): found by
// its tag in the topmost screen's view of the key window, or made there on first use; either way
// it is brought in front of that view's other subviews.
#pragma once

#include <memory>

#include "platform/draw/Geometry.h"
#include "platform/view/View.h"

namespace sharedoverlay {

// The view that overlays and tags live in now: the view of the topmost screen presented in the
// key window (its root controller's when nothing is presented), or null.
plat::View* currentRootView();

// The frame of a new overlay: the screen's size, its long side across on a tablet held sideways.
plat::Rect overlayFrame();

// While no screen is up, one overlay per tag is kept off screen, so that messages sent then go
// nowhere instead of into a freed view.
std::shared_ptr<plat::View>& detached(int tag);

template <typename T>
std::shared_ptr<T> make(int tag) {
  auto made = std::make_shared<T>(overlayFrame());
  made->setTag(tag);
  return made;
}

template <typename T>
std::shared_ptr<T> find(int tag) {
  plat::View* root = currentRootView();
  if (!root) {
    std::shared_ptr<plat::View>& kept = detached(tag);
    if (!kept) kept = make<T>(tag);
    return std::static_pointer_cast<T>(kept);
  }
  for (const auto& child : root->subviews()) {
    if (child->tag() != tag) continue;
    if (auto typed = std::dynamic_pointer_cast<T>(child)) {
      root->bringSubviewToFront(typed.get());
      return typed;
    }
  }
  auto made = make<T>(tag);
  root->addSubview(made);
  return made;
}

}  // namespace sharedoverlay
