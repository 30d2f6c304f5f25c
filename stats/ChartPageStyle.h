// The day labels and series colours that the statistics chart pages share.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/draw/Color.h"

namespace chartpage {

inline plat::Color yellow() {
  return plat::Color::rgb(1, 1, 0.6);
}
inline plat::Color red() {
  return plat::Color::rgb(0.8, 0.4, 0.4);
}
inline plat::Color green() {
  return plat::Color::rgb(0.4, 0.8, 0.6);
}

// The 27 labels from 13 study days ago to 13 ahead; label 14 (index 13) is today.
std::vector<std::string> dayLabels();

// Label number 14 (today) drawn green.
inline std::map<std::string, plat::Color> todayHighlight() {
  return {{"14", green()}};
}

}  // namespace chartpage
