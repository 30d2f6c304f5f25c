// The recorded facts the analytics holds until they are packed for upload: counted events,
// key-value events, crash reports and ended sessions. Each codes itself as a dictionary under
// its coding keys, for the record cache.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Value.h"

class ANBaseEvent {
 public:
  explicit ANBaseEvent(std::string type);
  virtual ~ANBaseEvent() = default;

  bool sendingFlag = false;
  double ts = 0;  // seconds since 1970
  std::string type;
  std::string date;
  std::string time;
  std::string session_id;

  // Same class and same time.
  bool operator==(const ANBaseEvent& other) const;

  plat::Value encode() const;
  virtual void outputUMLog() const = 0;

 protected:
  virtual void encodeOwn(plat::Value& coded) const = 0;
  virtual void decodeOwn(const plat::Value& coded) = 0;
  void decodeBase(const plat::Value& coded);
  friend std::shared_ptr<ANBaseEvent> decodeRecord(const plat::Value& coded);
};

using ANRecord = std::shared_ptr<ANBaseEvent>;

class ANEvent : public ANBaseEvent {
 public:
  ANEvent() : ANBaseEvent("event") {}
  std::string event_id;
  std::string label;
  int64_t acc = 0;
  int64_t du = 0;  // milliseconds
  plat::Value values;
  void updateDu();
  void outputUMLog() const override;

 protected:
  void encodeOwn(plat::Value& coded) const override;
  void decodeOwn(const plat::Value& coded) override;
};

class ANEkv : public ANBaseEvent {
 public:
  ANEkv() : ANBaseEvent("ekv") {}
  int32_t du = 0;  // milliseconds
  std::string id;
  std::string key;  // the primary key of a timer
  plat::Value values = plat::Value::dictionary();
  void updateDu();
  void outputUMLog() const override;

  // A key-value record; null (after the printed message) when a key is reserved.
  static std::shared_ptr<ANEkv> make(const std::string& id, const std::string& key,
                                     const plat::Value& values);
  // At most 10 entries (11 with "__ct__"), strings only, keys cut to 128 bytes and values to 256.
  static plat::Value processDictionary(const plat::Value& values);

 protected:
  void encodeOwn(plat::Value& coded) const override;
  void decodeOwn(const plat::Value& coded) override;
};

class ANError : public ANBaseEvent {
 public:
  ANError() : ANBaseEvent("error") {}
  std::string context;  // the crash report
  void outputUMLog() const override;

 protected:
  void encodeOwn(plat::Value& coded) const override;
  void decodeOwn(const plat::Value& coded) override;
};

class ANTerminate : public ANBaseEvent {
 public:
  explicit ANTerminate(double duration = 0) : ANBaseEvent("terminate"), duration(duration) {}
  double duration;                                     // seconds
  std::vector<std::pair<std::string, int>> pageViews;  // page name, seconds
  double latitude = 0;
  double longitude = 0;
  int64_t gps_time = 0;  // milliseconds
  bool hasGPSInfo() const { return latitude != 0 && longitude != 0 && gps_time > 0; }
  void outputUMLog() const override;

 protected:
  void encodeOwn(plat::Value& coded) const override;
  void decodeOwn(const plat::Value& coded) override;
};

// A record from its coded form; null when the form names no known record.
std::shared_ptr<ANBaseEvent> decodeRecord(const plat::Value& coded);
