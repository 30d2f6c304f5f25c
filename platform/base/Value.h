// A dynamically typed value: what JSON replies, property lists and user defaults hold. Arrays and
// dictionaries keep their elements behind a storage interface, so the JSON decoder's own containers
// and plain ones are read the same way. Copies share storage until one of them is changed.
// A value is 16 bytes: numbers and booleans inline, everything else behind one counted pointer
// (decoded documents hold millions of values, most of them in arrays and dictionaries). Strings and
// containers can also live in a ValueGroup, made and freed together.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace plat {

class Value;

// A block of memory whose strings and containers are made together and freed together, as a
// decoded document's are: a value outside the group that holds one of them counts the group, not
// the item, and the values inside the group's own containers count nothing. Freeing a whole tree
// is then one release, and anything taken out of it keeps the whole group alive, never dangling.
// Only the group's maker fills it, on one thread; afterwards its items never change.
class ValueGroup {
 public:
  // A group counted once, by the caller, who drops that count with release().
  // `firstChunkBytes` sizes the first block (a guess of what the items will take).
  static ValueGroup* make(size_t firstChunkBytes);
  void release();
  // Room for a container of `bytes`, 8-byte aligned, living as long as the group.
  void* allocate(size_t bytes) {
    size_t need = (bytes + 7) / 8 * 8;
    if (static_cast<size_t>(end_ - free_) < need) return allocateInNewChunk(need);
    char* at = free_;
    free_ += need;
    return at;
  }

 private:
  friend class Value;
  // A block of the group's memory. Containers fill it from the start; the boxes of strings whose
  // text has a heap block of its own fill it from the end, so that freeing the group finds every
  // such text by walking the chunks, without a list that costs a pointer a string.
  struct Chunk {
    Chunk* next;
    char* textBoxes;  // the boxes run from here to textEnd; the current chunk's from `end_`
    char* textEnd;
  };
  ValueGroup() = default;
  ~ValueGroup();
  void* allocateInNewChunk(size_t bytes);
  // Room for the box of a string with a heap text, at the end of the current chunk.
  void* allocateTextBox();

  std::atomic<uint32_t> count_{1};
  char* free_ = nullptr;  // the unused room of the newest chunk runs from here to end_
  char* end_ = nullptr;
  Chunk first_{};             // the chunk that the group heads
  Chunk* chunks_ = nullptr;   // newest first, ending with first_
  Chunk* current_ = nullptr;  // the chunk that free_ and end_ are in
};

// Storage of an array value. Implementations may refuse changes by throwing NamedException.
class ArrayStorage {
 public:
  ArrayStorage() = default;
  ArrayStorage(const ArrayStorage&) : ArrayStorage() {}
  ArrayStorage& operator=(const ArrayStorage&) { return *this; }
  virtual ~ArrayStorage() = default;
  virtual size_t size() const = 0;
  virtual const Value& at(size_t index) const = 0;  // index < size()
  virtual void append(Value value) = 0;
  virtual void insert(size_t index, Value value) = 0;
  virtual void replace(size_t index, Value value) = 0;
  virtual void remove(size_t index) = 0;
  // A storage that equals this one, owned by nobody else (used before a shared value is changed).
  virtual std::unique_ptr<ArrayStorage> clone() const = 0;

 private:
  friend class Value;
  // The values that hold this storage; in a group's memory, the group instead.
  union {
    mutable std::atomic<uint32_t> valueCount_{0};
    ValueGroup* group_;
  };
};

// Storage of a dictionary value. Keys are unique; enumeration order is the storage's own (plain
// dictionaries keep insertion order).
class DictionaryStorage {
 public:
  DictionaryStorage() = default;
  DictionaryStorage(const DictionaryStorage&) : DictionaryStorage() {}
  DictionaryStorage& operator=(const DictionaryStorage&) { return *this; }
  virtual ~DictionaryStorage() = default;
  virtual size_t size() const = 0;
  virtual const Value* find(const std::string& key) const = 0;  // nullptr when absent
  virtual void set(const std::string& key, Value value) = 0;
  virtual bool remove(const std::string& key) = 0;
  virtual void forEach(const std::function<void(const std::string&, const Value&)>& fn) const = 0;
  virtual std::unique_ptr<DictionaryStorage> clone() const = 0;

 private:
  friend class Value;
  union {
    mutable std::atomic<uint32_t> valueCount_{0};
    ValueGroup* group_;
  };
};

class Value {
 public:
  // The kinds behind a counted pointer come last, from String on. A Decimal is a number kept as
  // its exact decimal text, for numbers that no Int, UInt or Double holds unchanged.
  enum class Type : uint8_t {
    Null,
    Bool,
    Int,
    UInt,
    Double,
    String,
    Bytes,
    Array,
    Dictionary,
    Decimal
  };
  using Bytes = std::vector<uint8_t>;

  Value() : type_(Type::Null) {}
  Value(std::nullptr_t) : Value() {}
  Value(bool b) : type_(Type::Bool) { bool_ = b; }
  Value(int i) : type_(Type::Int) { int_ = i; }
  Value(long i) : type_(Type::Int) { int_ = i; }
  Value(long long i) : type_(Type::Int) { int_ = i; }
  Value(unsigned u) : type_(Type::UInt) { uint_ = u; }
  Value(unsigned long u) : type_(Type::UInt) { uint_ = u; }
  Value(unsigned long long u) : type_(Type::UInt) { uint_ = u; }
  Value(double d) : type_(Type::Double) { double_ = d; }
  Value(const char* s) : Value(std::string(s ? s : "")) {}
  Value(std::string s);
  Value(Bytes bytes);
  // The value takes the storage over; a null storage gives a null value.
  explicit Value(std::unique_ptr<ArrayStorage> array);
  explicit Value(std::unique_ptr<DictionaryStorage> dictionary);
  // Another value holding a storage that a value already holds (as its storage's own code needs);
  // the second form for a storage in a group's memory.
  static Value sharing(const ArrayStorage& array);
  static Value sharing(const DictionaryStorage& dictionary);
  static Value sharingGroupMember(const DictionaryStorage& dictionary) {
    Value inGroup = member(Type::Dictionary, const_cast<DictionaryStorage*>(&dictionary));
    Value counted(static_cast<const Value&>(inGroup));  // a copy of a member counts the group
    return counted;
  }

  // Members of a group: how the group's own containers hold its strings and containers. A member
  // counts nothing and must stay inside the group's containers (its maker's stack aside); every
  // copy of it made elsewhere counts the group. `placed` was made in memory from
  // group.allocate() and is never deleted (nor destroyed: what it holds are members).
  static Value groupString(ValueGroup& group, std::string_view text);
  static Value groupArray(ValueGroup& group, ArrayStorage* placed) {
    placed->group_ = &group;
    return member(Type::Array, placed);
  }
  static Value groupDictionary(ValueGroup& group, DictionaryStorage* placed) {
    placed->group_ = &group;
    return member(Type::Dictionary, placed);
  }
  // Another member for the same item, for a second place in the group's containers.
  static Value sameMember(const Value& member) {
    if (member.hold_ != Hold::Member) return member;
    Value value;
    value.bits_ = member.bits_;
    value.type_ = member.type_;
    value.hold_ = Hold::Member;
    return value;
  }

  Value(const Value& other)
      : type_(other.type_), hold_(other.hold_ == Hold::Member ? Hold::Group : other.hold_) {
    bits_ = other.bits_;
    retain();
  }
  Value(Value&& other) noexcept : type_(other.type_), hold_(other.hold_) {
    bits_ = other.bits_;
    other.type_ = Type::Null;
  }
  Value& operator=(const Value& other) {
    Value copy(other);
    swap(copy);
    return *this;
  }
  Value& operator=(Value&& other) noexcept {
    Value moved(std::move(other));
    swap(moved);
    return *this;
  }
  ~Value() {
    if (type_ >= Type::String && hold_ != Hold::Member) release();
  }
  void swap(Value& other) noexcept {
    std::swap(bits_, other.bits_);
    std::swap(type_, other.type_);
    std::swap(hold_, other.hold_);
  }

  // `text` must be a number in JSON's form; it is kept as it stands.
  static Value decimal(std::string text);
  static Value array(std::vector<Value> items = {});
  static Value dictionary();
  static Value dictionary(std::initializer_list<std::pair<std::string, Value>> entries);

  Type type() const { return type_; }
  bool isNull() const { return type() == Type::Null; }
  bool isBool() const { return type() == Type::Bool; }
  bool isNumber() const;  // Int, UInt, Double or Decimal
  bool isDecimal() const { return type() == Type::Decimal; }
  bool isString() const { return type() == Type::String; }
  bool isBytes() const { return type() == Type::Bytes; }
  bool isArray() const { return type() == Type::Array; }
  bool isDictionary() const { return type() == Type::Dictionary; }

  // Typed reads never fail: a value of another type reads as the type's empty value, except that
  // numbers and booleans convert among themselves.
  bool asBool() const;
  int64_t asInt() const;
  uint64_t asUInt() const;
  double asDouble() const;
  const std::string& asString() const;     // "" unless a string
  const Bytes& asBytes() const;            // empty unless bytes
  const std::string& decimalText() const;  // "" unless a decimal

  // Arrays. On a non-array, size() is 0 and at() gives null.
  size_t size() const;
  const Value& at(size_t index) const;
  const Value& operator[](size_t index) const { return at(index); }
  void append(Value value);  // turns a null value into an array first
  void insert(size_t index, Value value);
  void replace(size_t index, Value value);
  void removeAt(size_t index);

  // Dictionaries. On a non-dictionary, get() gives null and has() false.
  bool has(const std::string& key) const;
  const Value& get(const std::string& key) const;
  const Value& operator[](const std::string& key) const { return get(key); }
  const Value& operator[](const char* key) const { return get(key); }
  void set(const std::string& key, Value value);  // turns a null value into a dictionary first
  bool remove(const std::string& key);
  std::vector<std::string> keys() const;
  void forEach(const std::function<void(const std::string&, const Value&)>& fn) const;

  // The storages themselves, for code that needs the concrete container (nullptr if another type).
  const ArrayStorage* arrayStorage() const;
  const DictionaryStorage* dictionaryStorage() const;

  // Deep equality; an Int and a UInt of the same number are equal, numbers never equal strings.
  bool operator==(const Value& other) const;
  bool operator!=(const Value& other) const { return !(*this == other); }

  // A readable form for logs and test failures, e.g. {"a": [1, 2.5, "x"], "b": null}. Plain
  // arrays print in their short form instead while the process asks for it
  // (MutableArrayDescription.h).
  std::string debugString() const;

  // How many values hold this string or container (for an item of a group, how many hold the
  // group); 1 for null, booleans and numbers, which nobody shares.
  uint32_t holderCount() const;

 private:
  friend class ValueGroup;  // frees the heap texts of its strings
  ArrayStorage& mutableArray();
  DictionaryStorage& mutableDictionary();
  // How a string or container is held: by its own count, by its group's count, or (inside the
  // group) not at all.
  enum class Hold : uint8_t { Own, Group, Member };

  void retain() const {
    if (type_ < Type::String) return;
    if (hold_ == Hold::Own)
      boxCount().fetch_add(1, std::memory_order_relaxed);
    else
      group()->count_.fetch_add(1, std::memory_order_relaxed);
  }
  void release();
  std::atomic<uint32_t>& boxCount() const;
  ValueGroup* group() const;
  static Value member(Type type, void* item) {
    Value value;
    value.bits_ = reinterpret_cast<uint64_t>(item);
    value.type_ = type;
    value.hold_ = Hold::Member;
    return value;
  }

  struct StringBox;
  struct BytesBox;
  union {
    uint64_t bits_ = 0;
    bool bool_;
    int64_t int_;
    uint64_t uint_;
    double double_;
    StringBox* string_;
    BytesBox* bytes_;
    ArrayStorage* array_;
    DictionaryStorage* dictionary_;
  };
  Type type_;
  Hold hold_ = Hold::Own;
};

// The plain containers behind Value::array() and Value::dictionary().
class PlainArray : public ArrayStorage {
 public:
  explicit PlainArray(std::vector<Value> items = {});
  size_t size() const override;
  const Value& at(size_t index) const override;
  void append(Value value) override;
  void insert(size_t index, Value value) override;
  void replace(size_t index, Value value) override;
  void remove(size_t index) override;
  std::unique_ptr<ArrayStorage> clone() const override;

 private:
  std::vector<Value> items_;
};

class PlainDictionary : public DictionaryStorage {
 public:
  size_t size() const override;
  const Value* find(const std::string& key) const override;
  void set(const std::string& key, Value value) override;
  bool remove(const std::string& key) override;
  void forEach(const std::function<void(const std::string&, const Value&)>& fn) const override;
  std::unique_ptr<DictionaryStorage> clone() const override;

 private:
  std::vector<std::pair<std::string, Value>> entries_;  // insertion order
  std::unordered_map<std::string, size_t> index_;       // key -> position in entries_
};

}  // namespace plat
