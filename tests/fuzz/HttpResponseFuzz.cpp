// The HTTP response parser over arbitrary bytes: fed whole or in small pieces (the piece size
// taken from the first byte), it must reach the same state, body and bytes used, and never crash.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/http/ResponseParser.h"

namespace {

struct Outcome {
  plat::http::ResponseParser::State state;
  std::vector<uint8_t> body;
  size_t used = 0;
  int status = 0;
};

Outcome parse(const uint8_t* data, size_t size, size_t piece, bool headRequest) {
  plat::http::ResponseParser parser(headRequest);
  Outcome outcome;
  for (size_t at = 0; at < size; at += piece) {
    const size_t length = std::min(piece, size - at);
    const size_t took = parser.feed(data + at, length, outcome.body);
    outcome.used += took;
    if (took < length) break;
  }
  if (outcome.used == size) parser.endOfInput();
  outcome.state = parser.state();
  if (parser.haveHead()) outcome.status = parser.head().statusCode;
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t piece = 1 + data[0] % 16;
  const bool headRequest = data[0] & 0x80;
  const Outcome whole = parse(data + 1, size - 1, size, headRequest);
  const Outcome pieces = parse(data + 1, size - 1, piece, headRequest);
  if (whole.state != pieces.state || whole.body != pieces.body || whole.used != pieces.used ||
      whole.status != pieces.status)
    std::abort();
  return 0;
}
