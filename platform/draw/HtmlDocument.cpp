#include "platform/draw/HtmlDocument.h"

#include <litehtml.h>

#include <cctype>
#include <functional>
#include <vector>

#include "platform/draw/HtmlContainer.h"
#include "platform/draw/HtmlStyles.h"
#include "platform/draw/HtmlText.h"

namespace plat {
namespace {

// Deeper pages would exhaust the stack in the layout engine's recursion.
constexpr int kMaxNesting = 200;
constexpr double kFallbackMargin = 8;

litehtml::context& sharedContext() {
  thread_local litehtml::context context = [] {
    litehtml::context c;
    c.load_master_stylesheet(html::kDefaultStyleSheet);
    return c;
  }();
  return context;
}

bool isTextNode(const litehtml::element::ptr& el) {
  const char* tag = el->get_tagName();
  return (!tag || !*tag) && el->get_children_count() == 0;
}

void visit(const litehtml::element::ptr& el,
           const std::function<bool(const litehtml::element::ptr&)>& fn) {
  if (!el || !fn(el)) return;
  for (size_t i = 0; i < el->get_children_count(); ++i) {
    visit(el->get_child(static_cast<int>(i)), fn);
  }
}

void serializeChildren(const litehtml::element::ptr& el, std::string& out);

void serialize(const litehtml::element::ptr& el, std::string& out) {
  if (isTextNode(el)) {
    litehtml::tstring text;
    el->get_text(text);
    out += html::escapeText(text);
    return;
  }
  std::string tag = el->get_tagName() ? el->get_tagName() : "";
  out += "<" + tag + ">";
  serializeChildren(el, out);
  if (tag != "br" && tag != "img" && tag != "hr") out += "</" + tag + ">";
}

void serializeChildren(const litehtml::element::ptr& el, std::string& out) {
  for (size_t i = 0; i < el->get_children_count(); ++i) {
    serialize(el->get_child(static_cast<int>(i)), out);
  }
}

}  // namespace

struct HtmlDocument::Impl {
  std::unique_ptr<HtmlContainer> container;
  litehtml::document::ptr document;
  std::unique_ptr<std::string> fallbackText;  // set when the page is shown as text
  std::string source;

  void useFallback() {
    document.reset();
    fallbackText = std::make_unique<std::string>(html::toPlainText(source));
  }

  litehtml::element::ptr root() const { return document ? document->root() : nullptr; }
};

namespace {

bool hasScheme(const std::string& s) {
  size_t colon = s.find(':');
  if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(s[0]))) {
    return false;
  }
  for (size_t i = 1; i < colon; ++i) {
    char c = s[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

// Drops "." segments and folds ".." into the segment before it.
std::string removeDotSegments(const std::string& path) {
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    std::string segment =
        path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    bool last = slash == std::string::npos;
    if (segment == "..") {
      if (segments.size() > 1) segments.pop_back();
      if (last) segments.push_back("");
    } else if (segment == ".") {
      if (last) segments.push_back("");
    } else {
      segments.push_back(segment);
    }
    if (last) break;
    start = slash + 1;
  }
  std::string out;
  for (size_t i = 0; i < segments.size(); ++i) out += (i ? "/" : "") + segments[i];
  return out;
}

}  // namespace

std::string resolveURL(const std::string& base, const std::string& reference) {
  if (base.empty() || hasScheme(reference)) return reference;
  std::string scheme = hasScheme(base) ? base.substr(0, base.find(':') + 1) : "";
  std::string rest = base.substr(scheme.size());
  std::string authority;
  if (rest.rfind("//", 0) == 0) {
    size_t slash = rest.find_first_of("/?#", 2);
    authority = rest.substr(0, slash);
    rest = slash == std::string::npos ? "" : rest.substr(slash);
  }
  std::string basePath = rest.substr(0, rest.find_first_of("?#"));
  if (reference.empty()) return scheme + authority + rest;
  if (reference.rfind("//", 0) == 0) return scheme + reference;
  if (reference[0] == '#' || reference[0] == '?') {
    std::string kept = reference[0] == '#' ? rest.substr(0, rest.find('#')) : basePath;
    return scheme + authority + kept + reference;
  }
  size_t tail = reference.find_first_of("?#");
  std::string refPath = reference.substr(0, tail);
  std::string suffix = tail == std::string::npos ? "" : reference.substr(tail);
  std::string merged;
  if (refPath[0] == '/') {
    merged = refPath;
  } else {
    size_t lastSlash = basePath.rfind('/');
    merged = (lastSlash == std::string::npos ? (authority.empty() ? "" : "/")
                                             : basePath.substr(0, lastSlash + 1)) +
             refPath;
  }
  return scheme + authority + removeDotSegments(merged) + suffix;
}

HtmlDocument::HtmlDocument(const std::string& htmlText, const std::string& baseURL)
    : impl_(std::make_unique<Impl>()), baseURL_(baseURL) {
  impl_->source = htmlText;
  impl_->container = std::make_unique<HtmlContainer>(baseURL);
  if (html::nestingDepth(htmlText) > kMaxNesting) {
    impl_->useFallback();
    return;
  }
  try {
    impl_->document = litehtml::document::createFromUTF8(htmlText.c_str(), impl_->container.get(),
                                                         &sharedContext());
  } catch (...) {
    impl_->document.reset();
  }
  if (!impl_->document || !impl_->document->root()) impl_->useFallback();
}

HtmlDocument::~HtmlDocument() = default;

bool HtmlDocument::isPlainTextFallback() const {
  return impl_->fallbackText != nullptr;
}

double HtmlDocument::layout(double width, double viewportHeight) {
  int w = std::max(1, static_cast<int>(width));
  impl_->container->setViewport(w, viewportHeight > 0 ? static_cast<int>(viewportHeight) : 480);
  if (impl_->document) {
    try {
      impl_->document->media_changed();
      impl_->document->render(w);
      width_ = impl_->document->width();
      height_ = impl_->document->height();
      return height_;
    } catch (...) {
      impl_->useFallback();
    }
  }
  TextLayout::Options options;
  options.maxWidth = width - 2 * kFallbackMargin;
  TextLayout text(*impl_->fallbackText, Font::system(16), options);
  width_ = width;
  height_ = text.size().height + 2 * kFallbackMargin;
  return height_;
}

void HtmlDocument::draw(DrawContext& context, Point origin, const Rect& clip) {
  if (impl_->fallbackText) {
    context.save();
    context.setFillColor(Color::black());
    TextLayout::Options options;
    options.maxWidth = width_ - 2 * kFallbackMargin;
    TextLayout(*impl_->fallbackText, Font::system(16), options)
        .draw(context, {origin.x + kFallbackMargin, origin.y + kFallbackMargin});
    context.restore();
    return;
  }
  litehtml::position clipBox(static_cast<int>(origin.x + clip.x),
                             static_cast<int>(origin.y + clip.y), static_cast<int>(clip.width + 1),
                             static_cast<int>(clip.height + 1));
  impl_->container->beginDrawing(&context);
  impl_->document->draw(reinterpret_cast<litehtml::uint_ptr>(&context), static_cast<int>(origin.x),
                        static_cast<int>(origin.y), &clipBox);
  impl_->container->endDrawing();
}

std::vector<std::string> HtmlDocument::links() const {
  std::vector<std::string> out;
  visit(impl_->root(), [&](const litehtml::element::ptr& el) {
    const char* tag = el->get_tagName();
    if (tag && std::string(tag) == "a") {
      if (const char* href = el->get_attr("href")) out.push_back(resolveURL(baseURL_, href));
    }
    return true;
  });
  return out;
}

std::string HtmlDocument::innerHTML(const std::string& id) const {
  litehtml::element::ptr match;
  visit(impl_->root(), [&](const litehtml::element::ptr& el) {
    if (match) return false;
    const char* own = isTextNode(el) ? nullptr : el->get_attr("id");
    if (own && id == own) match = el;
    return !match;
  });
  std::string out;
  if (match) serializeChildren(match, out);
  return out;
}

std::string HtmlDocument::title() const {
  return impl_->container->caption();
}

std::string HtmlDocument::plainText() const {
  if (impl_->fallbackText) return *impl_->fallbackText;
  litehtml::tstring text;
  if (auto root = impl_->root()) root->get_text(text);
  return text;
}

std::string HtmlDocument::linkAt(Point p) {
  if (!impl_->document) return "";
  int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
  litehtml::position::vector boxes;
  impl_->container->takeClickedURL();
  impl_->document->on_mouse_over(x, y, x, y, boxes);
  impl_->document->on_lbutton_down(x, y, x, y, boxes);
  impl_->document->on_lbutton_up(x, y, x, y, boxes);
  impl_->document->on_mouse_leave(boxes);
  return impl_->container->takeClickedURL();
}

}  // namespace plat
