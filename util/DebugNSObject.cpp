#include "util/DebugNSObject.h"

#include <string>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"

bool DebugNSObject::checkIsDebug() {
  const std::string marker = std::string(kSharedClientKey) + ".txt";
  for (const auto& name : plat::files::list(plat::AppHome::documentsDir()))
    if (name == marker) return true;
  return false;
}
