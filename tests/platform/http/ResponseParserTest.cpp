#include "platform/http/ResponseParser.h"

#include <gtest/gtest.h>

using plat::http::ResponseParser;

namespace {

struct Parsed {
  ResponseParser::State state;
  std::string body;
  size_t used;
};

// Feeds `text` in pieces of `piece` bytes (0: all at once).
Parsed parse(ResponseParser& parser, const std::string& text, size_t piece = 0) {
  std::vector<uint8_t> body;
  size_t used = 0;
  if (piece == 0) piece = text.size();
  for (size_t at = 0; at < text.size(); at += piece) {
    size_t length = std::min(piece, text.size() - at);
    size_t took = parser.feed(reinterpret_cast<const uint8_t*>(text.data()) + at, length, body);
    used += took;
    if (took < length) break;
  }
  return {parser.state(), std::string(body.begin(), body.end()), used};
}

}  // namespace

TEST(ResponseParser, ChunkedBodySplitAnywhereDecodesTheSame) {
  const std::string text =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
      "5;ext=1\r\nhello\r\n1\r\n \r\n5\r\nworld\r\n0\r\nTrailer: x\r\n\r\nNEXT";
  for (size_t piece = 1; piece <= 9; ++piece) {
    ResponseParser parser(false);
    Parsed result = parse(parser, text, piece);
    EXPECT_EQ(result.state, ResponseParser::State::Done) << piece;
    EXPECT_EQ(result.body, "hello world") << piece;
    EXPECT_EQ(result.used, text.size() - 4) << piece;  // the next response's bytes are left
    EXPECT_TRUE(parser.keepAliveAllowed());
  }
}

TEST(ResponseParser, HeadFieldsRepeatedFoldedAndCookiesAfterAnInterimResponse) {
  ResponseParser parser(false);
  Parsed result = parse(parser,
                        "HTTP/1.1 100 Continue\r\n\r\n"
                        "HTTP/1.1 201 Created\r\nX-A: 1\r\nx-a: 2\r\nX-Long: one\r\n two\r\n"
                        "Set-Cookie: a=1, b\r\nSet-Cookie: c=3\r\nContent-Length: 2\r\n\r\nok",
                        3);
  const auto& head = parser.head();
  EXPECT_EQ(head.statusCode, 201);
  EXPECT_EQ(head.statusLine, "HTTP/1.1 201 Created");
  EXPECT_EQ(head.headers.value("X-A"), "1, 2");
  EXPECT_EQ(head.headers.value("x-long"), "one two");
  EXPECT_EQ(head.setCookieValues, (std::vector<std::string>{"a=1, b", "c=3"}));
  EXPECT_EQ(result.body, "ok");
  EXPECT_EQ(result.state, ResponseParser::State::Done);
}

// A head with bare line ends, padded values and a folded field reads the same whole in one read
// (with its body and the next response behind it) as cut into pieces.
TEST(ResponseParser, HeadReadWholeOrInPiecesAlike) {
  const std::string next = "HTTP/1.1 204 No Content\r\n\r\n";
  const std::string text =
      "HTTP/1.0 200 Fine\nServer:  edge \nX-A: 1\n\tmore\nContent-Length: 3\n\nabc" + next;
  for (size_t piece : {0, 1, 7}) {
    ResponseParser parser(false);
    Parsed result = parse(parser, text, piece);
    EXPECT_EQ(result.state, ResponseParser::State::Done) << piece;
    EXPECT_EQ(result.body, "abc") << piece;
    EXPECT_EQ(result.used, text.size() - next.size()) << piece;
    const auto& head = parser.head();
    EXPECT_EQ(head.statusCode, 200) << piece;
    EXPECT_EQ(head.statusLine, "HTTP/1.0 200 Fine") << piece;
    EXPECT_EQ(head.httpVersion, "HTTP/1.0") << piece;
    EXPECT_EQ(head.headers.value("server"), "edge") << piece;
    EXPECT_EQ(head.headers.value("X-A"), "1 more") << piece;
  }
}

// Where a body ends (before and after the peer closes) and whether the connection may be kept.
TEST(ResponseParser, FramingAndReuseFollowStatusMethodAndFields) {
  using State = ResponseParser::State;
  const struct {
    const char* text;
    bool head;
    State beforeClose, afterClose;
    bool keepAlive;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", true, State::Done, State::Done, true},
      {"HTTP/1.1 304 Not Modified\r\nContent-Length: 100\r\n\r\n", false, State::Done, State::Done,
       true},
      {"HTTP/1.1 200 OK\r\n\r\nabc", false, State::Body, State::Done, false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", false, State::Body, State::Failed, true},
      {"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 0\r\n\r\n", false, State::Done,
       State::Done, false},
      {"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", false, State::Done, State::Done, false},
      {"HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 0\r\n\r\n", false, State::Done,
       State::Done, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ResponseParser parser(c.head);
    EXPECT_EQ(parse(parser, c.text).state, c.beforeClose);
    if (c.beforeClose != State::Done) parser.endOfInput();
    EXPECT_EQ(parser.state(), c.afterClose);
    if (c.afterClose == State::Failed) {
      EXPECT_TRUE(parser.receivedAnything());
    } else {
      EXPECT_EQ(parser.keepAliveAllowed(), c.keepAlive);
    }
  }
}

TEST(ResponseParser, MalformedInputFails) {
  for (const char* text :
       {"HTTP/1.1 2x0 OK\r\n\r\n", "SSH-2.0-server\r\n\r\n",
        "HTTP/1.1 200 OK\r\nno colon here\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nContent-Length: 20\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"}) {
    ResponseParser parser(false);
    parse(parser, text);
    EXPECT_EQ(parser.state(), ResponseParser::State::Failed) << text;
    EXPECT_FALSE(parser.failure().empty());
  }
  ResponseParser endless(false);
  parse(endless, "HTTP/1.1 200 OK\r\nX: " + std::string(ResponseParser::kMaximumHeadSize, 'a'));
  EXPECT_EQ(endless.state(), ResponseParser::State::Failed);
}
