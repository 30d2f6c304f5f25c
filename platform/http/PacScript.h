// Proxy auto-configuration scripts: FindProxyForURL(url, host) run in an embedded JavaScript
// engine with the usual helper functions, and its answer read as a list of proxies. Each script
// runs in the evaluator program (pac/PacEvaluatorMain.cpp), started fresh, so that one that loops
// for ever is killed at the time limit without taking the caller's thread or memory with it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/http/ProxySettings.h"
#include "platform/http/Url.h"

namespace plat::http {

// One choice of a script's answer: a proxy, or nullopt for "DIRECT".
using PacChoice = std::optional<ProxyServer>;

// The evaluator program: beside this program when it is there, else where the build put it.
std::string pacEvaluatorPath();

// The script's answer for `url`; nullopt (and *error) when it can't be evaluated, throws, gives
// no text or runs past `timeLimitSeconds`. Blocks the calling thread until then.
std::optional<std::string> evaluatePacScript(const std::string& script, const Url& url,
                                             double timeLimitSeconds, std::string* error = nullptr);

// The same without blocking: the evaluator is fed and read on the current thread's run loop in
// `mode`, and `done` runs there once with the answer or nullopt and the reason, at the latest
// when the limit (on the process clock) has passed. Dropping the handle first stops the run and
// `done` is not called.
using PacDone = std::function<void(std::optional<std::string> answer, const std::string& error)>;
std::shared_ptr<void> evaluatePacScriptAsync(const std::string& script, const Url& url,
                                             double timeLimitSeconds, const std::string& mode,
                                             PacDone done);

// "PROXY a:8080; SOCKS b:1080; DIRECT" as choices in order; unreadable entries are skipped.
std::vector<PacChoice> parsePacAnswer(const std::string& answer);

}  // namespace plat::http
