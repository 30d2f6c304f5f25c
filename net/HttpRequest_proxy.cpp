// Choosing the proxy before a request connects: the one set on the request, else an automatic
// configuration script (named by the request or by the environment's "auto_proxy"), else the
// environment's proxy variables. Any trouble with a script leaves the request going direct.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "net/HttpRequest.h"
#include "platform/base/Charset.h"
#include "platform/http/PacScript.h"
#include "platform/http/ProxySettings.h"

namespace {

constexpr size_t kMaxScriptBytes = 4 << 20;

// A local script, read without blocking so that a file that never ends (a pipe) is given up at
// the deadline.
std::optional<std::string> readScriptFile(const std::string& path, double seconds) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  std::string data;
  bool ended = false;
  while (!ended) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0 || data.size() > kMaxScriptBytes) break;
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[16384];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) {
      ended = true;
    } else if (n > 0) {
      data.append(buffer, static_cast<size_t>(n));
    } else if (errno != EAGAIN && errno != EINTR) {
      break;
    }
  }
  close(fd);
  if (!ended) return std::nullopt;
  return data;
}

std::string scriptText(const std::string& bytes) {
  if (auto utf8 = plat::charset::toUtf8(bytes, "UTF-8")) return *utf8;
  return plat::charset::toUtf8(bytes, plat::charset::kLatin1).value_or("");
}

}  // namespace

bool HttpRequest::configureProxies() {
  if (isPACFileRequest_ || !proxyHost_.empty() || proxyPort_ != 0) return true;
  if (PACurl_.isEmpty()) {
    if (auto pac = plat::http::systemAutoConfigurationUrl()) PACurl_ = *pac;
  }
  if (!PACurl_.isEmpty()) {
    fetchPACFile();
    return true;
  }
  if (auto proxy = plat::http::systemProxyForUrl(url_)) {
    proxyHost_ = proxy->host;
    proxyPort_ = proxy->port;
    proxyType_ = proxy->type == plat::http::ProxyServer::Type::Socks ? "SOCKS" : "HTTP";
  }
  return true;
}

// Reads or downloads the script and runs it; the request then connects as it says, or directly.
void HttpRequest::fetchPACFile() {
  const double limit = timeOutSeconds_ > 0 ? timeOutSeconds_ : 10;
  const std::string scheme = plat::http::lowercased(PACurl_.scheme());
  std::optional<std::string> bytes;
  if (scheme == "file") {
    bytes = readScriptFile(PACurl_.path(), limit);
  } else if (scheme == "http" || scheme == "https") {
    auto download = requestWithURL(PACurl_);
    download->isPACFileRequest_ = true;
    download->setTimeOutSeconds(timeOutSeconds_);
    download->setValidatesSecureCertificate(validatesSecureCertificate_);
    download->startSynchronous();
    if (!download->error() && download->responseStatusCode() < 400) {
      if (auto data = download->responseData()) bytes = std::string(data->begin(), data->end());
    }
  }
  if (bytes && !bytes->empty()) runPACScript(scriptText(*bytes));
}

void HttpRequest::runPACScript(const std::string& script) {
  if (script.empty()) return;
  const double limit = timeOutSeconds_ > 0 ? timeOutSeconds_ : 10;
  auto answer = plat::http::evaluatePacScript(script, url_, limit);
  if (!answer) return;
  auto choices = plat::http::parsePacAnswer(*answer);
  if (choices.empty() || !choices.front()) return;
  proxyHost_ = choices.front()->host;
  proxyPort_ = choices.front()->port;
  proxyType_ = choices.front()->type == plat::http::ProxyServer::Type::Socks ? "SOCKS" : "HTTP";
}
