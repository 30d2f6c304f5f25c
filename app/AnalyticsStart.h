// Starts the usage analytics at launch: recording under the application's key, then the request
// for the online parameters. Neither raises nor reports back.
#pragma once

inline constexpr const char* kAnalyticsAppKey = "7c3e19d04b5a62f8e0d1a9b4";

void startAnalytics();
