#include "books/BookScreens.h"

namespace BookScreens {
namespace {

struct Makers {
  WordCardMaker wordCard;
  HelpPageMaker helpPage;
};

Makers& makers() {
  static Makers m;
  return m;
}

}  // namespace

void setWordCardMaker(WordCardMaker maker) {
  makers().wordCard = std::move(maker);
}
void setHelpPageMaker(HelpPageMaker maker) {
  makers().helpPage = std::move(maker);
}

std::shared_ptr<WordCard> makeWordCard(BaseWordDeleage* owner, const std::string& parentName) {
  if (!makers().wordCard) return nullptr;
  return makers().wordCard(owner, parentName);
}

std::shared_ptr<plat::ViewController> makeHelpPage(const std::string& navName,
                                                   const std::string& htmlName,
                                                   const std::string& parentName) {
  if (!makers().helpPage) return nullptr;
  return makers().helpPage(navName, htmlName, parentName);
}

}  // namespace BookScreens
