// Room on the device for a restore: the import goes through the database's write-ahead log and
// then into the database, so a dump needs about twice its size while it is applied, and the app
// must still have room for its pictures and settings afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/base/NamedException.h"

// "NoRoomException": too little free space to apply a restore; nothing was changed.
class NoRoomException : public plat::NamedException {
 public:
  explicit NoRoomException(std::string reason)
      : NamedException("NoRoomException", std::move(reason)) {}
};

class Data_BackupSpace {
 public:
  // What stays free after a restore for everything else the app writes.
  static constexpr uint64_t kReserveBytes = uint64_t{16} << 20;

  // Whether a dump of `dumpBytes` may be applied with `freeBytes` free on the database's volume.
  static bool hasRoomForRestore(uint64_t freeBytes, uint64_t dumpBytes);
  // Raises NoRoomException when the app home's volume has too little room for the dump; an
  // unknown amount of free space lets the restore try.
  static void requireRoomForRestore(uint64_t dumpBytes);
};
