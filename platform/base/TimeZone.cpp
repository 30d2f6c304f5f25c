// Zones from the time zone database's binary files (TZif), from POSIX TZ rule texts, and fixed
// offsets.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "platform/base/PosixTzRule.h"

namespace plat {
namespace {

class FixedZone : public TimeZone {
 public:
  FixedZone(int offset, std::string name) : offset_(offset), name_(std::move(name)) {}
  int offsetAt(double) const override { return offset_; }
  std::string name() const override { return name_; }

 private:
  int offset_;
  std::string name_;
};

class RuleZone : public TimeZone {
 public:
  RuleZone(PosixTzRule rule, std::string name) : rule_(rule), name_(std::move(name)) {}
  int offsetAt(double t) const override { return rule_.offsetAt(t); }
  std::string name() const override { return name_; }

 private:
  PosixTzRule rule_;
  std::string name_;
};

// A table of transitions, then (from version 2 on) a rule for the instants after the last one.
class TableZone : public TimeZone {
 public:
  std::string name_;
  std::vector<int64_t> transitions_;
  std::vector<uint8_t> typeOf_;  // type index in force from each transition
  std::vector<int> offsets_;     // per type
  std::optional<PosixTzRule> footer_;

  std::string name() const override { return name_; }
  int offsetAt(double t) const override {
    if (transitions_.empty() || t < static_cast<double>(transitions_.front()))
      return transitions_.empty() && footer_ ? footer_->offsetAt(t) : offsets_.front();
    if (t >= static_cast<double>(transitions_.back()) && footer_) return footer_->offsetAt(t);
    auto it = std::upper_bound(transitions_.begin(), transitions_.end(), t,
                               [](double v, int64_t tr) { return v < static_cast<double>(tr); });
    return offsets_[typeOf_[static_cast<size_t>(it - transitions_.begin()) - 1]];
  }
};

class ByteReader {
 public:
  explicit ByteReader(const std::string& data) : data_(data) {}
  bool has(size_t n) const { return n <= data_.size() - pos_; }
  size_t pos() const { return pos_; }
  void skip(size_t n) { pos_ += n; }
  int64_t be(int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<uint8_t>(data_[pos_++]);
    if (bytes == 4) return static_cast<int32_t>(static_cast<uint32_t>(v));
    return static_cast<int64_t>(v);
  }
  uint8_t byte() { return static_cast<uint8_t>(data_[pos_++]); }

 private:
  const std::string& data_;
  size_t pos_ = 0;
};

struct TzifCounts {
  uint32_t isut, isstd, leap, time, type, chars;
  char version;
};

bool readHeader(ByteReader& in, TzifCounts& c) {
  if (!in.has(44)) return false;
  std::string magic;
  for (int i = 0; i < 4; ++i) magic += static_cast<char>(in.byte());
  if (magic != "TZif") return false;
  c.version = static_cast<char>(in.byte());
  in.skip(15);
  uint32_t* fields[] = {&c.isut, &c.isstd, &c.leap, &c.time, &c.type, &c.chars};
  for (uint32_t* f : fields) *f = static_cast<uint32_t>(in.be(4));
  return c.type >= 1 && c.type <= 256 && c.time <= 100000 && c.chars <= 100000 &&
         c.leap <= 100000 && c.isut <= 256 && c.isstd <= 256;
}

size_t dataSize(const TzifCounts& c, int timeBytes) {
  return size_t{c.time} * (timeBytes + 1) + size_t{c.type} * 6 + c.chars +
         size_t{c.leap} * (timeBytes + 4) + c.isstd + c.isut;
}

std::shared_ptr<TableZone> parseTzif(const std::string& data, const std::string& name) {
  ByteReader in(data);
  TzifCounts c;
  if (!readHeader(in, c)) return nullptr;
  int timeBytes = 4;
  if (c.version >= '2') {
    // Skip the 32-bit table; the 64-bit one that follows covers every instant.
    if (!in.has(dataSize(c, 4))) return nullptr;
    in.skip(dataSize(c, 4));
    if (!readHeader(in, c)) return nullptr;
    timeBytes = 8;
  }
  if (!in.has(dataSize(c, timeBytes))) return nullptr;
  auto zone = std::make_shared<TableZone>();
  zone->name_ = name;
  for (uint32_t i = 0; i < c.time; ++i) zone->transitions_.push_back(in.be(timeBytes));
  for (uint32_t i = 0; i < c.time; ++i) {
    uint8_t type = in.byte();
    if (type >= c.type) return nullptr;
    zone->typeOf_.push_back(type);
  }
  if (!std::is_sorted(zone->transitions_.begin(), zone->transitions_.end())) return nullptr;
  for (uint32_t i = 0; i < c.type; ++i) {
    int64_t offset = in.be(4);
    in.skip(2);
    if (offset < -93600 || offset > 93600) return nullptr;
    zone->offsets_.push_back(static_cast<int>(offset));
  }
  in.skip(dataSize(c, timeBytes) - size_t{c.time} * (timeBytes + 1) - size_t{c.type} * 6);
  if (timeBytes == 8 && in.has(1) && data[in.pos()] == '\n') {
    size_t end = data.find('\n', in.pos() + 1);
    if (end != std::string::npos)
      zone->footer_ =
          PosixTzRule::parse(std::string_view(data).substr(in.pos() + 1, end - in.pos() - 1));
  }
  return zone;
}

std::string zoneDirectory() {
  const char* dir = std::getenv("TZDIR");
  return dir && *dir ? dir : "/usr/share/zoneinfo";
}

// A database name names a file below the zone folder and nothing outside it.
bool isSafeZoneName(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.size() > 128) return false;
  for (char ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch)) && !std::strchr("/_+-.", ch)) return false;
  }
  return name.find("..") == std::string::npos;
}

std::shared_ptr<const TimeZone> loadFile(const std::string& path, const std::string& name) {
  auto data = files::readFile(path);
  if (!data || data->size() > (1u << 20)) return nullptr;
  return parseTzif(*data, name);
}

std::mutex& zonesMutex() {
  static std::mutex m;
  return m;
}

std::shared_ptr<const TimeZone> namedOrNull(const std::string& name) {
  if (name == "UTC" || name == "GMT" || name == "Etc/UTC" || name == "Etc/GMT")
    return std::make_shared<FixedZone>(0, name);
  // Never destroyed, like the local zone below: every thread reads dates, until the very end.
  static auto* cache = new std::map<std::string, std::shared_ptr<const TimeZone>>;
  std::lock_guard lock(zonesMutex());
  if (auto it = cache->find(name); it != cache->end()) return it->second;
  std::shared_ptr<const TimeZone> zone;
  if (isSafeZoneName(name)) zone = loadFile(zoneDirectory() + "/" + name, name);
  if (zone) (*cache)[name] = zone;
  return zone;
}

// The zone named by a TZ value: a database name, a file path, or a rule text.
std::shared_ptr<const TimeZone> zoneFromTzValue(std::string value) {
  if (!value.empty() && value.front() == ':') value.erase(0, 1);
  if (value.empty()) return TimeZone::utc();
  if (value.front() == '/') {
    if (auto zone = loadFile(value, value)) return zone;
  } else if (auto zone = namedOrNull(value)) {
    return zone;
  }
  if (auto rule = PosixTzRule::parse(value)) return std::make_shared<RuleZone>(*rule, value);
  return TimeZone::utc();
}

std::shared_ptr<const TimeZone> systemZone() {
  std::string name = "localtime";
  char target[512];
  ssize_t n = ::readlink("/etc/localtime", target, sizeof target - 1);
  if (n > 0) {
    std::string link(target, static_cast<size_t>(n));
    if (auto at = link.find("zoneinfo/"); at != std::string::npos) name = link.substr(at + 9);
  }
  if (auto zone = loadFile("/etc/localtime", name)) return zone;
  return TimeZone::utc();
}

}  // namespace

std::shared_ptr<const TimeZone> TimeZone::local() {
  static std::mutex m;
  static auto* cachedTz = new std::optional<std::string>;
  static bool cachedSet = false;
  static auto* cached = new std::shared_ptr<const TimeZone>;
  const char* tz = std::getenv("TZ");
  std::optional<std::string> current = tz ? std::optional<std::string>(tz) : std::nullopt;
  std::lock_guard lock(m);
  if (!cachedSet || current != *cachedTz) {
    *cached = current ? zoneFromTzValue(*current) : systemZone();
    *cachedTz = current;
    cachedSet = true;
  }
  return *cached;
}

std::shared_ptr<const TimeZone> TimeZone::named(const std::string& name) {
  auto zone = namedOrNull(name);
  return zone ? zone : utc();
}

std::shared_ptr<const TimeZone> TimeZone::fixed(int secondsEast) {
  if (secondsEast == 0) {
    static const auto* gmt =
        new std::shared_ptr<const TimeZone>(std::make_shared<FixedZone>(0, "GMT"));
    return *gmt;
  }
  int a = secondsEast < 0 ? -secondsEast : secondsEast;
  char name[32];
  std::snprintf(name, sizeof name, "GMT%c%02d:%02d", secondsEast < 0 ? '-' : '+', a / 3600,
                a / 60 % 60);
  return std::make_shared<FixedZone>(secondsEast, name);
}

}  // namespace plat
