#include "ui/PagerKeyboardRoom.h"

#include "platform/view/Animation.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Screen.h"

using plat::Rect;

void PagerKeyboardRoom::keyboardShow(const plat::Value& info, plat::NavigationController* nav,
                                     plat::ScrollView& pages, plat::View& strip, bool isRotate) {
  const Rect begin = plat::Keyboard::rectFromValue(info.get(plat::kKeyboardFrameBeginKey));
  const Rect end = plat::Keyboard::rectFromValue(info.get(plat::kKeyboardFrameEndKey));
  if (begin.height == end.height) {
    isAnimation_ = true;
    isEditState_ = true;
    pages.setScrollEnabled(false);
    // The bar goes first, so that the area's height below is the one the screen has without it.
    if (nav && !isRotate) nav->setNavigationBarHidden(true, true);
    const double appHeight = plat::Screen::main().applicationFrame().height;
    // The pages end right above the keys: a keyboard lower than what lies under the pages (a
    // slim one) lets them grow over it, in front, since nothing there serves the search.
    scrollHeight_ = end.height - (appHeight - pages.frame().height);
    if (scrollHeight_ < 0 && pages.superview()) pages.superview()->bringSubviewToFront(&pages);
    if (isRotate) {
      Rect area = pages.frame();
      area.height -= scrollHeight_;
      pages.setFrame(area);
      return;
    }
    plat::Animation::animate(0.3, [this, &pages, &strip] {
      Rect bar = strip.frame();
      bar.y -= stripHeight_;
      strip.setFrame(bar);
      if (fadeStrip_) strip.setAlpha(0);
      Rect area = pages.frame();
      area.y -= stripHeight_;
      area.height -= scrollHeight_;
      pages.setFrame(area);
    });
  } else if (isEditState_) {
    const double difference = end.height - begin.height;
    scrollHeight_ += difference;
    Rect area = pages.frame();
    area.height -= difference;
    pages.setFrame(area);
  }
}

void PagerKeyboardRoom::keyboardHide(plat::NavigationController* nav, plat::ScrollView& pages,
                                     plat::View& strip, bool isRotate) {
  if (!isEditState_) return;
  const double regained = scrollHeight_;
  scrollHeight_ = 0;
  if (isRotate) {
    Rect area = pages.frame();
    area.height += regained;
    pages.setFrame(area);
    return;
  }
  isEditState_ = false;
  pages.setScrollEnabled(true);
  if (nav) nav->setNavigationBarHidden(false, isAnimation_);
  plat::Animation::animate(0.3, [this, &pages, &strip, regained] {
    Rect bar = strip.frame();
    bar.y += stripHeight_;
    strip.setFrame(bar);
    if (fadeStrip_) strip.setAlpha(1);
    Rect area = pages.frame();
    area.y += stripHeight_;
    area.height += regained;
    pages.setFrame(area);
  });
}
