// A font: family, size in points, weight and slant. The system font is the CJK font the setup
// installs, so Chinese and Latin text share one face; other families fall back to it.
#pragma once

#include <string>

namespace plat {

struct Font {
  std::string family;  // "" is the system font
  double size = 14;
  bool bold = false;
  bool italic = false;

  bool operator==(const Font&) const = default;

  static Font system(double size) { return {"", size, false, false}; }
  static Font boldSystem(double size) { return {"", size, true, false}; }
  static Font italicSystem(double size) { return {"", size, false, true}; }
  // A family by name; a "-Bold" / "-Italic" / "-BoldItalic" suffix picks the style.
  static Font named(const std::string& name, double size);
  static double systemFontSize() { return 14; }
  static double labelFontSize() { return 17; }

  Font withSize(double newSize) const { return {family, newSize, bold, italic}; }

  // Metrics of the face at this size, in points.
  double ascender() const;
  double descender() const;  // positive: how far glyphs reach below the baseline
  double lineHeight() const;
};

}  // namespace plat
