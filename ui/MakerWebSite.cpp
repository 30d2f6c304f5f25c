#include "ui/MakerWebSite.h"

#include <cstdlib>

#include "platform/base/Bundle.h"

namespace MakerWebSite {

std::string address() {
  if (const char* chosen = std::getenv("VOCAB_MAKER_SITE"); chosen && *chosen) return chosen;
  return plat::Bundle::main().infoValue("MakerWebSite");
}

}  // namespace MakerWebSite
