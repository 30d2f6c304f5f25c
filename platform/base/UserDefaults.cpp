#include "platform/base/UserDefaults.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/ValueCoding.h"

namespace plat {
namespace {

// Equal and of the same types throughout, keys in the same order: storing `b` over `a` would
// write the same file.
bool identical(const Value& a, const Value& b) {
  if (a.type() != b.type()) return false;
  if (a.isArray()) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (!identical(a.at(i), b.at(i))) return false;
    return true;
  }
  if (a.isDictionary()) {
    const std::vector<std::string> keys = a.keys();
    if (keys != b.keys()) return false;
    for (const std::string& key : keys)
      if (!identical(a.get(key), b.get(key))) return false;
    return true;
  }
  // Bit for bit: -0.0 is stored apart from 0.0.
  if (a.type() == Value::Type::Double)
    return std::bit_cast<uint64_t>(a.asDouble()) == std::bit_cast<uint64_t>(b.asDouble());
  return a == b;
}

}  // namespace

UserDefaults& UserDefaults::standardUserDefaults() {
  static std::mutex m;
  // Defaults of earlier homes stay alive: callers may still hold references to them. Never
  // destroyed: threads still running as the process exits may read them too.
  static auto* all = new std::vector<std::unique_ptr<UserDefaults>>;
  const std::string path = files::join(AppHome::preferencesDir(), "vocab.defaults");
  std::lock_guard lock(m);
  if (all->empty() || all->back()->path() != path) {
    if (!all->empty()) all->back()->synchronize();
    all->push_back(std::make_unique<UserDefaults>(path));
  }
  return *all->back();
}

UserDefaults::UserDefaults(std::string path) : path_(std::move(path)) {
  auto data = files::readFile(path_);
  if (!data) return;
  auto decoded = decodeValue(*data);
  if (decoded && decoded->isDictionary()) {
    values_ = std::move(*decoded);
  } else {
    std::fprintf(stderr, "user defaults: %s is damaged; starting empty\n", path_.c_str());
  }
}

Value UserDefaults::objectForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  return values_.get(key);
}

std::string UserDefaults::stringForKey(const std::string& key) const {
  return objectForKey(key).asString();
}

int64_t UserDefaults::integerForKey(const std::string& key) const {
  return objectForKey(key).asInt();
}

double UserDefaults::doubleForKey(const std::string& key) const {
  return objectForKey(key).asDouble();
}

bool UserDefaults::boolForKey(const std::string& key) const {
  return objectForKey(key).asBool();
}

void UserDefaults::setObject(const std::string& key, Value value) {
  if (value.isNull()) {
    removeObject(key);
    return;
  }
  std::lock_guard lock(mutex_);
  // Settings stored again unchanged (the analytics does so at every start) cost no write.
  if (values_.has(key) && identical(values_.get(key), value)) return;
  values_.set(key, std::move(value));
  dirty_ = true;
}

void UserDefaults::removeObject(const std::string& key) {
  std::lock_guard lock(mutex_);
  if (values_.remove(key)) dirty_ = true;
}

Value UserDefaults::dictionaryRepresentation() const {
  std::lock_guard lock(mutex_);
  return values_;
}

bool UserDefaults::synchronize() {
  std::lock_guard lock(mutex_);
  if (!dirty_) return true;
  if (auto slash = path_.rfind('/'); slash != std::string::npos && slash > 0) {
    if (!files::createDirectories(path_.substr(0, slash))) return false;
  }
  if (!files::writeFileAtomically(path_, encodeValue(values_))) return false;
  dirty_ = false;
  return true;
}

}  // namespace plat
