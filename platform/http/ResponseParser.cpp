#include "platform/http/ResponseParser.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace plat::http {
namespace {

std::string trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string_view trimmed(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool containsToken(const std::string& list, const std::string& token) {
  std::string lower = lowercased(list);
  size_t start = 0;
  while (start <= lower.size()) {
    size_t comma = lower.find(',', start);
    if (trim(lower.substr(start, comma - start)) == token) return true;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return false;
}

}  // namespace

void ResponseParser::fail(std::string why) {
  state_ = State::Failed;
  failure_ = std::move(why);
}

size_t ResponseParser::feed(const uint8_t* data, size_t length, std::vector<uint8_t>& body) {
  size_t used = 0;
  if (length > 0) receivedAnything_ = true;
  while (used < length && (state_ == State::Head || state_ == State::Body)) {
    if (state_ == State::Head) {
      used += feedHead(data + used, length - used);
      continue;
    }
    if (framing_ == Framing::Chunked) {
      used += feedChunked(data + used, length - used, body);
      continue;
    }
    size_t take = length - used;
    if (framing_ == Framing::Length)
      take = static_cast<size_t>(std::min<uint64_t>(take, remaining_));
    body.insert(body.end(), data + used, data + used + take);
    used += take;
    tookDirectBody(take);
  }
  return used;
}

size_t ResponseParser::feedHead(const uint8_t* data, size_t length) {
  // The head ends at the first empty line; look for it across the bytes kept so far. A head that
  // comes whole in one read is parsed where it lies, without being copied first.
  const bool kept = !headText_.empty();
  size_t searchFrom = headText_.size() >= 3 ? headText_.size() - 3 : 0;
  if (kept) headText_.append(reinterpret_cast<const char*>(data), length);
  const std::string_view bytes =
      kept ? std::string_view(headText_)
           : std::string_view(reinterpret_cast<const char*>(data), length);
  size_t end = bytes.find("\r\n\r\n", searchFrom);
  size_t endLength = 4;
  size_t bare = bytes.find("\n\n", searchFrom);
  if (bare != std::string_view::npos && (end == std::string_view::npos || bare < end)) {
    end = bare;
    endLength = 2;
  }
  if (end == std::string_view::npos) {
    if (!kept) headText_.assign(bytes);
    if (headText_.size() > kMaximumHeadSize) fail("response head too large");
    return length;
  }
  size_t headBytes = end + endLength;
  size_t usedHere = length - (bytes.size() - headBytes);
  const bool parsed = parseHead(bytes.substr(0, end));
  headText_.clear();
  if (!parsed) return usedHere;
  if (head_.statusCode >= 100 && head_.statusCode < 200 && head_.statusCode != 101) {
    head_ = ResponseHead();  // an interim response: the real one follows
    return usedHere;
  }

  haveHead_ = true;
  const int status = head_.statusCode;
  if (headRequest_ || status == 204 || status == 304 || status < 200) {
    framing_ = Framing::None;
  } else if (const std::string* coding = head_.headers.find("Transfer-Encoding");
             coding && !equalsIgnoringCase(trim(*coding), "identity")) {
    framing_ = containsToken(*coding, "chunked") ? Framing::Chunked : Framing::UntilClose;
  } else if (const std::string* lengthText = head_.headers.find("Content-Length")) {
    // Repeated fields arrive joined ("10, 10"): they must all agree, or the framing is unknown.
    std::string digits;
    size_t start = 0;
    while (true) {
      const size_t comma = lengthText->find(',', start);
      const std::string value = trim(lengthText->substr(start, comma - start));
      if (value.empty() || !std::all_of(value.begin(), value.end(), ::isdigit) ||
          value.size() > 19 || (!digits.empty() && value != digits)) {
        fail("bad Content-Length");
        return usedHere;
      }
      digits = value;
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    framing_ = Framing::Length;
    remaining_ = std::stoull(digits);
  } else {
    framing_ = Framing::UntilClose;
  }
  state_ = State::Body;
  if (framing_ == Framing::None || (framing_ == Framing::Length && remaining_ == 0))
    state_ = State::Done;
  return usedHere;
}

bool ResponseParser::parseHead(std::string_view text) {
  std::string name, value;
  auto flush = [&] {
    if (name.empty()) return;
    if (equalsIgnoringCase(name, "Set-Cookie")) head_.setCookieValues.push_back(value);
    head_.headers.append(name, value);
    name.clear();
  };
  bool statusLineRead = false;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!statusLineRead) {
      statusLineRead = true;
      if (!parseStatusLine(line)) return false;
    } else if (!line.empty()) {
      if ((line[0] == ' ' || line[0] == '\t') && !name.empty()) {
        value += ' ';  // a folded continuation line
        value += trimmed(line);
      } else {
        flush();
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) {
          fail("bad header line");
          return false;
        }
        name = trimmed(line.substr(0, colon));
        value = trimmed(line.substr(colon + 1));
      }
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  flush();
  return true;
}

bool ResponseParser::parseStatusLine(std::string_view line) {
  const auto digit = [&](size_t at) { return std::isdigit(static_cast<unsigned char>(line[at])); };
  if (!line.starts_with("HTTP/") || line.size() < 12 || line[8] != ' ' || !digit(9) || !digit(10) ||
      !digit(11) || (line.size() > 12 && line[12] != ' ')) {
    fail("bad status line");
    return false;
  }
  head_.statusLine = line;
  head_.httpVersion = line.substr(0, 8);
  head_.statusCode = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
  return true;
}

size_t ResponseParser::feedChunked(const uint8_t* data, size_t length, std::vector<uint8_t>& body) {
  size_t used = 0;
  while (used < length && state_ == State::Body) {
    switch (chunkState_) {
      case ChunkState::Data: {
        size_t take = static_cast<size_t>(std::min<uint64_t>(remaining_, length - used));
        body.insert(body.end(), data + used, data + used + take);
        used += take;
        remaining_ -= take;
        if (remaining_ == 0) chunkState_ = ChunkState::DataEnd;
        break;
      }
      case ChunkState::Size:
      case ChunkState::DataEnd:
      case ChunkState::Trailer: {
        const uint8_t* newline =
            static_cast<const uint8_t*>(std::memchr(data + used, '\n', length - used));
        size_t take = newline ? static_cast<size_t>(newline - (data + used)) + 1 : length - used;
        lineBuffer_.append(reinterpret_cast<const char*>(data + used), take);
        used += take;
        if (lineBuffer_.size() > 4096) {
          fail("chunk line too long");
          return used;
        }
        if (!newline) break;
        std::string line = lineBuffer_;
        lineBuffer_.clear();
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (chunkState_ == ChunkState::DataEnd) {
          if (!line.empty()) {
            fail("missing chunk end");
            return used;
          }
          chunkState_ = ChunkState::Size;
        } else if (chunkState_ == ChunkState::Size) {
          std::string sizeText = trim(line.substr(0, line.find(';')));
          if (sizeText.empty() || sizeText.size() > 15 ||
              !std::all_of(sizeText.begin(), sizeText.end(), ::isxdigit)) {
            fail("bad chunk size");
            return used;
          }
          remaining_ = std::stoull(sizeText, nullptr, 16);
          chunkState_ = remaining_ == 0 ? ChunkState::Trailer : ChunkState::Data;
        } else if (line.empty()) {
          state_ = State::Done;  // the empty line after the trailers ends the body
        }
        break;
      }
    }
  }
  return used;
}

void ResponseParser::endOfInput() {
  if (state_ == State::Body && framing_ == Framing::UntilClose) {
    state_ = State::Done;
  } else if (state_ == State::Head || state_ == State::Body) {
    fail(state_ == State::Head ? "connection closed before the response" : "response truncated");
  }
}

bool ResponseParser::acceptsDirectBody() const {
  return state_ == State::Body && (framing_ == Framing::Length || framing_ == Framing::UntilClose);
}

uint64_t ResponseParser::bytesWanted() const {
  if (!acceptsDirectBody()) return 0;
  return framing_ == Framing::Length ? remaining_ : UINT64_MAX;
}

void ResponseParser::tookDirectBody(size_t count) {
  if (count > 0) receivedAnything_ = true;
  if (framing_ != Framing::Length) return;
  remaining_ -= std::min<uint64_t>(count, remaining_);
  if (remaining_ == 0) state_ = State::Done;
}

bool ResponseParser::keepAliveAllowed() const {
  if (state_ != State::Done || framing_ == Framing::UntilClose) return false;
  // After 101 the connection speaks the protocol it switched to: no HTTP exchange follows on it.
  if (head_.statusCode == 101) return false;
  std::string connection = head_.headers.value("Connection");
  if (containsToken(connection, "close")) return false;
  if (head_.httpVersion == "HTTP/1.0") return containsToken(connection, "keep-alive");
  return true;
}

}  // namespace plat::http
