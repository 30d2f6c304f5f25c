#include "settings/BackupAgeText.h"

#include "platform/base/Bundle.h"

namespace BackupAgeText {

std::string text(int64_t lastSyn, int64_t now) {
  const std::string prefix = plat::localized("setting_backuptime");
  if (lastSyn == 0) return prefix + plat::localized("未备份过");
  int64_t d = now - lastSyn;
  if (d < 0) d = 0;
  int64_t n;
  const char* unit;
  if (d > 86400) {
    n = d / 86400;
    unit = "天";
  } else if (d >= 3601) {
    n = d / 3600;
    unit = "小时";
  } else {
    n = d / 60;
    unit = "分钟";
  }
  return prefix + std::to_string(n) + plat::localized(unit) + plat::localized("前");
}

}  // namespace BackupAgeText
