// Walks a value of Thrift's binary wire form without building it, so that bytes read from disk or
// the network are judged before Thrift's reader sees them: that reader takes any type byte into
// its type enum, which is undefined behaviour for a byte that names no type.
#pragma once

#include <cstdint>
#include <string>

namespace records {

class WireShape {
 public:
  enum class Verdict {
    Whole,      // one struct, ending where the bytes end
    EndsEarly,  // sound as far as it goes, but cut (or followed by more bytes)
    Malformed,  // a type byte that names no type, or nesting past any record's depth
  };

  // `elements`, when given, receives the number of container elements met on the way (list,
  // set and map entries at any depth): what a reader would build, told before it builds it.
  static Verdict of(const std::string& bytes, uint64_t* elements = nullptr) {
    WireShape shape(bytes);
    const Step step = shape.structure(0);
    if (elements) *elements = shape.elements_;
    if (step == Step::Ok) return shape.at_ == bytes.size() ? Verdict::Whole : Verdict::EndsEarly;
    return step == Step::Cut ? Verdict::EndsEarly : Verdict::Malformed;
  }

 private:
  enum class Step { Ok, Cut, Bad };
  static constexpr int kDeepest = 64;

  // Thrift reads a container's element types even when it holds nothing.
  static bool namesAType(uint8_t type) {
    return type == 2 || type == 3 || type == 4 || type == 6 || type == 8 ||
           (type >= 10 && type <= 15);
  }

  explicit WireShape(const std::string& bytes) : bytes_(bytes) {}

  Step take(uint64_t count) {
    if (bytes_.size() - at_ < count) return Step::Cut;
    at_ += count;
    return Step::Ok;
  }
  Step byte(uint8_t& out) {
    if (at_ >= bytes_.size()) return Step::Cut;
    out = static_cast<uint8_t>(bytes_[at_++]);
    return Step::Ok;
  }
  Step length(uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b = 0;
      if (byte(b) != Step::Ok) return Step::Cut;
      out = out << 8 | b;
    }
    // A negative or oversized count cannot be met by the bytes there are.
    return out <= bytes_.size() ? Step::Ok : Step::Cut;
  }
  Step structure(int depth) {
    for (;;) {
      uint8_t type = 0;
      if (byte(type) != Step::Ok) return Step::Cut;
      if (type == 0) return Step::Ok;  // the end of the fields
      if (Step s = take(2); s != Step::Ok) return s;
      if (Step s = value(type, depth + 1); s != Step::Ok) return s;
    }
  }
  Step value(uint8_t type, int depth) {
    if (depth > kDeepest) return Step::Bad;
    uint32_t count = 0;
    uint8_t inner = 0, second = 0;
    switch (type) {
      case 2:
      case 3:
        return take(1);  // bool, byte
      case 6:
        return take(2);
      case 8:
        return take(4);
      case 4:
      case 10:
        return take(8);  // double, i64
      case 11:
        if (Step s = length(count); s != Step::Ok) return s;
        return take(count);
      case 12:
        return structure(depth);
      case 13:  // map: key type, value type, count
        if (byte(inner) != Step::Ok || byte(second) != Step::Ok) return Step::Cut;
        if (!namesAType(inner) || !namesAType(second)) return Step::Bad;
        if (length(count) != Step::Ok) return Step::Cut;
        for (uint32_t i = 0; i < count; ++i) {
          ++elements_;
          if (Step s = value(inner, depth + 1); s != Step::Ok) return s;
          if (Step s = value(second, depth + 1); s != Step::Ok) return s;
        }
        return Step::Ok;
      case 14:
      case 15:  // set, list
        if (byte(inner) != Step::Ok) return Step::Cut;
        if (!namesAType(inner)) return Step::Bad;
        if (length(count) != Step::Ok) return Step::Cut;
        for (uint32_t i = 0; i < count; ++i) {
          ++elements_;
          if (Step s = value(inner, depth + 1); s != Step::Ok) return s;
        }
        return Step::Ok;
      default:
        return Step::Bad;
    }
  }

  const std::string& bytes_;
  size_t at_ = 0;
  uint64_t elements_ = 0;
};

}  // namespace records
