// Proxy auto-configuration scripts: FindProxyForURL(url, host) run in an embedded JavaScript
// engine with the usual helper functions, and its answer read as a list of proxies. The script
// runs in a child process, so one that loops for ever is stopped at the time limit without
// taking the caller's thread or memory with it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/http/ProxySettings.h"
#include "platform/http/Url.h"

namespace plat::http {

// One choice of a script's answer: a proxy, or nullopt for "DIRECT".
using PacChoice = std::optional<ProxyServer>;

// The script's answer for `url`; nullopt (and *error) when it can't be evaluated, throws, gives
// no text or runs past `timeLimitSeconds`.
std::optional<std::string> evaluatePacScript(const std::string& script, const Url& url,
                                             double timeLimitSeconds, std::string* error = nullptr);

// "PROXY a:8080; SOCKS b:1080; DIRECT" as choices in order; unreadable entries are skipped.
std::vector<PacChoice> parsePacAnswer(const std::string& answer);

}  // namespace plat::http
