#include "online/Data_BackupSpace.h"

#include "platform/base/AppHome.h"

bool Data_BackupSpace::hasRoomForRestore(uint64_t freeBytes, uint64_t dumpBytes) {
  return freeBytes >= kReserveBytes && (freeBytes - kReserveBytes) / 2 >= dumpBytes;
}

void Data_BackupSpace::requireRoomForRestore(uint64_t dumpBytes) {
  const std::optional<uint64_t> free = plat::AppHome::freeBytes();
  if (!free || hasRoomForRestore(*free, dumpBytes)) return;
  throw NoRoomException("A restore of " + std::to_string(dumpBytes) + " bytes needs " +
                        std::to_string(2 * dumpBytes + kReserveBytes) + " bytes free; " +
                        std::to_string(*free) + " are");
}
