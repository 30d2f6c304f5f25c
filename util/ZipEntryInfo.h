// What an archive says about one entry: name, sizes, compression level, encryption, date and CRC.
#pragma once

#include <cstdint>
#include <string>

class ZipEntryInfo {
 public:
  ZipEntryInfo(std::string name, uint64_t length, int level, bool crypted, uint64_t size,
               double date, uint64_t crc32)
      : name_(std::move(name)),
        length_(length),
        level_(level),
        crypted_(crypted),
        size_(size),
        date_(date),
        crc32_(crc32) {}

  const std::string& name() const { return name_; }  // as stored, UTF-8
  uint64_t length() const { return length_; }        // uncompressed bytes
  // 0 stored, -1 default, 9 best, 1 fastest.
  int level() const { return level_; }
  bool crypted() const { return crypted_; }
  uint64_t size() const { return size_; }  // compressed bytes
  double date() const { return date_; }    // seconds since 1970, from the local date stored
  uint64_t crc32() const { return crc32_; }

 private:
  std::string name_;
  uint64_t length_;
  int level_;
  bool crypted_;
  uint64_t size_;
  double date_;
  uint64_t crc32_;
};
