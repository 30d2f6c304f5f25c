#include "util/UDIDTools.h"

#include "platform/crypto/SecretStore.h"
#include "platform/crypto/Uuid.h"

namespace {
const char* const kItemDescription = "UUID";
}  // namespace

std::string UDIDTools::UDID() {
  return UDID_iOS7();
}

std::string UDIDTools::UDID_iOS7() {
  if (auto stored = getUDIDFromKeyChain()) return *stored;
  std::string fresh = plat::crypto::randomUuidString();
  // An add never overwrites: when another thread or process stored its UUID first, that one is
  // the device's, and every caller must get the same.
  if (plat::SecretStore::add(kItemDescription, fresh)) return fresh;
  if (auto stored = getUDIDFromKeyChain()) return *stored;
  settUDIDToKeyChain(fresh);  // an item that holds no text gets this one
  return fresh;
}

std::optional<std::string> UDIDTools::getUDIDFromKeyChain() {
  auto data = plat::SecretStore::find(kItemDescription);
  if (!data || data->empty()) return std::nullopt;
  return data;
}

bool UDIDTools::settUDIDToKeyChain(const std::string& text) {
  if (plat::SecretStore::find(kItemDescription)) {
    updateUDIDInKeyChain(text);
    return true;
  }
  return plat::SecretStore::add(kItemDescription, text);
}

bool UDIDTools::updateUDIDInKeyChain(const std::string& text) {
  if (!plat::SecretStore::find(kItemDescription)) return false;
  return plat::SecretStore::update(kItemDescription, text);
}
