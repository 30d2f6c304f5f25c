// The component's one log: analyticsLog writes "ANLOG: <message>" to the platform log only while
// logging is switched on, and formats nothing otherwise. analyticsPrint writes always (misuse by
// the caller, codec failure traces, caught exceptions).
#pragma once

#include <string>

std::string anFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
void analyticsLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void analyticsPrint(const std::string& line);
