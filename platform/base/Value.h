// A dynamically typed value: what JSON replies, property lists and user defaults hold. Arrays and
// dictionaries keep their elements behind a storage interface, so the JSON decoder's own containers
// and plain ones are read the same way. Copies share storage until one of them is changed.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace plat {

class Value;

// Storage of an array value. Implementations may refuse changes by throwing NamedException.
class ArrayStorage {
 public:
  virtual ~ArrayStorage() = default;
  virtual size_t size() const = 0;
  virtual const Value& at(size_t index) const = 0;  // index < size()
  virtual void append(Value value) = 0;
  virtual void insert(size_t index, Value value) = 0;
  virtual void replace(size_t index, Value value) = 0;
  virtual void remove(size_t index) = 0;
  // A storage that equals this one, owned by nobody else (used before a shared value is changed).
  virtual std::shared_ptr<ArrayStorage> clone() const = 0;
};

// Storage of a dictionary value. Keys are unique; enumeration order is the storage's own (plain
// dictionaries keep insertion order).
class DictionaryStorage {
 public:
  virtual ~DictionaryStorage() = default;
  virtual size_t size() const = 0;
  virtual const Value* find(const std::string& key) const = 0;  // nullptr when absent
  virtual void set(const std::string& key, Value value) = 0;
  virtual bool remove(const std::string& key) = 0;
  virtual void forEach(const std::function<void(const std::string&, const Value&)>& fn) const = 0;
  virtual std::shared_ptr<DictionaryStorage> clone() const = 0;
};

class Value {
 public:
  enum class Type { Null, Bool, Int, UInt, Double, String, Bytes, Array, Dictionary };
  using Bytes = std::vector<uint8_t>;

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : data_(b) {}
  Value(int i) : data_(int64_t{i}) {}
  Value(long i) : data_(int64_t{i}) {}
  Value(long long i) : data_(int64_t{i}) {}
  Value(unsigned u) : data_(uint64_t{u}) {}
  Value(unsigned long u) : data_(uint64_t{u}) {}
  Value(unsigned long long u) : data_(uint64_t{u}) {}
  Value(double d) : data_(d) {}
  Value(const char* s) : data_(std::string(s ? s : "")) {}
  Value(std::string s) : data_(std::move(s)) {}
  Value(Bytes bytes) : data_(std::move(bytes)) {}
  Value(std::shared_ptr<ArrayStorage> array);
  Value(std::shared_ptr<DictionaryStorage> dictionary);

  static Value array(std::vector<Value> items = {});
  static Value dictionary();
  static Value dictionary(std::initializer_list<std::pair<std::string, Value>> entries);

  Type type() const;
  bool isNull() const { return type() == Type::Null; }
  bool isBool() const { return type() == Type::Bool; }
  bool isNumber() const;  // Int, UInt or Double
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
  const std::string& asString() const;  // "" unless a string
  const Bytes& asBytes() const;         // empty unless bytes

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

  // A readable form for logs and test failures, e.g. {"a": [1, 2.5, "x"], "b": null}.
  std::string debugString() const;

 private:
  ArrayStorage& mutableArray();
  DictionaryStorage& mutableDictionary();

  std::variant<std::monostate, bool, int64_t, uint64_t, double, std::string, Bytes,
               std::shared_ptr<ArrayStorage>, std::shared_ptr<DictionaryStorage>>
      data_;
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
  std::shared_ptr<ArrayStorage> clone() const override;

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
  std::shared_ptr<DictionaryStorage> clone() const override;

 private:
  std::vector<std::pair<std::string, Value>> entries_;  // insertion order
  std::unordered_map<std::string, size_t> index_;       // key -> position in entries_
};

}  // namespace plat
