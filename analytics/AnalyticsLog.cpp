#include "analytics/AnalyticsLog.h"

#include <cstdarg>
#include <cstdio>

#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsContext.h"

namespace {

std::string formatList(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return "";
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

std::string anFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatList(format, args);
  va_end(args);
  return text;
}

void analyticsLog(const char* format, ...) {
  if (!AnalyticsApp::sharedInstance().logEnabled()) return;
  va_list args;
  va_start(args, format);
  std::string text = formatList(format, args);
  va_end(args);
  analyticsPrint("ANLOG: " + text);
}

void analyticsPrint(const std::string& line) {
  AnalyticsContext::current().print(line);
}
