#include "ui/LocalText.h"

#include "platform/base/Bundle.h"

namespace localtext {

std::string orEmpty(const std::string& key) {
  std::string text = plat::localized(key, "InfoPlist");
  return text == key ? "" : text;
}

}  // namespace localtext
