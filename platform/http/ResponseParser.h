// Reads an HTTP/1.x response from the bytes of a connection: the head (skipping interim 1xx
// responses), then the body by its framing (a length, chunks, or until the connection closes),
// and says whether the connection may carry another exchange afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/http/HttpMessage.h"

namespace plat::http {

class ResponseParser {
 public:
  enum class State { Head, Body, Done, Failed };
  enum class Framing { None, Length, Chunked, UntilClose };

  // A response to HEAD has no body whatever its fields say.
  explicit ResponseParser(bool headRequest) : headRequest_(headRequest) {}

  // Takes bytes read from the connection, appending decoded body bytes to `body`. Returns how many
  // it consumed: fewer than given once the response is complete (the rest belongs to nobody).
  size_t feed(const uint8_t* data, size_t length, std::vector<uint8_t>& body);
  // The connection closed: ends a body framed by the close, fails any other unfinished response.
  void endOfInput();

  // For Length and UntilClose framing, body bytes may bypass feed(): the caller reads at most
  // bytesWanted() straight into its own buffer and reports them here.
  bool acceptsDirectBody() const;
  uint64_t bytesWanted() const;
  void tookDirectBody(size_t count);

  State state() const { return state_; }
  Framing framing() const { return framing_; }
  const ResponseHead& head() const { return head_; }
  bool headComplete() const { return state_ == State::Body || state_ == State::Done; }
  // The final head was read, even when its framing then failed.
  bool haveHead() const { return haveHead_; }
  // True once some byte of a response arrived (a dropped connection before that is "lost").
  bool receivedAnything() const { return receivedAnything_; }
  // The response is delimited, neither side asked to close and the connection did not switch
  // protocols (101): it can be reused.
  bool keepAliveAllowed() const;
  const std::string& failure() const { return failure_; }

  static constexpr size_t kMaximumHeadSize = 256 * 1024;

 private:
  size_t feedHead(const uint8_t* data, size_t length);
  size_t feedChunked(const uint8_t* data, size_t length, std::vector<uint8_t>& body);
  bool parseHead(std::string_view text);
  bool parseStatusLine(std::string_view line);
  void fail(std::string why);

  enum class ChunkState { Size, Data, DataEnd, Trailer };

  bool headRequest_;
  State state_ = State::Head;
  bool haveHead_ = false;
  Framing framing_ = Framing::None;
  ResponseHead head_;
  std::string headText_;
  std::string lineBuffer_;  // a chunk-size or trailer line in progress
  ChunkState chunkState_ = ChunkState::Size;
  uint64_t remaining_ = 0;  // body bytes (Length) or chunk bytes (Chunked) still to come
  bool receivedAnything_ = false;
  std::string failure_;
};

}  // namespace plat::http
