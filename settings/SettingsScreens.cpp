#include "settings/SettingsScreens.h"

namespace SettingsScreens {
namespace {

SectionOrderMaker& sectionOrderMaker() {
  static SectionOrderMaker maker;
  return maker;
}

}  // namespace

void setSectionOrderMaker(SectionOrderMaker maker) {
  sectionOrderMaker() = std::move(maker);
}

std::shared_ptr<plat::ViewController> makeSectionOrder(const std::string& navName,
                                                       const std::string& parentName) {
  if (!sectionOrderMaker()) return nullptr;
  return sectionOrderMaker()(navName, parentName);
}

}  // namespace SettingsScreens
