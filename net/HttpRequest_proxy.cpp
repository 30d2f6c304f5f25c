// Choosing the proxy before a request connects: the one set on the request, else an automatic
// configuration script (named by the request or by the environment's "auto_proxy"), else the
// environment's proxy variables. Any trouble with a script leaves the request going direct.
//
// An asynchronous request reads, downloads and runs its script without blocking the network
// thread (other requests go on meanwhile), and connects when the answer is in; a synchronous
// request does the same work on its own thread, waiting.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "net/HttpRequest.h"
#include "net/HttpSharedQueue.h"
#include "platform/base/Charset.h"
#include "platform/base/Mutex.h"
#include "platform/http/PacScript.h"
#include "platform/http/ProxySettings.h"

namespace {

constexpr size_t kMaxScriptBytes = 4 << 20;
using ScriptBytes = std::optional<std::string>;

// Reads what is there now; true once the file has ended or failed (then *bytes is final).
bool readAvailable(int fd, std::string& data, ScriptBytes* bytes) {
  for (;;) {
    char buffer[16384];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      data.append(buffer, static_cast<size_t>(n));
      if (data.size() > kMaxScriptBytes) return true;
    } else if (n == 0) {
      *bytes = std::move(data);
      return true;
    } else if (errno != EINTR) {
      return errno != EAGAIN;
    }
  }
}

// A local script, read without blocking so that a file that never ends (a pipe) is given up at
// the deadline.
ScriptBytes readScriptFile(const std::string& path, double seconds) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  std::string data;
  ScriptBytes bytes;
  while (!readAvailable(fd, data, &bytes)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    pollfd ready{fd, POLLIN, 0};
    poll(&ready, 1, static_cast<int>(left));
  }
  close(fd);
  return bytes;
}

// The same on the current run loop: `done` runs there once, with the bytes or nothing, unless
// the handle goes first.
struct ScriptFileRead {
  int fd = -1;
  plat::RunLoop* loop = nullptr;
  int source = -1;
  std::shared_ptr<plat::Timer> deadline;
  std::string data;
  std::function<void(ScriptBytes)> done;

  ~ScriptFileRead() { stop(); }
  void stop() {
    if (source >= 0) loop->removeFdSource(source);
    source = -1;
    if (deadline) deadline->invalidate();
    if (fd >= 0) close(fd);
    fd = -1;
  }
  void finish(ScriptBytes bytes) {
    stop();
    if (auto call = std::move(done)) call(std::move(bytes));
  }
};

std::shared_ptr<void> readScriptFileAsync(const std::string& path, double seconds,
                                          const std::string& mode,
                                          std::function<void(ScriptBytes)> done) {
  auto read = std::make_shared<ScriptFileRead>();
  read->loop = &plat::RunLoop::current();
  read->done = std::move(done);
  read->fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  std::weak_ptr<ScriptFileRead> weak = read;
  if (read->fd < 0) {
    read->loop->perform(
        [weak] {
          if (auto alive = weak.lock()) alive->finish(std::nullopt);
        },
        mode);
    return read;
  }
  read->source = read->loop->addFdSource(
      read->fd, plat::kFdReadable,
      [weak](int, unsigned) {
        auto alive = weak.lock();
        if (!alive || alive->fd < 0) return;
        ScriptBytes bytes;
        if (readAvailable(alive->fd, alive->data, &bytes)) alive->finish(std::move(bytes));
      },
      mode);
  read->deadline = plat::Timer::scheduled(
      seconds, false,
      [weak](plat::Timer&) {
        if (auto alive = weak.lock()) alive->finish(std::nullopt);
      },
      mode);
  return read;
}

std::string scriptText(const std::string& bytes) {
  if (auto utf8 = plat::charset::toUtf8(bytes, "UTF-8")) return *utf8;
  return plat::charset::toUtf8(bytes, plat::charset::kLatin1).value_or("");
}

// The class-wide queue's width raised by one while a script download runs, so that it can run
// while the request waiting for it holds its place; lowered again however the download ends.
struct QueueWidthLease {
  QueueWidthLease() { HttpRequest::sharedQueue().adjustMaxConcurrentOperationCount(1); }
  ~QueueWidthLease() { HttpRequest::sharedQueue().adjustMaxConcurrentOperationCount(-1); }
};

}  // namespace

std::optional<plat::http::ProxyServer> HttpRequest::proxyForURL(const Url& url) {
  auto request = requestWithURL(url);
  plat::LockGuard lock(request->cancelledLock_);
  request->isSynchronous_ = true;  // a script is read or fetched here, waiting
  request->configureProxies();
  if (request->proxyHost_.empty()) return std::nullopt;
  plat::http::ProxyServer proxy;
  proxy.type = request->proxyType_ == "SOCKS" ? plat::http::ProxyServer::Type::Socks
                                              : plat::http::ProxyServer::Type::Http;
  proxy.host = request->proxyHost_;
  proxy.port = request->proxyPort_;
  return proxy;
}

bool HttpRequest::configureProxies() {
  if (isPACFileRequest_ || !proxyHost_.empty() || proxyPort_ != 0) return true;
  if (PACurl_.isEmpty()) {
    if (auto pac = plat::http::systemAutoConfigurationUrl()) PACurl_ = *pac;
  }
  if (!PACurl_.isEmpty()) return fetchPACFile();
  if (auto proxy = plat::http::systemProxyForUrl(url_)) {
    proxyHost_ = proxy->host;
    proxyPort_ = proxy->port;
    proxyType_ = proxy->type == plat::http::ProxyServer::Type::Socks ? "SOCKS" : "HTTP";
  }
  return true;
}

// Reads or downloads the script and runs it; the request then connects as it says, or directly.
// true when the request may connect now, false when it connects once the script is done.
bool HttpRequest::fetchPACFile() {
  const double limit = timeOutSeconds_ > 0 ? timeOutSeconds_ : 10;
  const std::string scheme = plat::http::lowercased(PACurl_.scheme());
  if (scheme != "file" && scheme != "http" && scheme != "https") return true;
  if (isSynchronous_) {
    ScriptBytes bytes;
    if (scheme == "file") {
      bytes = readScriptFile(PACurl_.path(), limit);
    } else {
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
    return true;
  }
  std::weak_ptr<HttpRequest> weak = self();
  if (scheme == "file") {
    pacWork_ = readScriptFileAsync(PACurl_.path(), limit, runLoopMode_, [weak](ScriptBytes bytes) {
      if (auto request = weak.lock()) request->runPACScriptThenStart(std::move(bytes));
    });
    return false;
  }
  auto download = requestWithURL(PACurl_);
  download->isPACFileRequest_ = true;
  download->setTimeOutSeconds(timeOutSeconds_);
  download->setValidatesSecureCertificate(validatesSecureCertificate_);
  download->setQueuePriority(plat::Operation::kHigh);
  // Its end is reported on the main thread; the script then runs back on this request's thread.
  std::weak_ptr<HttpRequest> weakDownload = download;
  auto ended = [weak, weakDownload] {
    auto request = weak.lock();
    auto finished = weakDownload.lock();
    if (!request || !finished) return;
    request->performOnWorkingThread(
        [request, finished] { request->finishedDownloadingPACFile(*finished); });
  };
  download->setCompletionBlock(ended);
  download->setFailedBlock(ended);
  PACFileRequest_ = download;
  pacWork_ = std::make_shared<QueueWidthLease>();
  download->startAsynchronous();
  return false;
}

void HttpRequest::finishedDownloadingPACFile(HttpRequest& download) {
  plat::LockGuard lock(cancelledLock_);
  if (PACFileRequest_.get() != &download) return;  // cancelled meanwhile
  ScriptBytes bytes;
  if (!download.error() && download.responseStatusCode() < 400) {
    if (auto data = download.responseData()) bytes = std::string(data->begin(), data->end());
  }
  PACFileRequest_.reset();
  pacWork_.reset();  // the queue's width goes back
  runPACScriptThenStart(std::move(bytes));
}

void HttpRequest::runPACScriptThenStart(std::optional<std::string> bytes) {
  plat::LockGuard lock(cancelledLock_);
  if (!bytes || bytes->empty()) return startAfterPAC();
  const double limit = timeOutSeconds_ > 0 ? timeOutSeconds_ : 10;
  std::weak_ptr<HttpRequest> weak = self();
  pacWork_ = plat::http::evaluatePacScriptAsync(
      scriptText(*bytes), url_, limit, runLoopMode_,
      [weak](std::optional<std::string> answer, const std::string&) {
        auto request = weak.lock();
        if (!request) return;
        plat::LockGuard lock(request->cancelledLock_);
        if (answer) request->useProxyFromPACAnswer(*answer);
        request->startAfterPAC();
      });
}

void HttpRequest::startAfterPAC() {
  auto keepAlive = self();
  plat::LockGuard lock(cancelledLock_);
  pacWork_.reset();
  if (complete_ || error_ || isCancelled()) return;
  startRequest();
}

// Ends the script work of a request that is cancelled while it waits for it.
void HttpRequest::cancelPACWork() {
  pacWork_.reset();
  if (auto download = std::move(PACFileRequest_)) download->clearDelegatesAndCancel();
}

void HttpRequest::runPACScript(const std::string& script) {
  if (script.empty()) return;
  const double limit = timeOutSeconds_ > 0 ? timeOutSeconds_ : 10;
  if (auto answer = plat::http::evaluatePacScript(script, url_, limit))
    useProxyFromPACAnswer(*answer);
}

void HttpRequest::useProxyFromPACAnswer(const std::string& answer) {
  auto choices = plat::http::parsePacAnswer(answer);
  if (choices.empty() || !choices.front()) return;
  proxyHost_ = choices.front()->host;
  proxyPort_ = choices.front()->port;
  proxyType_ = choices.front()->type == plat::http::ProxyServer::Type::Socks ? "SOCKS" : "HTTP";
}
