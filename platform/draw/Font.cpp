#include "platform/draw/Font.h"

#include <map>
#include <tuple>

#include "platform/draw/PangoText.h"

namespace plat {
namespace {

bool endsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

struct Metrics {
  double ascent;
  double descent;
};

// Pango works metrics out by shaping sample text, which costs as much as laying out a paragraph;
// a face's metrics never change while the program runs, so each thread asks once per font.
Metrics metricsOf(const Font& font) {
  using Key = std::tuple<std::string, double, bool, bool>;
  thread_local std::map<Key, Metrics> cache;
  Key key{font.family, font.size, font.bold, font.italic};
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  PangoFontMetrics* m =
      pango_context_get_metrics(pangotext::context(), pangotext::description(font), nullptr);
  Metrics out{pango_units_to_double(pango_font_metrics_get_ascent(m)),
              pango_units_to_double(pango_font_metrics_get_descent(m))};
  pango_font_metrics_unref(m);
  cache.emplace(key, out);
  return out;
}

}  // namespace

Font Font::named(const std::string& name, double size) {
  struct Style {
    const char* suffix;
    bool bold;
    bool italic;
  };
  static const Style styles[] = {{"-BoldItalic", true, true},
                                 {"-BoldOblique", true, true},
                                 {"-Bold", true, false},
                                 {"-Italic", false, true},
                                 {"-Oblique", false, true}};
  Font font{name, size, false, false};
  for (const Style& style : styles) {
    if (endsWith(name, style.suffix)) {
      font.family = name.substr(0, name.size() - std::string(style.suffix).size());
      font.bold = style.bold;
      font.italic = style.italic;
      break;
    }
  }
  return font;
}

double Font::ascender() const {
  return metricsOf(*this).ascent;
}
double Font::descender() const {
  return metricsOf(*this).descent;
}
double Font::lineHeight() const {
  Metrics m = metricsOf(*this);
  return m.ascent + m.descent;
}

}  // namespace plat
