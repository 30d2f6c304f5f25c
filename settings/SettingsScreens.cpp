#include "settings/SettingsScreens.h"

namespace SettingsScreens {
namespace {

struct Makers {
  ScreenMaker sectionOrder;
  ScreenMaker feedback;
  TitledScreenMaker account;
};

Makers& makers() {
  static Makers m;
  return m;
}

}  // namespace

void setSectionOrderMaker(ScreenMaker maker) {
  makers().sectionOrder = std::move(maker);
}
void setFeedbackMaker(ScreenMaker maker) {
  makers().feedback = std::move(maker);
}
void setAccountMaker(TitledScreenMaker maker) {
  makers().account = std::move(maker);
}

std::shared_ptr<plat::ViewController> makeSectionOrder(const std::string& navName,
                                                       const std::string& parentName) {
  if (!makers().sectionOrder) return nullptr;
  return makers().sectionOrder(navName, parentName);
}

std::shared_ptr<plat::ViewController> makeFeedback(const std::string& navName,
                                                   const std::string& parentName) {
  if (!makers().feedback) return nullptr;
  return makers().feedback(navName, parentName);
}

std::shared_ptr<plat::ViewController> makeAccount(const std::string& parentName) {
  if (!makers().account) return nullptr;
  return makers().account(parentName);
}

}  // namespace SettingsScreens
