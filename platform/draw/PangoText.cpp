#include "platform/draw/PangoText.h"

#include <pango/pangofc-fontmap.h>

#include <map>
#include <memory>
#include <tuple>

#include "platform/draw/FontFaces.h"

namespace plat::pangotext {
namespace {

// Covers Latin and CJK text in one face; sans-serif catches anything it lacks.
constexpr const char* kSystemFamilies = "WenQuanYi Micro Hei,sans-serif";
// The Latin face for what the CJK face draws full-width but English text wants narrow.
constexpr const char* kLatinFamilies = "DejaVu Sans,sans-serif";

struct ContextHolder {
  PangoFontMap* map = nullptr;
  PangoContext* context = nullptr;
  ContextHolder() {
    // A map of the thread's own with the program's faces, rather than the thread's default one
    // with the machine's.
    map = pango_cairo_font_map_new();
    if (FcConfig* faces = fontfaces::configuration(); faces && PANGO_IS_FC_FONT_MAP(map))
      pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), faces);
    context = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
  }
  ~ContextHolder() {
    g_object_unref(context);
    g_object_unref(map);
  }
};

struct DescriptionDeleter {
  void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
using DescriptionPtr = std::unique_ptr<PangoFontDescription, DescriptionDeleter>;

}  // namespace

}  // namespace plat::pangotext

// Fontconfig keeps its font caches for the life of the process; the leak checker of the
// sanitizer builds is told so rather than reporting them from every program that draws text.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

namespace plat::pangotext {

PangoContext* context() {
  thread_local ContextHolder holder;
  return holder.context;
}

std::string familyList(const std::string& family) {
  if (family.empty()) return kSystemFamilies;
  return family + "," + kSystemFamilies;
}

std::string latinFamilyList(const std::string& family) {
  if (family.empty()) return kLatinFamilies;
  return family + "," + kLatinFamilies;
}

const PangoFontDescription* description(const Font& font) {
  using Key = std::tuple<std::string, double, bool, bool>;
  thread_local std::map<Key, DescriptionPtr> cache;
  Key key{font.family, font.size, font.bold, font.italic};
  auto found = cache.find(key);
  if (found != cache.end()) return found->second.get();
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, familyList(font.family).c_str());
  pango_font_description_set_absolute_size(d, font.size > 0 ? font.size * PANGO_SCALE : 1);
  pango_font_description_set_weight(d, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(d, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return cache.emplace(key, DescriptionPtr(d)).first->second.get();
}

}  // namespace plat::pangotext
