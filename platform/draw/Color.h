// A colour with red, green, blue and alpha components from 0 to 1, and the named colours the
// screens use.
#pragma once

namespace plat {

struct Color {
  double r = 0;
  double g = 0;
  double b = 0;
  double a = 0;

  bool operator==(const Color&) const = default;

  static Color rgb(double red, double green, double blue, double alpha = 1) {
    return {red, green, blue, alpha};
  }
  // Components given out of 255, as the screens give them.
  static Color rgb255(double red, double green, double blue, double alpha = 1) {
    return {red / 255, green / 255, blue / 255, alpha};
  }
  static Color white(double w, double alpha = 1) { return {w, w, w, alpha}; }

  static Color clear() { return {0, 0, 0, 0}; }
  static Color black() { return {0, 0, 0, 1}; }
  static Color white() { return {1, 1, 1, 1}; }
  static Color gray() { return {0.5, 0.5, 0.5, 1}; }
  static Color lightGray() { return {2.0 / 3, 2.0 / 3, 2.0 / 3, 1}; }
  static Color darkGray() { return {1.0 / 3, 1.0 / 3, 1.0 / 3, 1}; }
  static Color red() { return {1, 0, 0, 1}; }
  static Color green() { return {0, 1, 0, 1}; }
  static Color blue() { return {0, 0, 1, 1}; }
  static Color yellow() { return {1, 1, 0, 1}; }
  static Color orange() { return {1, 0.5, 0, 1}; }

  Color withAlpha(double alpha) const { return {r, g, b, alpha}; }
  bool isClear() const { return a <= 0; }
};

}  // namespace plat
