#include "stats/ChartScale.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

namespace chartscale {

namespace {

// Far above any count the charts show; keeps the step inside a 64-bit integer.
constexpr float kLargestTop = 1e15f;

float roundedStep(float top, float multiple) {
  return std::ceil(std::ceil(top / 10) / multiple) * multiple;
}

// Reads a string as a float the way a leading-number parse does: blanks skipped, an optional
// sign, then as much of a decimal number as there is.
float leadingFloat(const std::string& text) {
  size_t i = text.find_first_not_of(" \t\n\r\f\v");
  if (i == std::string::npos) return 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  float value = 0;
  auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
  if (result.ec != std::errc()) return 0;
  return negative ? -value : value;
}

}  // namespace

ChartScale forTop(float top) {
  if (top > kLargestTop) top = kLargestTop;
  float step;
  if (top <= 5) return {1, 5};
  if (top <= 20) {
    step = 2;
  } else if (top <= 200) {
    step = roundedStep(top, 5);
  } else if (top <= 1000) {
    step = roundedStep(top, 10);
  } else if (top <= 2000) {
    step = roundedStep(top, 50);
  } else {
    step = roundedStep(top, 100);
  }
  return {int64_t(step), int64_t(std::ceil(top / step))};
}

std::optional<float> valueOf(const plat::Value& element) {
  float value;
  if (element.isNumber() || element.isBool()) {
    double number = element.asDouble();
    if (!(std::fabs(number) <= FLT_MAX)) return std::nullopt;
    value = float(number);
  } else if (element.isString()) {
    value = leadingFloat(element.asString());
  } else {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace chartscale
