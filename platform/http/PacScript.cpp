#include "platform/http/PacScript.h"

#include <arpa/inet.h>
#include <duktape.h>
#include <netdb.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "platform/http/HeaderMap.h"

namespace plat::http {
namespace {

// The helper functions that scripts expect, beside the two native ones (dnsResolve,
// myIpAddress). Times and dates are the machine's local ones unless "GMT" ends the arguments.
const char* const kHelpers = R"JS(
function isPlainHostName(host) { return host.indexOf('.') < 0; }
function dnsDomainIs(host, domain) {
  return host.length >= domain.length &&
         host.substring(host.length - domain.length) == domain;
}
function localHostOrDomainIs(host, hostdom) {
  return host == hostdom || hostdom.lastIndexOf(host + '.', 0) == 0;
}
function isResolvable(host) { return dnsResolve(host) !== null; }
function __addr(ip) {
  var b = ip.split('.');
  return (((b[0] & 255) << 24) | ((b[1] & 255) << 16) | ((b[2] & 255) << 8) | (b[3] & 255)) >>> 0;
}
function isInNet(host, pattern, mask) {
  var ip = /^\d+\.\d+\.\d+\.\d+$/.test(host) ? host : dnsResolve(host);
  if (ip === null) return false;
  var m = __addr(mask);
  return ((__addr(ip) & m) >>> 0) == ((__addr(pattern) & m) >>> 0);
}
function dnsDomainLevels(host) { return host.split('.').length - 1; }
function shExpMatch(text, pattern) {
  var re = pattern.replace(/[.+^${}()|[\]\\\/]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.');
  return new RegExp('^' + re + '$').test(text);
}
function __args(list) {
  var a = Array.prototype.slice.call(list);
  var gmt = a.length > 0 && a[a.length - 1] === 'GMT';
  if (gmt) a.pop();
  return { a: a, now: new Date(), gmt: gmt };
}
function __inRange(lo, value, hi) {
  return lo <= hi ? (value >= lo && value <= hi) : (value >= lo || value <= hi);
}
function weekdayRange() {
  var p = __args(arguments), days = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
  var today = p.gmt ? p.now.getUTCDay() : p.now.getDay();
  var w1 = days.indexOf(p.a[0]), w2 = p.a.length > 1 ? days.indexOf(p.a[1]) : w1;
  if (w1 < 0 || w2 < 0) return false;
  return __inRange(w1, today, w2);
}
function dateRange() {
  var p = __args(arguments), months = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG',
                                       'SEP', 'OCT', 'NOV', 'DEC'];
  var now = { y: p.gmt ? p.now.getUTCFullYear() : p.now.getFullYear(),
              m: p.gmt ? p.now.getUTCMonth() : p.now.getMonth(),
              d: p.gmt ? p.now.getUTCDate() : p.now.getDate() };
  function part(values) {
    var r = {};
    for (var i = 0; i < values.length; ++i) {
      var v = values[i];
      if (typeof v === 'string') r.m = months.indexOf(v);
      else if (v > 31) r.y = v;
      else r.d = v;
    }
    return r;
  }
  function key(r, like) {
    return (like.y !== undefined ? r.y : 0) * 10000 + (like.m !== undefined ? r.m : 0) * 100 +
           (like.d !== undefined ? r.d : 0);
  }
  var a = p.a;
  if (a.length == 1) { var one = part(a); return key(now, one) == key(one, one); }
  if (a.length % 2) return false;
  var lo = part(a.slice(0, a.length / 2)), hi = part(a.slice(a.length / 2));
  return __inRange(key(lo, lo), key(now, lo), key(hi, lo));
}
function timeRange() {
  var p = __args(arguments), a = p.a;
  var h = p.gmt ? p.now.getUTCHours() : p.now.getHours();
  var m = p.gmt ? p.now.getUTCMinutes() : p.now.getMinutes();
  var s = p.gmt ? p.now.getUTCSeconds() : p.now.getSeconds();
  if (a.length == 1) return h == a[0];
  if (a.length == 2) return __inRange(a[0], h, a[1]);
  if (a.length == 4) return __inRange(a[0] * 60 + a[1], h * 60 + m, a[2] * 60 + a[3]);
  if (a.length == 6)
    return __inRange(a[0] * 3600 + a[1] * 60 + a[2], h * 3600 + m * 60 + s,
                     a[3] * 3600 + a[4] * 60 + a[5]);
  return false;
}
)JS";

std::optional<std::string> resolveIpv4(const char* host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return std::nullopt;
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
  freeaddrinfo(found);
  return std::string(text);
}

duk_ret_t dnsResolve(duk_context* ctx) {
  auto address = resolveIpv4(duk_safe_to_string(ctx, 0));
  if (address) {
    duk_push_string(ctx, address->c_str());
  } else {
    duk_push_null(ctx);
  }
  return 1;
}

duk_ret_t myIpAddress(duk_context* ctx) {
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  auto address = resolveIpv4(name);
  duk_push_string(ctx, address ? address->c_str() : "127.0.0.1");
  return 1;
}

// In the child: the answer, or "\x01" and the reason.
std::string runScript(const std::string& script, const std::string& url, const std::string& host) {
  duk_context* ctx = duk_create_heap_default();
  if (!ctx) return "\x01no script engine";
  duk_push_c_function(ctx, dnsResolve, 1);
  duk_put_global_string(ctx, "dnsResolve");
  duk_push_c_function(ctx, myIpAddress, 0);
  duk_put_global_string(ctx, "myIpAddress");
  std::string out;
  if (duk_peval_string(ctx, kHelpers) != 0 ||
      duk_peval_lstring(ctx, script.data(), script.size()) != 0) {
    out = std::string("\x01") + duk_safe_to_string(ctx, -1);
  } else {
    duk_pop(ctx);
    if (!duk_get_global_string(ctx, "FindProxyForURL") || !duk_is_function(ctx, -1)) {
      out = "\x01the script has no FindProxyForURL";
    } else {
      duk_push_lstring(ctx, url.data(), url.size());
      duk_push_lstring(ctx, host.data(), host.size());
      if (duk_pcall(ctx, 2) != 0) {
        out = std::string("\x01") + duk_safe_to_string(ctx, -1);
      } else if (!duk_is_string(ctx, -1)) {
        out = "\x01the script answered no text";
      } else {
        out = duk_get_string(ctx, -1);
      }
    }
  }
  duk_destroy_heap(ctx);
  return out;
}

void writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

}  // namespace

std::optional<std::string> evaluatePacScript(const std::string& script, const Url& url,
                                             double timeLimitSeconds, std::string* error) {
  auto fail = [error](const std::string& reason) -> std::optional<std::string> {
    if (error) *error = reason;
    return std::nullopt;
  };
  // A secure URL shows the script no more than its origin: the path may hold private data.
  const std::string shown =
      url.isSecure() ? url.scheme() + "://" + url.hostHeader() + "/" : url.absoluteString();
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return fail("no pipe for the script");
  const pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return fail("the script could not be started");
  }
  if (child == 0) {
    close(pipeFds[0]);
    writeAll(pipeFds[1], runScript(script, shown, url.host()));
    _exit(0);
  }
  close(pipeFds[1]);
  std::string out;
  bool timedOut = false;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<long>(timeLimitSeconds * 1000));
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd ready{pipeFds[0], POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  close(pipeFds[0]);
  if (timedOut) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (timedOut) return fail("the script ran past its time limit");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return fail("the script's process failed");
  if (!out.empty() && out[0] == '\x01') return fail(out.substr(1));
  return out;
}

std::vector<PacChoice> parsePacAnswer(const std::string& answer) {
  std::vector<PacChoice> choices;
  size_t start = 0;
  while (start <= answer.size()) {
    size_t semicolon = answer.find(';', start);
    const std::string entry = trim(answer.substr(
        start, semicolon == std::string::npos ? std::string::npos : semicolon - start));
    const size_t space = entry.find_first_of(" \t");
    const std::string keyword = lowercased(entry.substr(0, space));
    const std::string where = space == std::string::npos ? "" : trim(entry.substr(space));
    if (keyword == "direct") {
      choices.emplace_back(std::nullopt);
    } else if (!where.empty() && (keyword == "proxy" || keyword == "http" || keyword == "https" ||
                                  keyword.rfind("socks", 0) == 0)) {
      const bool socks = keyword.rfind("socks", 0) == 0;
      if (auto proxy = parseProxySetting((socks ? "socks://" : "http://") + where))
        choices.emplace_back(*proxy);
    }
    if (semicolon == std::string::npos) break;
    start = semicolon + 1;
  }
  return choices;
}

}  // namespace plat::http
