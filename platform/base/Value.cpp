#include "platform/base/Value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "platform/base/MutableArrayDescription.h"

namespace plat {
namespace {

// The answers of a lookup that found nothing, handed out by reference on every thread: never
// destroyed, so that a thread still reading values as the process exits finds them.
const Value& nullValue() {
  static const Value* kNull = new Value;
  return *kNull;
}

const std::string& emptyString() {
  static const std::string* kEmpty = new std::string;
  return *kEmpty;
}

const Value::Bytes& emptyBytes() {
  static const Value::Bytes* kEmpty = new Value::Bytes;
  return *kEmpty;
}

void appendQuoted(std::string& out, const std::string& s) {
  out += '"';
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

void appendDebug(std::string& out, const Value& v) {
  switch (v.type()) {
    case Value::Type::Null:
      out += "null";
      break;
    case Value::Type::Bool:
      out += v.asBool() ? "true" : "false";
      break;
    case Value::Type::Int:
      out += std::to_string(v.asInt());
      break;
    case Value::Type::UInt:
      out += std::to_string(v.asUInt());
      break;
    case Value::Type::Double: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.17g", v.asDouble());
      out += buf;
      break;
    }
    case Value::Type::String:
      appendQuoted(out, v.asString());
      break;
    case Value::Type::Decimal:
      out += v.decimalText();
      break;
    case Value::Type::Bytes: {
      out += "<";
      char buf[4];
      for (uint8_t b : v.asBytes()) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        out += buf;
      }
      out += ">";
      break;
    }
    case Value::Type::Array: {
      if (mutableArraysDescribedByIdentity() &&
          dynamic_cast<const PlainArray*>(v.arrayStorage()) != nullptr) {
        out += mutableArrayDescription(v);
        break;
      }
      out += "[";
      for (size_t i = 0; i < v.size(); ++i) {
        if (i) out += ", ";
        appendDebug(out, v.at(i));
      }
      out += "]";
      break;
    }
    case Value::Type::Dictionary: {
      out += "{";
      bool first = true;
      v.forEach([&](const std::string& key, const Value& item) {
        if (!first) out += ", ";
        first = false;
        appendQuoted(out, key);
        out += ": ";
        appendDebug(out, item);
      });
      out += "}";
      break;
    }
  }
}

}  // namespace

// Immutable once made, so values share them freely. A group's strings name their group instead
// of counting their holders.
struct Value::StringBox {
  explicit StringBox(std::string s) : count(1), text(std::move(s)) {}
  StringBox(ValueGroup* owner, std::string_view s) : group(owner), text(s) {}
  StringBox(ValueGroup* owner, std::string&& s) noexcept : group(owner), text(std::move(s)) {}
  union {
    std::atomic<uint32_t> count;
    ValueGroup* group;
  };
  std::string text;
};

struct Value::BytesBox {
  std::atomic<uint32_t> count{1};
  Bytes bytes;
};

Value::Value(std::string s) : type_(Type::String) {
  string_ = new StringBox(std::move(s));
}

Value::Value(Bytes bytes) : type_(Type::Bytes) {
  bytes_ = new BytesBox{{1}, std::move(bytes)};
}

Value::Value(std::unique_ptr<ArrayStorage> array) : type_(Type::Null) {
  if (!array) return;
  array_ = array.release();
  array_->valueCount_.store(1, std::memory_order_relaxed);
  type_ = Type::Array;
}

Value::Value(std::unique_ptr<DictionaryStorage> dictionary) : type_(Type::Null) {
  if (!dictionary) return;
  dictionary_ = dictionary.release();
  dictionary_->valueCount_.store(1, std::memory_order_relaxed);
  type_ = Type::Dictionary;
}

Value Value::sharing(const ArrayStorage& array) {
  Value value = member(Type::Array, const_cast<ArrayStorage*>(&array));
  value.hold_ = Hold::Own;
  value.retain();
  return value;
}

Value Value::sharing(const DictionaryStorage& dictionary) {
  Value value = member(Type::Dictionary, const_cast<DictionaryStorage*>(&dictionary));
  value.hold_ = Hold::Own;
  value.retain();
  return value;
}

Value Value::groupString(ValueGroup& group, std::string_view text) {
  if (text.size() <= std::string().capacity())
    return member(Type::String, new (group.allocate(sizeof(StringBox))) StringBox(&group, text));
  // Longer text has a heap block (from the string's allocator, ::operator new) that the group
  // gives back without running the string's destructor; the box goes where the group looks for
  // such blocks. The text is made first: the box's room is taken only once nothing can fail.
  std::string owned(text);
  void* room = group.allocateTextBox();
  return member(Type::String, new (room) StringBox(&group, std::move(owned)));
}

ValueGroup* Value::group() const {
  switch (type_) {
    case Type::String:
    case Type::Decimal:
      return string_->group;
    case Type::Array:
      return array_->group_;
    default:
      return dictionary_->group_;
  }
}

std::atomic<uint32_t>& Value::boxCount() const {
  switch (type_) {
    case Type::String:
    case Type::Decimal:
      return string_->count;
    case Type::Bytes:
      return bytes_->count;
    case Type::Array:
      return array_->valueCount_;
    default:
      return dictionary_->valueCount_;
  }
}

namespace {

// True when the caller held the last count. A sole holder skips the locked decrement: no other
// thread can reach the box to count it up meanwhile.
bool letGo(std::atomic<uint32_t>& count) {
  if (count.load(std::memory_order_acquire) == 1) return true;
  return count.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

}  // namespace

void Value::release() {
  if (hold_ == Hold::Group) {
    group()->release();
    return;
  }
  switch (type_) {
    case Type::String:
    case Type::Decimal:
      if (letGo(string_->count)) delete string_;
      break;
    case Type::Bytes:
      if (letGo(bytes_->count)) delete bytes_;
      break;
    case Type::Array:
      if (letGo(array_->valueCount_)) delete array_;
      break;
    default:
      if (letGo(dictionary_->valueCount_)) delete dictionary_;
  }
}

// ---- ValueGroup

namespace {

// Chunks after the first; an item larger than a quarter of one gets a chunk of its own.
constexpr size_t kChunkBytes = 64 * 1024;

}  // namespace

ValueGroup* ValueGroup::make(size_t firstChunkBytes) {
  // The group heads its first chunk: a small document costs one block.
  constexpr size_t kHead = (sizeof(ValueGroup) + 7) / 8 * 8;
  // Whole eight-byte words, so that boxes made from the end stay aligned.
  size_t room = std::max<size_t>(firstChunkBytes, 256) / 8 * 8;
  void* block = std::malloc(kHead + room);
  if (!block) throw std::bad_alloc();
  auto* group = ::new (block) ValueGroup();
  group->free_ = static_cast<char*>(block) + kHead;
  group->end_ = group->free_ + room;
  group->first_ = {nullptr, group->end_, group->end_};
  group->chunks_ = group->current_ = &group->first_;
  return group;
}

ValueGroup::~ValueGroup() {
  // The strings themselves are left as they are: the chunks go, and with them everything but the
  // heap texts, whose boxes each chunk keeps together at its end. Fetched ahead, for a large
  // document's texts are long out of the cache.
  current_->textBoxes = end_;
  constexpr size_t kAhead = 8;
  constexpr size_t kBox = sizeof(Value::StringBox);
  for (Chunk* chunk = chunks_; chunk; chunk = chunk->next) {
    for (char* box = chunk->textBoxes; box < chunk->textEnd; box += kBox) {
      if (box + kAhead * kBox < chunk->textEnd)
        __builtin_prefetch(reinterpret_cast<Value::StringBox*>(box + kAhead * kBox)->text.data(),
                           1);
      ::operator delete(reinterpret_cast<Value::StringBox*>(box)->text.data());
    }
  }
  for (Chunk* chunk = chunks_; chunk != &first_;) {
    Chunk* next = chunk->next;
    std::free(chunk);
    chunk = next;
  }
}

void ValueGroup::release() {
  if (!letGo(count_)) return;
  this->~ValueGroup();
  std::free(this);
}

void* ValueGroup::allocateInNewChunk(size_t bytes) {
  bool own = bytes > kChunkBytes / 4;
  size_t room = own ? bytes : kChunkBytes;
  auto* chunk = static_cast<Chunk*>(std::malloc(sizeof(Chunk) + room));
  if (!chunk) throw std::bad_alloc();
  char* start = reinterpret_cast<char*>(chunk + 1);
  chunk->next = chunks_;
  chunks_ = chunk;
  if (own) {
    chunk->textBoxes = chunk->textEnd = nullptr;
    return start;
  }
  current_->textBoxes = end_;  // the old chunk's boxes are all made
  current_ = chunk;
  free_ = start + bytes;
  end_ = chunk->textBoxes = chunk->textEnd = start + room;
  return start;
}

void* ValueGroup::allocateTextBox() {
  constexpr size_t kBox = sizeof(Value::StringBox);
  static_assert(kBox % 8 == 0, "boxes at the end of a chunk stay 8-byte aligned");
  if (static_cast<size_t>(end_ - free_) < kBox) {
    // A fresh chunk: what it hands out from its start is the box's room at its end.
    void* start = allocateInNewChunk(kBox);
    free_ = static_cast<char*>(start);
  }
  end_ -= kBox;
  return end_;
}

Value Value::array(std::vector<Value> items) {
  return Value(std::unique_ptr<ArrayStorage>(std::make_unique<PlainArray>(std::move(items))));
}

Value Value::dictionary() {
  return Value(std::unique_ptr<DictionaryStorage>(std::make_unique<PlainDictionary>()));
}

Value Value::dictionary(std::initializer_list<std::pair<std::string, Value>> entries) {
  Value d = dictionary();
  for (const auto& [key, value] : entries) d.set(key, value);
  return d;
}

bool Value::isNumber() const {
  Type t = type();
  return t == Type::Int || t == Type::UInt || t == Type::Double || t == Type::Decimal;
}

Value Value::decimal(std::string text) {
  Value value(std::move(text));
  value.type_ = Type::Decimal;  // the same box as a string's
  return value;
}

const std::string& Value::decimalText() const {
  return type_ == Type::Decimal ? string_->text : emptyString();
}

bool Value::asBool() const {
  switch (type()) {
    case Type::Bool:
      return bool_;
    case Type::Int:
      return int_ != 0;
    case Type::UInt:
      return uint_ != 0;
    case Type::Double:
      return double_ != 0;
    case Type::Decimal:
      return asDouble() != 0;
    default:
      return false;
  }
}

int64_t Value::asInt() const {
  switch (type()) {
    case Type::Bool:
      return bool_ ? 1 : 0;
    case Type::Int:
      return int_;
    case Type::UInt:
      return static_cast<int64_t>(uint_);
    case Type::Double:
    case Type::Decimal: {
      double d = asDouble();
      if (std::isnan(d)) return 0;
      if (d >= 9.2233720368547758e18) return INT64_MAX;
      if (d <= -9.2233720368547758e18) return INT64_MIN;
      return static_cast<int64_t>(d);
    }
    default:
      return 0;
  }
}

uint64_t Value::asUInt() const {
  switch (type()) {
    case Type::UInt:
      return uint_;
    case Type::Double:
    case Type::Decimal: {
      double d = asDouble();
      if (std::isnan(d) || d <= 0) return 0;
      if (d >= 1.8446744073709552e19) return UINT64_MAX;
      return static_cast<uint64_t>(d);
    }
    default:
      return static_cast<uint64_t>(asInt());
  }
}

double Value::asDouble() const {
  switch (type()) {
    case Type::Bool:
      return bool_ ? 1.0 : 0.0;
    case Type::Int:
      return static_cast<double>(int_);
    case Type::UInt:
      return static_cast<double>(uint_);
    case Type::Double:
      return double_;
    case Type::Decimal:  // beyond a double's range, the infinity or zero of its sign
      return std::strtod(string_->text.c_str(), nullptr);
    default:
      return 0.0;
  }
}

const std::string& Value::asString() const {
  return type_ == Type::String ? string_->text : emptyString();
}

const Value::Bytes& Value::asBytes() const {
  return type_ == Type::Bytes ? bytes_->bytes : emptyBytes();
}

const ArrayStorage* Value::arrayStorage() const {
  return type_ == Type::Array ? array_ : nullptr;
}

const DictionaryStorage* Value::dictionaryStorage() const {
  return type_ == Type::Dictionary ? dictionary_ : nullptr;
}

ArrayStorage& Value::mutableArray() {
  if (type_ == Type::Null) *this = array();
  if (type_ != Type::Array) throw std::logic_error("Value is not an array");
  // A group's array is never changed in place: others may hold it.
  if (hold_ != Hold::Own || array_->valueCount_.load(std::memory_order_acquire) > 1)
    *this = Value(array_->clone());
  return *array_;
}

DictionaryStorage& Value::mutableDictionary() {
  if (type_ == Type::Null) *this = dictionary();
  if (type_ != Type::Dictionary) throw std::logic_error("Value is not a dictionary");
  if (hold_ != Hold::Own || dictionary_->valueCount_.load(std::memory_order_acquire) > 1)
    *this = Value(dictionary_->clone());
  return *dictionary_;
}

size_t Value::size() const {
  if (auto* a = arrayStorage()) return a->size();
  if (auto* d = dictionaryStorage()) return d->size();
  return 0;
}

const Value& Value::at(size_t index) const {
  auto* a = arrayStorage();
  if (!a || index >= a->size()) return nullValue();
  return a->at(index);
}

void Value::append(Value value) {
  mutableArray().append(std::move(value));
}
void Value::insert(size_t index, Value value) {
  mutableArray().insert(index, std::move(value));
}
void Value::replace(size_t index, Value value) {
  mutableArray().replace(index, std::move(value));
}
void Value::removeAt(size_t index) {
  mutableArray().remove(index);
}

bool Value::has(const std::string& key) const {
  auto* d = dictionaryStorage();
  return d && d->find(key) != nullptr;
}

const Value& Value::get(const std::string& key) const {
  auto* d = dictionaryStorage();
  if (!d) return nullValue();
  const Value* found = d->find(key);
  return found ? *found : nullValue();
}

void Value::set(const std::string& key, Value value) {
  mutableDictionary().set(key, std::move(value));
}

bool Value::remove(const std::string& key) {
  if (!dictionaryStorage()) return false;
  return mutableDictionary().remove(key);
}

std::vector<std::string> Value::keys() const {
  std::vector<std::string> result;
  forEach([&](const std::string& key, const Value&) { result.push_back(key); });
  return result;
}

void Value::forEach(const std::function<void(const std::string&, const Value&)>& fn) const {
  if (auto* d = dictionaryStorage()) d->forEach(fn);
}

bool Value::operator==(const Value& other) const {
  Type a = type(), b = other.type();
  bool aInt = a == Type::Int || a == Type::UInt;
  bool bInt = b == Type::Int || b == Type::UInt;
  if (aInt && bInt) {
    if (a == b) return a == Type::Int ? asInt() == other.asInt() : asUInt() == other.asUInt();
    int64_t signedSide = a == Type::Int ? asInt() : other.asInt();
    uint64_t unsignedSide = a == Type::UInt ? asUInt() : other.asUInt();
    return signedSide >= 0 && static_cast<uint64_t>(signedSide) == unsignedSide;
  }
  if (a == Type::Decimal && b == Type::Decimal) return decimalText() == other.decimalText();
  if (isNumber() && other.isNumber()) return asDouble() == other.asDouble();
  if (a != b) return false;
  switch (a) {
    case Type::Null:
      return true;
    case Type::Bool:
      return asBool() == other.asBool();
    case Type::String:
      return asString() == other.asString();
    case Type::Bytes:
      return asBytes() == other.asBytes();
    case Type::Array: {
      if (size() != other.size()) return false;
      for (size_t i = 0; i < size(); ++i)
        if (at(i) != other.at(i)) return false;
      return true;
    }
    case Type::Dictionary: {
      if (size() != other.size()) return false;
      bool equal = true;
      forEach([&](const std::string& key, const Value& item) {
        const Value* theirs = other.dictionaryStorage()->find(key);
        if (!theirs || *theirs != item) equal = false;
      });
      return equal;
    }
    default:
      return false;
  }
}

std::string Value::debugString() const {
  std::string out;
  appendDebug(out, *this);
  return out;
}

uint32_t Value::holderCount() const {
  if (type_ < Type::String) return 1;
  if (hold_ == Hold::Own) return boxCount().load(std::memory_order_relaxed);
  return group()->count_.load(std::memory_order_relaxed);
}

// ---- PlainArray

PlainArray::PlainArray(std::vector<Value> items) : items_(std::move(items)) {}
size_t PlainArray::size() const {
  return items_.size();
}
const Value& PlainArray::at(size_t index) const {
  return items_.at(index);
}
void PlainArray::append(Value value) {
  items_.push_back(std::move(value));
}

void PlainArray::insert(size_t index, Value value) {
  if (index > items_.size()) throw std::out_of_range("PlainArray::insert");
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
}

void PlainArray::replace(size_t index, Value value) {
  items_.at(index) = std::move(value);
}

void PlainArray::remove(size_t index) {
  if (index >= items_.size()) throw std::out_of_range("PlainArray::remove");
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::unique_ptr<ArrayStorage> PlainArray::clone() const {
  return std::make_unique<PlainArray>(items_);
}

// ---- PlainDictionary

size_t PlainDictionary::size() const {
  return entries_.size();
}

const Value* PlainDictionary::find(const std::string& key) const {
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : &entries_[it->second].second;
}

void PlainDictionary::set(const std::string& key, Value value) {
  auto it = index_.find(key);
  if (it != index_.end()) {
    entries_[it->second].second = std::move(value);
    return;
  }
  index_.emplace(key, entries_.size());
  entries_.emplace_back(key, std::move(value));
}

bool PlainDictionary::remove(const std::string& key) {
  auto it = index_.find(key);
  if (it == index_.end()) return false;
  size_t position = it->second;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  index_.erase(it);
  for (auto& [k, i] : index_)
    if (i > position) --i;
  return true;
}

void PlainDictionary::forEach(
    const std::function<void(const std::string&, const Value&)>& fn) const {
  for (const auto& [key, value] : entries_) fn(key, value);
}

std::unique_ptr<DictionaryStorage> PlainDictionary::clone() const {
  return std::make_unique<PlainDictionary>(*this);
}

}  // namespace plat
