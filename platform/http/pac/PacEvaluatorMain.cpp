// The proxy configuration script evaluator: a small program of its own, started fresh for each
// script so that the engine never runs in a copy of a many-threaded process (whose locks another
// thread may have held at the copy). It reads the request URL and host (one line each) and then
// the script from its input, and writes FindProxyForURL's answer, or "\x01" and the reason, to
// its output. The caller kills it at its time limit.
#include <arpa/inet.h>
#include <duktape.h>
#include <netdb.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

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

// A script that allocates without end fails its allocation instead of taking the machine's
// memory: the heap is capped, and each block carries its size in front.
constexpr size_t kHeapLimit = 64u << 20;
constexpr size_t kHeader = alignof(std::max_align_t);
size_t heapUsed = 0;

void* cappedAlloc(void*, duk_size_t size) {
  if (size > kHeapLimit - heapUsed) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) return nullptr;
  std::memcpy(block, &size, sizeof size);
  heapUsed += size;
  return block + kHeader;
}

void cappedFree(void*, void* ptr) {
  if (!ptr) return;
  auto* block = static_cast<unsigned char*>(ptr) - kHeader;
  size_t size;
  std::memcpy(&size, block, sizeof size);
  heapUsed -= size;
  std::free(block);
}

void* cappedRealloc(void* udata, void* ptr, duk_size_t size) {
  if (!ptr) return cappedAlloc(udata, size);
  if (size == 0) {
    cappedFree(udata, ptr);
    return nullptr;
  }
  auto* block = static_cast<unsigned char*>(ptr) - kHeader;
  size_t old;
  std::memcpy(&old, block, sizeof old);
  if (size > old && size - old > kHeapLimit - heapUsed) return nullptr;
  auto* grown = static_cast<unsigned char*>(std::realloc(block, size + kHeader));
  if (!grown) return nullptr;
  std::memcpy(grown, &size, sizeof size);
  heapUsed = heapUsed - old + size;
  return grown + kHeader;
}

// An error the engine cannot recover from ends the program with the reason as the answer.
void fatal(void*, const char* message) {
  const std::string out = std::string("\x01") + (message ? message : "script engine failure");
  fwrite(out.data(), 1, out.size(), stdout);
  fflush(stdout);
  _exit(0);
}

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

// The answer, or "\x01" and the reason.
std::string runScript(const std::string& script, const std::string& url, const std::string& host) {
  duk_context* ctx = duk_create_heap(cappedAlloc, cappedRealloc, cappedFree, nullptr, fatal);
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

}  // namespace

int main() {
  std::string url, host;
  std::getline(std::cin, url);
  std::getline(std::cin, host);
  const std::string script((std::istreambuf_iterator<char>(std::cin)),
                           std::istreambuf_iterator<char>());
  const std::string out = runScript(script, url, host);
  fwrite(out.data(), 1, out.size(), stdout);
  return fflush(stdout) == 0 ? 0 : 1;
}
