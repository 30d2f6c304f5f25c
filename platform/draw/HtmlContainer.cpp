#include "platform/draw/HtmlContainer.h"

#include <cairo.h>
#include <glib.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "platform/base/Files.h"
#include "platform/draw/HtmlDocument.h"
#include "platform/draw/HtmlLineBreak.h"
#include "platform/draw/HtmlWordSplit.h"
#include "platform/draw/TextLayout.h"

namespace plat {
namespace {

Color colorOf(const litehtml::web_color& c) {
  return Color::rgb255(c.red, c.green, c.blue, c.alpha / 255.0);
}

DrawContext& contextOf(litehtml::uint_ptr hdc) {
  return *reinterpret_cast<DrawContext*>(hdc);
}

// "'Helvetica Neue', Arial" -> "Helvetica Neue,Arial"
std::string cleanFamilies(const char* faceName) {
  std::string out;
  for (const char* p = faceName ? faceName : ""; *p; ++p) {
    if (*p == '"' || *p == '\'') continue;
    if (*p == ' ' && (out.empty() || out.back() == ',')) continue;
    out += *p;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == ',')) out.pop_back();
  return out;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecoded(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

struct HtmlContainer::HtmlFont {
  Font font;
  unsigned decoration = 0;
  litehtml::font_metrics metrics;
  // The engine measures every word and space apart, the same ones again and again.
  std::unordered_map<std::string, int> widths;
};

std::optional<std::string> readLocalURL(const std::string& url) {
  std::string path;
  if (url.rfind("file://", 0) == 0) {
    path = percentDecoded(url.substr(7));
    size_t query = path.find_first_of("?#");
    if (query != std::string::npos) path.resize(query);
  } else if (!url.empty() && url[0] == '/') {
    path = url;
  } else {
    return std::nullopt;
  }
  return files::readFile(path);
}

HtmlContainer::HtmlContainer(std::string baseURL) : baseURL_(std::move(baseURL)) {}
HtmlContainer::~HtmlContainer() = default;

std::string HtmlContainer::takeClickedURL() {
  std::string url;
  url.swap(clickedURL_);
  return url;
}

void HtmlContainer::endDrawing() {
  while (clipDepth_ > 0) del_clip();
  drawing_ = nullptr;
}

std::string HtmlContainer::resolve(const std::string& src, const char* baseurl) const {
  std::string base = baseurl && *baseurl ? baseurl : baseURL_;
  return resolveURL(base, src);
}

litehtml::uint_ptr HtmlContainer::create_font(const litehtml::tchar_t* faceName, int size,
                                              int weight, litehtml::font_style italic,
                                              unsigned int decoration, litehtml::font_metrics* fm) {
  auto font = std::make_unique<HtmlFont>();
  font->font = Font{cleanFamilies(faceName), static_cast<double>(std::max(size, 1)), weight >= 600,
                    italic == litehtml::fontStyleItalic};
  font->decoration = decoration;
  double ascent = font->font.ascender();
  double descent = font->font.descender();
  font->metrics.ascent = static_cast<int>(std::lround(ascent));
  font->metrics.descent = static_cast<int>(std::lround(descent));
  font->metrics.height = font->metrics.ascent + font->metrics.descent;
  font->metrics.x_height = static_cast<int>(std::lround(font->font.size * 0.5));
  if (fm) *fm = font->metrics;
  fonts_.push_back(std::move(font));
  return reinterpret_cast<litehtml::uint_ptr>(fonts_.back().get());
}

void HtmlContainer::delete_font(litehtml::uint_ptr hFont) {
  auto* target = reinterpret_cast<HtmlFont*>(hFont);
  std::erase_if(fonts_, [target](const auto& f) { return f.get() == target; });
}

int HtmlContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) {
  if (!hFont || !text) return 0;
  HtmlFont& font = *reinterpret_cast<HtmlFont*>(hFont);
  auto [known, added] = font.widths.try_emplace(text, 0);
  if (!added) return known->second;
  // The engine adds up words and spaces measured apart: rounding each to the nearest point (not
  // up) keeps a line as wide as the same text laid out whole.
  const double width = TextLayout(text, font.font).exactWidth();
  known->second = static_cast<int>(std::lround(width));
  return known->second;
}

void HtmlContainer::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text,
                              litehtml::uint_ptr hFont, litehtml::web_color color,
                              const litehtml::position& pos) {
  if (!hdc || !hFont || !text) return;
  DrawContext& ctx = contextOf(hdc);
  const HtmlFont& font = *reinterpret_cast<HtmlFont*>(hFont);
  ctx.save();
  ctx.setFillColor(colorOf(color));
  ctx.setStrokeColor(colorOf(color));
  TextLayout layout(text, font.font);
  layout.draw(ctx, {double(pos.x), double(pos.y)});
  double width = layout.size().width;
  double baseline = pos.y + font.metrics.ascent;
  ctx.setLineWidth(1);
  if (font.decoration & litehtml::font_decoration_underline) {
    ctx.strokeLine({double(pos.x), baseline + 1.5}, {pos.x + width, baseline + 1.5});
  }
  if (font.decoration & litehtml::font_decoration_linethrough) {
    double y = baseline - font.metrics.x_height / 2.0;
    ctx.strokeLine({double(pos.x), y}, {pos.x + width, y});
  }
  if (font.decoration & litehtml::font_decoration_overline) {
    ctx.strokeLine({double(pos.x), pos.y + 0.5}, {pos.x + width, pos.y + 0.5});
  }
  ctx.restore();
}

int HtmlContainer::pt_to_px(int pt) const {
  return static_cast<int>(std::lround(pt * 4.0 / 3.0));
}
int HtmlContainer::get_default_font_size() const {
  return 16;
}
const litehtml::tchar_t* HtmlContainer::get_default_font_name() const {
  return "sans-serif";
}

void HtmlContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) {
  if (!hdc) return;
  DrawContext& ctx = contextOf(hdc);
  Rect box(marker.pos.x, marker.pos.y, marker.pos.width, marker.pos.height);
  if (!marker.image.empty()) {
    if (auto image = imageFor(marker.image, marker.baseurl)) ctx.drawImage(*image, box);
    return;
  }
  ctx.save();
  ctx.setFillColor(colorOf(marker.color));
  ctx.setStrokeColor(colorOf(marker.color));
  ctx.setLineWidth(1);
  switch (marker.marker_type) {
    case litehtml::list_style_type_none:
      break;
    case litehtml::list_style_type_circle:
      ctx.strokeEllipse(box.insetBy(0.5, 0.5));
      break;
    case litehtml::list_style_type_square:
      ctx.fillRect(box);
      break;
    case litehtml::list_style_type_disc:
      ctx.fillEllipse(box);
      break;
    default: {
      // Numbered styles: the index and a dot, ending at the marker box.
      std::string label = std::to_string(marker.index) + ".";
      Font font = marker.font ? reinterpret_cast<HtmlFont*>(marker.font)->font : Font::system(16);
      TextLayout layout(label, font);
      double top = box.maxY() - layout.size().height + font.descender();
      layout.draw(ctx, {box.maxX() - layout.size().width, top});
      break;
    }
  }
  ctx.restore();
}

std::shared_ptr<Image> HtmlContainer::imageFor(const std::string& src, const char* baseurl) {
  std::string url = resolve(src, baseurl);
  auto found = images_.find(url);
  if (found != images_.end()) return found->second;
  std::shared_ptr<Image> image;
  if (std::optional<std::string> data = readLocalURL(url)) image = Image::fromPNGData(*data);
  images_[url] = image;
  return image;
}

void HtmlContainer::load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                               bool) {
  if (src) imageFor(src, baseurl);
}

void HtmlContainer::get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                                   litehtml::size& sz) {
  std::shared_ptr<Image> image = src ? imageFor(src, baseurl) : nullptr;
  sz.width = image ? static_cast<int>(std::lround(image->size().width)) : 0;
  sz.height = image ? static_cast<int>(std::lround(image->size().height)) : 0;
}

void HtmlContainer::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) {
  if (!hdc) return;
  DrawContext& ctx = contextOf(hdc);
  const litehtml::position& clip = bg.clip_box;
  Rect clipRect(clip.x, clip.y, clip.width, clip.height);
  ctx.save();
  double radius = bg.border_radius.top_left_x;
  ctx.beginPath();
  ctx.addRoundedRect(clipRect, radius);
  ctx.clip();
  if (bg.color.alpha > 0) {
    ctx.setFillColor(colorOf(bg.color));
    ctx.fillRect(clipRect);
  }
  std::shared_ptr<Image> image =
      bg.image.empty() ? nullptr : imageFor(bg.image, bg.baseurl.c_str());
  if (image && bg.image_size.width > 0 && bg.image_size.height > 0) {
    double w = bg.image_size.width, h = bg.image_size.height;
    double x0 = bg.origin_box.x + bg.position_x, y0 = bg.origin_box.y + bg.position_y;
    bool repeatX = bg.repeat == litehtml::background_repeat_repeat ||
                   bg.repeat == litehtml::background_repeat_repeat_x;
    bool repeatY = bg.repeat == litehtml::background_repeat_repeat ||
                   bg.repeat == litehtml::background_repeat_repeat_y;
    double startX = repeatX ? x0 - std::ceil((x0 - clipRect.x) / w) * w : x0;
    double startY = repeatY ? y0 - std::ceil((y0 - clipRect.y) / h) * h : y0;
    double endX = repeatX ? clipRect.maxX() : x0 + w;
    double endY = repeatY ? clipRect.maxY() : y0 + h;
    for (double y = startY; y < endY; y += h) {
      for (double x = startX; x < endX; x += w) ctx.drawImage(*image, Rect(x, y, w, h));
    }
  }
  ctx.restore();
}

void HtmlContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                                 const litehtml::position& pos, bool) {
  if (!hdc) return;
  DrawContext& ctx = contextOf(hdc);
  auto visible = [](const litehtml::border& b) {
    return b.width > 0 && b.style != litehtml::border_style_none &&
           b.style != litehtml::border_style_hidden;
  };
  ctx.save();
  if (visible(borders.top)) {
    ctx.setFillColor(colorOf(borders.top.color));
    ctx.fillRect(Rect(pos.x, pos.y, pos.width, borders.top.width));
  }
  if (visible(borders.bottom)) {
    ctx.setFillColor(colorOf(borders.bottom.color));
    ctx.fillRect(Rect(pos.x, pos.bottom() - borders.bottom.width, pos.width, borders.bottom.width));
  }
  if (visible(borders.left)) {
    ctx.setFillColor(colorOf(borders.left.color));
    ctx.fillRect(Rect(pos.x, pos.y, borders.left.width, pos.height));
  }
  if (visible(borders.right)) {
    ctx.setFillColor(colorOf(borders.right.color));
    ctx.fillRect(Rect(pos.right() - borders.right.width, pos.y, borders.right.width, pos.height));
  }
  ctx.restore();
}

void HtmlContainer::set_caption(const litehtml::tchar_t* caption) {
  caption_ = caption ? caption : "";
}

void HtmlContainer::set_base_url(const litehtml::tchar_t* base_url) {
  if (base_url && *base_url) baseURL_ = resolveURL(baseURL_, base_url);
}

void HtmlContainer::link(const std::shared_ptr<litehtml::document>&,
                         const litehtml::element::ptr&) {}

void HtmlContainer::on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr&) {
  clickedURL_ = resolve(url ? url : "", nullptr);
}

void HtmlContainer::set_cursor(const litehtml::tchar_t*) {}

void HtmlContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
  if (tt == litehtml::text_transform_uppercase || tt == litehtml::text_transform_lowercase) {
    gchar* changed = tt == litehtml::text_transform_uppercase ? g_utf8_strup(text.c_str(), -1)
                                                              : g_utf8_strdown(text.c_str(), -1);
    text = changed;
    g_free(changed);
  } else if (tt == litehtml::text_transform_capitalize && !text.empty()) {
    text[0] = static_cast<char>(g_ascii_toupper(text[0]));
  }
}

void HtmlContainer::import_css(litehtml::tstring& text, const litehtml::tstring& url,
                               litehtml::tstring& baseurl) {
  std::string resolved = resolve(url, baseurl.c_str());
  text = readLocalURL(resolved).value_or("");
  baseurl = resolved;
}

void HtmlContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses& radius,
                             bool, bool) {
  if (!drawing_) return;
  drawing_->save();
  drawing_->beginPath();
  drawing_->addRoundedRect(Rect(pos.x, pos.y, pos.width, pos.height), radius.top_left_x);
  drawing_->clip();
  ++clipDepth_;
}

void HtmlContainer::del_clip() {
  if (!drawing_ || clipDepth_ == 0) return;
  drawing_->restore();
  --clipDepth_;
}

void HtmlContainer::get_client_rect(litehtml::position& client) const {
  client = litehtml::position(0, 0, viewportWidth_, viewportHeight_);
}

std::shared_ptr<litehtml::element> HtmlContainer::create_element(
    const litehtml::tchar_t* tag_name, const litehtml::string_map&,
    const std::shared_ptr<litehtml::document>& doc) {
  // Breaks take room as a browser gives them; every other element is the engine's own.
  if (tag_name && std::string(tag_name) == "br") return std::make_shared<html::LineBreak>(doc);
  return nullptr;
}

void HtmlContainer::get_media_features(litehtml::media_features& media) const {
  media.type = litehtml::media_type_screen;
  media.width = viewportWidth_;
  media.height = viewportHeight_;
  media.device_width = viewportWidth_;
  media.device_height = viewportHeight_;
  media.color = 8;
  media.color_index = 256;
  media.monochrome = 0;
  media.resolution = 96;
}

void HtmlContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
  language = "zh";
  culture = "CN";
}

void HtmlContainer::split_text(const char* text,
                               const std::function<void(const litehtml::tchar_t*)>& on_word,
                               const std::function<void(const litehtml::tchar_t*)>& on_space) {
  std::vector<html::TextPiece> pieces;
  litehtml::document_container::split_text(
      text,
      [&](const litehtml::tchar_t* word) {
        pieces.push_back({word, false});
      },
      [&](const litehtml::tchar_t* space) {
        pieces.push_back({space, true});
      });
  for (const html::TextPiece& piece : html::keepPunctuationWithWords(pieces))
    (piece.space ? on_space : on_word)(piece.text.c_str());
}

}  // namespace plat
