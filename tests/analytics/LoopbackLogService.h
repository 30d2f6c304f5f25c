// A log service on loopback for the analytics tests: reads each posted envelope, checks its
// headers, checksum and guid, decrypts and inflates the entity into the log entry it records, and
// answers with the response the test chooses. The envelope reader serves the file tests as well.
#pragma once

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
  std::vector<std::string> problems;  // what the reader found wrong
};

// An envelope as written to a file or posted, read back and checked.
ReceivedEnvelope readEnvelope(const std::string& bytes);
// zlib data inflated to at most `size` bytes; nothing when it is no zlib data.
std::optional<std::string> inflated(const std::string& data, size_t size);

using ImprintValues = std::vector<std::pair<std::string, std::string>>;
// Server settings with a right checksum; an empty text withdraws its key.
AT::Imprint makeImprint(const ImprintValues& values);
// A Response of code 1 (accepted) or another code, with an imprint when values are given.
AT::Response makeResponse(int code, const ImprintValues& imprint = {});

class LoopbackLogService {
 public:
  LoopbackLogService();

  std::string url() const { return server_.url(""); }  // "http://127.0.0.1:<port>"
  // The reply to the next uploads: a response record, or a raw reply.
  void replyWith(AT::Response response);
  void replyRaw(testsupport::ServerReply reply);
  std::vector<ReceivedEnvelope> received();

 private:
  testsupport::ServerReply handle(const testsupport::ServerRequest& request);

  std::mutex mutex_;
  std::vector<ReceivedEnvelope> received_;
  AT::Response response_;
  std::optional<testsupport::ServerReply> raw_;
  testsupport::LoopbackHttpServer server_;
};
