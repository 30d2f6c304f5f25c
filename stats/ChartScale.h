// The value scale of a chart: how a top value becomes a step and a number of steps, and how one
// series element reads as a value. Shared by the chart and its tests.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/base/Value.h"

struct ChartScale {
  int64_t step = 0;       // value of one scale step
  int64_t stepCount = 0;  // steps from the base line to the top
};

namespace chartscale {

// The scale for a chart whose largest value is `top`.
ChartScale forTop(float top);

// A series element as a value: numbers as they are, strings by their leading decimal number
// (0 when there is none); std::nullopt for null and for anything that is not a finite number,
// which the chart leaves empty.
std::optional<float> valueOf(const plat::Value& element);

}  // namespace chartscale
