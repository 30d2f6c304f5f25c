#include "platform/draw/TextColumn.h"

#include <algorithm>
#include <cmath>

#include "platform/draw/DrawContext.h"

namespace plat {

// A paragraph's layout is kept only while it is drawn: a whole long text's glyphs would take
// tens of megabytes, its heights take a few kilobytes.
struct TextColumn::Paragraph {
  std::string text;
  double top = 0;
  double height = 0;
  mutable std::unique_ptr<TextLayout> layout;
  mutable bool drawnLately = false;
};

namespace {

std::vector<std::string> splitParagraphs(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    out.push_back(text.substr(start, end - start));
  out.push_back(text.substr(start));
  return out;
}

}  // namespace

TextColumn::TextColumn() = default;
TextColumn::~TextColumn() = default;

void TextColumn::update(const std::string& text, const Font& font,
                        const TextLayout::Options& options) {
  std::vector<std::string> texts = splitParagraphs(text);
  std::vector<std::unique_ptr<Paragraph>> old;
  if (font == font_ && options == options_) old.swap(paragraphs_);
  paragraphs_.clear();
  font_ = font;
  options_ = options;
  // The unchanged paragraphs are those the old and new texts share at their start and at their
  // end: an edit touches one place.
  size_t head = 0;
  while (head < old.size() && head < texts.size() && old[head]->text == texts[head]) ++head;
  size_t tail = 0;
  while (tail < old.size() - head && tail < texts.size() - head &&
         old[old.size() - 1 - tail]->text == texts[texts.size() - 1 - tail])
    ++tail;
  paragraphs_.reserve(texts.size());
  double top = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    std::unique_ptr<Paragraph> paragraph;
    if (i < head) {
      paragraph = std::move(old[i]);
    } else if (i >= texts.size() - tail) {
      paragraph = std::move(old[old.size() - (texts.size() - i)]);
    } else {
      paragraph = std::make_unique<Paragraph>();
      paragraph->text = std::move(texts[i]);
      auto layout = std::make_unique<TextLayout>(paragraph->text, font_, options_);
      paragraph->height = layout->exactHeight();
      if (i + 1 == texts.size()) paragraph->layout = std::move(layout);  // where typing goes on
    }
    paragraph->top = top;
    top += paragraph->height;
    paragraphs_.push_back(std::move(paragraph));
  }
  height_ = std::ceil(top - 1e-6);
}

const TextLayout& TextColumn::layoutOf(const Paragraph& paragraph) const {
  if (!paragraph.layout)
    paragraph.layout = std::make_unique<TextLayout>(paragraph.text, font_, options_);
  paragraph.drawnLately = true;
  return *paragraph.layout;
}

Rect TextColumn::caretAtEnd() const {
  const Paragraph& last = *paragraphs_.back();
  Rect caret = layoutOf(last).caretAtEnd();
  caret.y += last.top;
  return caret;
}

void TextColumn::draw(DrawContext& context, Point origin, double top, double bottom) const {
  // The first paragraph that reaches below `top`.
  auto first = std::upper_bound(paragraphs_.begin(), paragraphs_.end(), top,
                                [](double y, const std::unique_ptr<Paragraph>& paragraph) {
                                  return y < paragraph->top + paragraph->height;
                                });
  for (auto& paragraph : paragraphs_) paragraph->drawnLately = false;
  for (auto it = first; it != paragraphs_.end() && (*it)->top < bottom; ++it) {
    const Paragraph& paragraph = **it;
    layoutOf(paragraph).drawLines(context, {origin.x, origin.y + paragraph.top},
                                  top - paragraph.top, bottom - paragraph.top);
  }
  // The last paragraph keeps its layout: the caret stands at its end.
  for (size_t i = 0; i + 1 < paragraphs_.size(); ++i)
    if (!paragraphs_[i]->drawnLately) paragraphs_[i]->layout.reset();
}

}  // namespace plat
