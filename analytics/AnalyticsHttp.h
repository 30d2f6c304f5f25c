// One blocking HTTP request for the analytics' queue threads (uploads, online parameters): the
// exchange runs on the calling thread's own run loop until it ends or times out, through the proxy
// every other request of the program would take. The reply read into memory has a ceiling.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct AnalyticsHttpReply {
  bool answered = false;  // a whole response came
  int status = 0;
  std::string contentType;
  std::string body;
  std::string error;  // why no whole response came
};

// The most reply bytes an exchange keeps: the service's answers are a few hundred bytes, and a
// larger reply fails the exchange rather than filling memory.
constexpr size_t kAnalyticsMostReplyBytes = 1 << 20;

AnalyticsHttpReply analyticsPost(const std::string& url,
                                 const std::vector<std::pair<std::string, std::string>>& headers,
                                 const std::string& body, double timeoutSeconds = 60,
                                 size_t mostReplyBytes = kAnalyticsMostReplyBytes);
