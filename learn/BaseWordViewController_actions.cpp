// What the learner does on the word card besides folding sections: hearing the word, the note
// editors, paging, adopting the excellent mnemonic and sharing it, the offer of the best shared
// mnemonic, and extracting the card's words into a word list.
#include <exception>

#include "extract/ExtractWord.h"
#include "json/JsonCodec.h"
#include "learn/BaseWordViewController.h"
#include "learn/CardScreens.h"
#include "learn/TextTemplate.h"
#include "net/HttpNetworkQueue.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "platform/base/Bundle.h"
#include "platform/draw/ImageContext.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/Application.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "platform/view/Window.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "ui/MyAlerView.h"
#include "util/DebugNSObject.h"

namespace {

// Where the offer request carries the word it asks for.
constexpr const char* kOfferWordKey = "word";

bool isSuccessStatus(int status) {
  return status >= 200 && status <= 299;
}

// One text of the share picture, drawn black on clear within `box`.
void drawText(plat::DrawContext& context, const std::string& text, const plat::Font& font,
              const plat::Rect& box, const plat::TextLayout::Options& options) {
  plat::TextLayout layout(text, font, options);
  context.setFillColor(plat::Color::black());
  layout.draw(context, {box.x, box.y});
}

}  // namespace

void BaseWordViewController::audio() {
  CardScreens::pronounce(wordName_, true);
}

void BaseWordViewController::down() {
  auto* nav = parentController_ ? parentController_->navigationController() : nullptr;
  if (!nav) return;
  auto editor = CardScreens::makeNoteEditor(this, wordName_, 1, title());
  if (!editor) return;
  editor->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(editor, true);
}

void BaseWordViewController::yf_down() {
  auto* nav = parentController_ ? parentController_->navigationController() : nullptr;
  if (!nav) return;
  auto editor = CardScreens::makeNoteEditor(this, wordName_, 2, title());
  if (!editor) return;
  editor->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(editor, true);
}

void BaseWordViewController::upWord() {
  if (deleage_) deleage_->upBtn_Click_callback();
}

void BaseWordViewController::downWord() {
  if (deleage_) deleage_->downBtn_Click_callback();
}

// ---- Adopting the excellent mnemonic of the box

void BaseWordViewController::accept() {
  if (wordName_.empty()) return;
  CallDB* store = CallDB::callDB();
  // Stored before the server hears of it: the adoption holds whatever the reply.
  store->saveMnemonic(wordName_, zjInfoLabel_->text());
  Typesetting();

  auto request =
      ApiRequest::get("accept_mnemonic.php",
                      {{"mnemonic_id", plat::Value(store->getSpecialMnemonicID(wordName_))}});
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { sendFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { sendFailed(r); });
  networkQueue_.add(request);

  auto alert = plat::AlertView::create("提示", plat::localized("alermsg_eg9", "InfoPlist"), this,
                                       "", {"分享", "确定"});
  alert->setTag(kShareOfferTag);
  alert->show();
}

void BaseWordViewController::sendFinished(HttpRequest& request) {
  // Only the server values count; the reply's result and message are not shown.
  ApiReplyHooks hooks;
  hooks.showMessage = nullptr;
  ApiReply::handleFinished(request, hooks);
}

void BaseWordViewController::sendFailed(HttpRequest& request) {
  ApiReply::handleFailed(request, ApiReplyHooks{});
}

void BaseWordViewController::didDismissWithButtonIndex(plat::AlertView& alert, int index) {
  if (alert.tag() != kShareOfferTag) return;
  if (index == 0) {
    const std::string text =
        TextTemplate::fill(plat::localized("share_text19", "InfoPlist"), {wordName_});
    auto picture = getSharePngOne();
    CardScreens::share(parentController_, text, picture ? picture->pngData() : "");
  } else {
    CallDB::callDB()->UpdatePersonalValue_isNeed("shareZJ_noLP",
                                                 std::to_string(MyDate::calendarDayId()));
  }
}

std::shared_ptr<plat::Image> BaseWordViewController::getSharePngOne() {
  auto background = plat::Image::named("gui/share3.png");
  const plat::Size size = background ? background->size() : plat::Size{440, 280};
  plat::ImageContext picture(size, false, 0);
  plat::DrawContext& context = picture.context();
  if (background) background->draw(context, {{0, 0}, size});

  plat::TextLayout::Options oneLine;
  oneLine.maxWidth = 200;
  oneLine.maxLines = 1;
  oneLine.lineBreak = plat::LineBreakMode::TruncateTail;
  oneLine.alignment = plat::TextAlignment::Center;
  drawText(context, wordName_, plat::Font::boldSystem(24), {120, 70, 200, 30}, oneLine);
  drawText(context, GetPhonetics(), plat::Font::system(16), {120, 105, 200, 20}, oneLine);

  plat::TextLayout::Options note;
  note.maxWidth = 400;
  note.maxLines = 4;
  note.lineBreak = plat::LineBreakMode::CharWrap;
  const std::string mnemonic = CallDB::callDB()->getMnemonic(wordName_);
  drawText(context, mnemonic, plat::Font::system(16), {20, 157, 400, 0}, note);
  return picture.takeImage();
}

// ---- The offer of the best shared mnemonic

void BaseWordViewController::autoAcceptFun() {
  if (wordName_.empty()) return;
  CallDB* store = CallDB::callDB();
  // A stored mnemonic, the declined marker too, means the word needs no offer; without an
  // account the server has no one to offer it to.
  if (!store->getMnemonic2(wordName_).empty()) return;
  if (store->getPersonalValue("account").empty()) return;
  auto request = ApiRequest::get("get_best_mnemonic.php",
                                 {{"word_id", plat::Value(store->getWordID(wordName_))}});
  request->setUserInfo(plat::Value::dictionary({{kOfferWordKey, plat::Value(wordName_)}}));
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { autoAcceptFinished(r); });
  request->setDidFailSelector([](HttpRequest&) {});
  // Only the newest word's offer may arrive.
  networkQueue_.forgetAll();
  networkQueue_.add(request);
}

void BaseWordViewController::autoAcceptFinished(HttpRequest& request) {
  const std::string& word = request.userInfo()[kOfferWordKey].asString();
  if (!isPlay_ || word != wordName_) return;
  if (!isSuccessStatus(request.responseStatusCode())) return;
  const std::string body = request.responseString().value_or("");
  const plat::Value row = objectFromJSONString(body);
  if (row.isNull()) {
    if (DebugNSObject::checkIsDebug()) ApiReplyHooks::defaultShowAlert("错误", body, "关闭");
    return;
  }
  if (row.isArray() && row.size() > 0) CardScreens::showOffer(weakOfferDelegate(), word, row);
}

std::weak_ptr<AcceptUIWindowDeleage> BaseWordViewController::weakOfferDelegate() {
  std::shared_ptr<plat::ViewController> self = shared_from_this();
  return std::shared_ptr<AcceptUIWindowDeleage>(self, static_cast<AcceptUIWindowDeleage*>(this));
}

void BaseWordViewController::closeAcceptUIWindow_callback() {
  Typesetting();
}

// ---- Extracting the card's words

void BaseWordViewController::scrollviewClick_callback() {
  if (!isEmbedded()) return;
  auto sheet = plat::ActionSheet::create("", this, "取消", "", {"提取单词"});
  plat::View* host = view().get();
  if (!plat::Screen::main().isPad()) {
    if (plat::Window* key = plat::Application::shared().keyWindow()) host = key;
  }
  sheet->showInView(host);
}

void BaseWordViewController::didDismissWithButtonIndex(plat::ActionSheet& sheet, int index) {
  if (index == sheet.firstOtherButtonIndex()) extractWords();
}

void BaseWordViewController::extractWords() {
  try {
    plat::Value words = plat::Value::array();
    plat::Value learned = plat::Value::array();
    plat::Value none = plat::Value::array();
    CallDB* store = CallDB::callDB();
    const std::string data = wordInfo_ ? wordInfo_->getWordsData() : "";
    const std::string text = TextTemplate::fill(
        "%@ %@ %@ %@", {wordName_, data, store->getNote(wordName_), store->getMnemonic(wordName_)});
    ExtractWord extractor;
    if (extractor.extractWord(text, words, learned, none) < 1) {
      MyAlerView::sharedAler()->ViewShow(plat::localized("alermsg_eg4", "InfoPlist"));
      return;
    }
    auto* nav = parentController_ ? parentController_->navigationController() : nullptr;
    if (!nav) return;
    const std::string back = parentController_->navigationItem().title().empty()
                                 ? parentController_->title()
                                 : parentController_->navigationItem().title();
    auto list = CardScreens::makeWordList("提取的单词", back, words, learned, none);
    list->setHidesBottomBarWhenPushed(true);
    nav->pushViewController(list, true);
  } catch (const std::exception&) {
    // A failure while extracting ends the action without a word.
  }
}
