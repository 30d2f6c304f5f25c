#include "json/JSONDecoder.h"

#include <algorithm>
#include <new>

#include "json/JsonParseState.h"
#include "json/JsonParser.h"
#include "json/JsonRaise.h"

namespace {

// Sizes the stacks and the scratch buffer start with; storage grown beyond them is given back
// after each parse, so a long-lived decoder does not keep the memory of its largest input. The
// value stack alone keeps up to 2 MB: giving back and growing again the stack of a large array
// made the heap shrink and grow (page by page) on every parse.
constexpr size_t kInitialStackEntries = 256;
constexpr size_t kKeptValueEntries = 128 * 1024;
constexpr size_t kInitialScratchBytes = 2048;

void reserveInitial(JsonParseState& state) {
  state.stack.values.reserve(kInitialStackEntries);
  state.stack.keys.reserve(kInitialStackEntries);
  state.scratch.reserve(kInitialScratchBytes);
}

// What the tree of a document of `length` bytes is likely to take at first: small replies fit
// in one block, large ones go on in blocks of the group's own size.
size_t firstChunkBytes(size_t length) {
  return std::min<size_t>(length * 3 + 512, 64 * 1024);
}

template <typename T>
void giveBackGrowth(T& container, size_t initial, size_t kept) {
  container.clear();
  if (container.capacity() > kept) {
    T().swap(container);
    container.reserve(initial);
  }
}

}  // namespace

std::unique_ptr<JSONDecoder> JSONDecoder::decoder() {
  return std::make_unique<JSONDecoder>();
}

std::unique_ptr<JSONDecoder> JSONDecoder::decoderWithParseOptions(JsonParseOptionFlags options) {
  return std::make_unique<JSONDecoder>(options);
}

JSONDecoder::JSONDecoder(JsonParseOptionFlags options) {
  if (options > JsonParseFlagValidMask)
    jsonRaise(kJsonInvalidArgumentException, "Invalid parse options.");
  parseState_ = std::make_unique<JsonParseState>();
  parseState_->options = options;
  reserveInitial(*parseState_);
}

JSONDecoder::~JSONDecoder() = default;

plat::Value JSONDecoder::objectWithUTF8String(const char* bytes, size_t length, JsonError* error) {
  if (bytes == nullptr) jsonRaise(kJsonInvalidArgumentException, "The string argument is NULL.");
  return decode(reinterpret_cast<const unsigned char*>(bytes), length, false, error);
}

plat::Value JSONDecoder::mutableObjectWithUTF8String(const char* bytes, size_t length,
                                                     JsonError* error) {
  if (bytes == nullptr) jsonRaise(kJsonInvalidArgumentException, "The string argument is NULL.");
  return decode(reinterpret_cast<const unsigned char*>(bytes), length, true, error);
}

plat::Value JSONDecoder::objectWithData(const plat::Value::Bytes& data, JsonError* error) {
  return decode(data.data(), data.size(), false, error);
}

plat::Value JSONDecoder::mutableObjectWithData(const plat::Value::Bytes& data, JsonError* error) {
  return decode(data.data(), data.size(), true, error);
}

plat::Value JSONDecoder::decode(const unsigned char* bytes, size_t length, bool mutableCollections,
                                JsonError* error) {
  if (!parseState_) jsonRaise(kJsonInternalInconsistencyException, "parseState is NULL.");
  return jsonDecode(*parseState_, bytes, length, mutableCollections, error);
}

plat::Value jsonDecode(JsonParseState& state, const unsigned char* bytes, size_t length,
                       bool mutableCollections, JsonError* error) {
  state.input = bytes;
  state.length = length;
  state.atIndex = 0;
  state.lineNumber = 1;
  state.error.reset();
  state.mutableCollections = mutableCollections;

  // An immutable result is made in one group, freed at once when its last value goes; mutable
  // results have containers of their own that change one by one.
  struct GroupOfParse {
    JsonParseState& state;
    ~GroupOfParse() {
      if (state.group) state.group->release();  // the tree's values hold the group now
      state.group = nullptr;
      state.cache.useGroup(nullptr);
    }
  } groupOfParse{state};
  if (!mutableCollections) {
    state.group = plat::ValueGroup::make(firstChunkBytes(length));
    state.cache.useGroup(state.group);
  }

  plat::Value result;
  try {
    result = JsonParser(state).parse();
  } catch (const std::bad_alloc&) {
    jsonRecordError(state, jsonFormat("Internal error: Unable to resize temporary buffer. %s line "
                                      "#%ld",
                                      "json/JsonCodec", static_cast<long>(__LINE__)));
    result = plat::Value();
  }
  if (state.error && error) *error = *state.error;

  giveBackGrowth(state.stack.values, kInitialStackEntries, kKeptValueEntries);
  giveBackGrowth(state.stack.keys, kInitialStackEntries, kInitialStackEntries);
  giveBackGrowth(state.scratch, kInitialScratchBytes, kInitialScratchBytes);
  state.input = nullptr;
  state.length = state.atIndex = 0;
  state.lineNumber = 1;
  state.token = JsonParseToken();
  state.error.reset();
  return result;
}

JsonParseState& jsonThreadParseState(JsonParseOptionFlags options) {
  if (options > JsonParseFlagValidMask)
    jsonRaise(kJsonInvalidArgumentException, "Invalid parse options.");
  thread_local JsonParseState state = [] {
    JsonParseState fresh;
    reserveInitial(fresh);
    return fresh;
  }();
  state.options = options;
  return state;
}

void JSONDecoder::clearCache() {
  if (parseState_) parseState_->cache.clearCache();
}

void JSONDecoder::releaseParseState() {
  parseState_.reset();
}
