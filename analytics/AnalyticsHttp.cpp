#include "analytics/AnalyticsHttp.h"

#include <memory>

#include "net/HttpRequest.h"
#include "platform/base/RunLoop.h"
#include "platform/http/HttpStream.h"

namespace {

// Needs no destruction: an upload's thread runs its loop in this mode, also as the process exits.
constexpr char kSyncMode[] = "analytics.sync";

}  // namespace

AnalyticsHttpReply analyticsPost(const std::string& url,
                                 const std::vector<std::pair<std::string, std::string>>& headers,
                                 const std::string& body, double timeoutSeconds,
                                 size_t mostReplyBytes) {
  AnalyticsHttpReply reply;
  auto parsed = plat::http::Url::parse(url);
  if (!parsed) {
    reply.error = "bad address " + url;
    return reply;
  }
  plat::http::RequestMessage message;
  message.method = "POST";
  message.url = *parsed;
  for (const auto& [name, value] : headers) message.headers.set(name, value);
  message.headers.set("Content-Length", std::to_string(body.size()));
  auto bytes = std::make_shared<const std::vector<uint8_t>>(body.begin(), body.end());
  auto stream = plat::http::HttpStream::create(message, plat::http::BodySource::fromBytes(bytes));
  stream->setProxy(HttpRequest::proxyForURL(*parsed));

  bool done = false;
  plat::RunLoop& loop = plat::RunLoop::current();
  stream->setClient([&](plat::http::HttpStream::Event event) {
    if (done) return;
    if (event == plat::http::HttpStream::kEventBytesAvailable) {
      uint8_t buffer[16384];
      ssize_t count;
      while ((count = stream->read(buffer, sizeof buffer)) > 0) {
        if (static_cast<size_t>(count) > mostReplyBytes - reply.body.size()) {
          reply.body.clear();
          reply.body.shrink_to_fit();
          reply.error = "the reply is larger than " + std::to_string(mostReplyBytes) + " bytes";
          done = true;
          stream->close();
          return;
        }
        reply.body.append(reinterpret_cast<char*>(buffer), static_cast<size_t>(count));
      }
    } else if (event == plat::http::HttpStream::kEventEndEncountered) {
      reply.answered = true;
      done = true;
    } else if (event == plat::http::HttpStream::kEventErrorOccurred) {
      reply.error =
          stream->error().message.empty() ? stream->error().domainName() : stream->error().message;
      done = true;
    }
  });
  stream->schedule(loop, kSyncMode);
  if (!stream->open()) {
    reply.error = "cannot open " + url;
    return reply;
  }
  // Real time: the upload thread waits for the network, not for the application's clock.
  loop.runUntil([&done] { return done; }, timeoutSeconds, kSyncMode);
  if (const plat::http::ResponseHead* head = stream->responseHead()) {
    reply.status = head->statusCode;
    reply.contentType = head->headers.value("Content-Type");
  }
  if (!done) reply.error = "timed out";
  stream->close();
  stream->unschedule();
  return reply;
}
