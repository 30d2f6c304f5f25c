// Whether a control lies over text: the lines of every label and button title and every web page
// that shows on screen (cut to the scrolling page it sits in) are compared with the frame of the
// control. Used for the word card's paging buttons and the review screen's controls.
#pragma once

#include <string>
#include <vector>

#include "learn/BaseWordViewController.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/ScrollView.h"
#include "platform/view/WebView.h"

namespace learntest {

namespace pagingdetail {

inline plat::Rect onScreen(const plat::View& view, const plat::Rect& rect) {
  return view.convertRectTo(rect, nullptr);
}

// Where a label's text really lies: its laid-out lines, placed as the label draws them.
inline plat::Rect textBox(const plat::Label& label) {
  const plat::Rect b = label.bounds();
  const plat::Rect t = label.textRectForBounds(b, label.numberOfLines());
  double x = b.x;
  if (label.textAlignment() == plat::TextAlignment::Center) x += (b.width - t.width) / 2;
  if (label.textAlignment() == plat::TextAlignment::Right) x += b.width - t.width;
  return {x, b.y + (b.height - t.height) / 2, t.width, t.height};
}

// The part of `view` that shows text, in its own coordinates; empty when it shows none. A
// button's title is its title label's, once the button has laid it out.
inline plat::Rect textArea(const plat::View& view) {
  if (auto* label = dynamic_cast<const plat::Label*>(&view))
    return label->text().empty() ? plat::Rect{} : textBox(*label);
  if (auto* button = dynamic_cast<const plat::Button*>(&view)) {
    const bool laidOut = button->titleLabel().frame().width > 0;
    return button->currentTitle().empty() || laidOut ? plat::Rect{} : button->bounds();
  }
  if (dynamic_cast<const plat::WebView*>(&view)) return view.bounds();
  return {};
}

inline void collect(const plat::View& view, plat::Rect visible, const plat::View& skipA,
                    const plat::View& skipB, std::vector<std::pair<std::string, plat::Rect>>& out) {
  if (view.isHidden() || view.alpha() <= 0.01 || &view == &skipA || &view == &skipB) return;
  const plat::Rect frame = onScreen(view, view.bounds());
  if (dynamic_cast<const plat::ScrollView*>(&view) || view.clipsToBounds())
    visible = visible.intersection(frame);
  if (const plat::Rect text = textArea(view); text.width > 0 && text.height > 0) {
    const plat::Rect shown = visible.intersection(onScreen(view, text));
    if (shown.width > 0 && shown.height > 0) out.emplace_back(view.displayedText(), shown);
  }
  if (dynamic_cast<const plat::WebView*>(&view)) return;  // its page is the text
  for (const auto& child : view.subviews()) collect(*child, visible, skipA, skipB, out);
}

inline std::vector<std::string> coveredBy(
    const plat::View& cover, const std::vector<std::pair<std::string, plat::Rect>>& texts) {
  std::vector<std::string> covered;
  if (cover.isHidden()) return covered;
  const plat::Rect frame = onScreen(cover, cover.bounds());
  for (const auto& [text, rect] : texts) {
    const plat::Rect overlap = frame.intersection(rect);
    if (overlap.width > 0.5 && overlap.height > 0.5)
      covered.push_back(text.empty() ? "(page)" : text);
  }
  return covered;
}

}  // namespace pagingdetail

// The texts under `cover` (when it shows) among those shown inside `root`, empty when none.
inline std::vector<std::string> textsUnder(const plat::View& root, const plat::View& cover) {
  std::vector<std::pair<std::string, plat::Rect>> texts;
  pagingdetail::collect(root, pagingdetail::onScreen(root, root.bounds()), cover, cover, texts);
  return pagingdetail::coveredBy(cover, texts);
}

// The texts a showing paging button covers, empty when none.
inline std::vector<std::string> textsUnderPagingButtons(BaseWordViewController& card) {
  std::vector<std::pair<std::string, plat::Rect>> texts;
  plat::View& root = *card.view();
  pagingdetail::collect(root, pagingdetail::onScreen(root, root.bounds()), *card.upWordBtn(),
                        *card.downWordBtn(), texts);
  std::vector<std::string> covered;
  for (plat::Button* button : {card.upWordBtn(), card.downWordBtn()}) {
    for (std::string& text : pagingdetail::coveredBy(*button, texts))
      covered.push_back(std::move(text));
  }
  return covered;
}

// The same, with the card's page scrolled to its top, its middle and its end in turn.
inline std::vector<std::string> textsUnderPagingButtonsWhileScrolling(
    BaseWordViewController& card) {
  plat::ScrollView& page = *card.myScrollView();
  std::vector<std::string> covered;
  const double end = page.maximumOffset().y, start = page.minimumOffset().y;
  for (double y : {start, (start + end) / 2, end}) {
    page.setContentOffset({0, y}, false);
    for (std::string& text : textsUnderPagingButtons(card)) covered.push_back(std::move(text));
  }
  page.setContentOffset({0, start}, false);
  return covered;
}

}  // namespace learntest
