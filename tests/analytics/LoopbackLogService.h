// A log service on loopback for the analytics tests: reads each posted envelope with the
// generated Thrift readers, checks its headers, checksum and guid, decrypts and inflates the
// entity into the log entry it records, and answers with the response the test chooses.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "analytics/records/analytics_types.h"
#include "analytics/records/envelope_types.h"
#include "tests/support/LoopbackHttpServer.h"

struct ReceivedEnvelope {
  ATEnvelope::UsageEnvelope envelope;
  AT::UsageLogEntry entry;
  std::vector<std::string> problems;  // what the service found wrong
};

class LoopbackLogService {
 public:
  LoopbackLogService();

  std::string url() const { return server_.url(""); }  // "http://127.0.0.1:<port>"
  // The reply to the next uploads: a response record, or a raw reply.
  void replyWith(AT::Response response);
  void replyRaw(testsupport::ServerReply reply);
  std::vector<ReceivedEnvelope> received();
  int requestCount() const { return server_.requestCount(); }
  testsupport::ServerRequest lastRequest() const { return server_.lastRequest(); }

 private:
  testsupport::ServerReply handle(const testsupport::ServerRequest& request);

  std::mutex mutex_;
  std::vector<ReceivedEnvelope> received_;
  std::optional<AT::Response> response_;
  std::optional<testsupport::ServerReply> raw_;
  testsupport::LoopbackHttpServer server_;
};

// A Response of code 1 (accepted) or another code, optionally with an imprint whose checksum is
// right.
AT::Response makeResponse(int code,
                          const std::vector<std::pair<std::string, std::string>>& imprint = {});
