#include "platform/base/ValueCoding.h"

#include <cstring>

namespace plat {
namespace {

constexpr std::string_view kMagic = "VAL1";
constexpr int kMaxDepth = 200;

void putVarint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out += static_cast<char>((v & 0x7f) | 0x80);
    v >>= 7;
  }
  out += static_cast<char>(v);
}

void putFixed(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

void putBytes(std::string& out, const void* data, size_t size) {
  putVarint(out, size);
  out.append(static_cast<const char*>(data), size);
}

void encode(std::string& out, const Value& v) {
  switch (v.type()) {
    case Value::Type::Null:
      out += 'n';
      break;
    case Value::Type::Bool:
      out += v.asBool() ? 't' : 'f';
      break;
    case Value::Type::Int:
      out += 'i';
      putFixed(out, static_cast<uint64_t>(v.asInt()));
      break;
    case Value::Type::UInt:
      out += 'u';
      putFixed(out, v.asUInt());
      break;
    case Value::Type::Double: {
      out += 'd';
      double d = v.asDouble();
      uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      putFixed(out, bits);
      break;
    }
    case Value::Type::String:
      out += 's';
      putBytes(out, v.asString().data(), v.asString().size());
      break;
    case Value::Type::Decimal:
      out += 'D';
      putBytes(out, v.decimalText().data(), v.decimalText().size());
      break;
    case Value::Type::Bytes:
      out += 'b';
      putBytes(out, v.asBytes().data(), v.asBytes().size());
      break;
    case Value::Type::Array:
      out += 'a';
      putVarint(out, v.size());
      for (size_t i = 0; i < v.size(); ++i) encode(out, v.at(i));
      break;
    case Value::Type::Dictionary:
      out += 'o';
      putVarint(out, v.keys().size());
      v.forEach([&](const std::string& key, const Value& item) {
        putBytes(out, key.data(), key.size());
        encode(out, item);
      });
      break;
  }
}

class Decoder {
 public:
  explicit Decoder(std::string_view data) : data_(data) {}
  bool atEnd() const { return pos_ == data_.size(); }

  bool varint(uint64_t& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (pos_ >= data_.size()) return false;
      uint8_t b = static_cast<uint8_t>(data_[pos_++]);
      v |= uint64_t{b & 0x7fu} << shift;
      if (!(b & 0x80)) return true;
    }
    return false;
  }

  bool fixed(uint64_t& v) {
    if (data_.size() - pos_ < 8) return false;
    v = 0;
    for (int i = 0; i < 8; ++i) v |= uint64_t{static_cast<uint8_t>(data_[pos_ + i])} << (8 * i);
    pos_ += 8;
    return true;
  }

  bool bytes(std::string_view& out) {
    uint64_t size;
    if (!varint(size) || size > data_.size() - pos_) return false;
    out = data_.substr(pos_, size);
    pos_ += size;
    return true;
  }

  bool value(Value& out, int depth) {
    if (pos_ >= data_.size() || depth > kMaxDepth) return false;
    char tag = data_[pos_++];
    uint64_t n;
    std::string_view s;
    switch (tag) {
      case 'n':
        out = Value();
        return true;
      case 't':
        out = Value(true);
        return true;
      case 'f':
        out = Value(false);
        return true;
      case 'i':
        if (!fixed(n)) return false;
        out = Value(static_cast<long long>(n));
        return true;
      case 'u':
        if (!fixed(n)) return false;
        out = Value(static_cast<unsigned long long>(n));
        return true;
      case 'd': {
        if (!fixed(n)) return false;
        double d;
        std::memcpy(&d, &n, sizeof d);
        out = Value(d);
        return true;
      }
      case 'D':
        if (!bytes(s)) return false;
        out = Value::decimal(std::string(s));
        return true;
      case 's':
        if (!bytes(s)) return false;
        out = Value(std::string(s));
        return true;
      case 'b':
        if (!bytes(s)) return false;
        out = Value(Value::Bytes(s.begin(), s.end()));
        return true;
      case 'a': {
        // Every element takes at least one byte: a count beyond the data is damage.
        if (!varint(n) || n > data_.size() - pos_) return false;
        std::vector<Value> items(n);
        for (auto& item : items)
          if (!value(item, depth + 1)) return false;
        out = Value::array(std::move(items));
        return true;
      }
      case 'o': {
        if (!varint(n) || n > data_.size() - pos_) return false;
        out = Value::dictionary();
        for (uint64_t i = 0; i < n; ++i) {
          Value item;
          if (!bytes(s) || !value(item, depth + 1)) return false;
          out.set(std::string(s), std::move(item));
        }
        return true;
      }
    }
    return false;
  }

 private:
  std::string_view data_;
  size_t pos_ = 0;
};

}  // namespace

std::string encodeValue(const Value& value) {
  std::string out(kMagic);
  encode(out, value);
  return out;
}

std::optional<Value> decodeValue(std::string_view data) {
  if (data.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  Decoder in(data.substr(kMagic.size()));
  Value v;
  if (!in.value(v, 0) || !in.atEnd()) return std::nullopt;
  return v;
}

}  // namespace plat
