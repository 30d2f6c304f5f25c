#include "stats/ChartPageStyle.h"

namespace chartpage {

std::vector<std::string> dayLabels() {
  std::vector<std::string> labels;
  for (int d = 13; d >= 10; --d) labels.push_back(std::to_string(d) + "天前");
  for (int d = 9; d >= 3; --d) labels.push_back(std::to_string(d) + "\n天前");
  // Day names of two characters are one word each: on one line, never 天 on a line of its own.
  for (const char* day : {"前天", "昨天", "今天", "明天", "后天"}) labels.push_back(day);
  for (int d = 3; d <= 9; ++d) labels.push_back(std::to_string(d) + "\n天后");
  for (int d = 10; d <= 13; ++d) labels.push_back(std::to_string(d) + "天后");
  return labels;
}

}  // namespace chartpage
