#include "account/MyHelpRemViewCtrl.h"

#include <algorithm>

#include "online/AccountText.h"
#include "platform/base/Utf.h"
#include "platform/view/Animation.h"
#include "platform/view/ImageView.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"

namespace {

constexpr double kMargin = 10;
constexpr double kLabelHeight = 24;
constexpr double kButtonHeight = 32;
constexpr double kButtonWidth = 80;
constexpr double kEditSeconds = 0.3;

// A note's text view over its stretched background picture; both follow the area's height.
std::shared_ptr<MyTextView> noteText(plat::View& area, const plat::Rect& frame,
                                     const std::string& background) {
  auto image = std::make_shared<plat::ImageView>(frame);
  image->setImage(guiimages::stretchable(background, 10, 10));
  image->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  area.addSubview(image);
  auto text = std::make_shared<MyTextView>(frame);
  text->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  text->setBackgroundColor(plat::Color::clear());
  text->setFont(plat::Font::system(15));
  area.addSubview(text);
  return text;
}

std::shared_ptr<plat::Label> areaLabel(plat::View& area, double width) {
  auto label =
      std::make_shared<plat::Label>(plat::Rect{kMargin, 4, width - 2 * kMargin, kLabelHeight});
  label->setFont(plat::Font::boldSystem(14));
  label->setBackgroundColor(plat::Color::clear());
  label->setAutoresizingMask(plat::kFlexibleWidth);
  area.addSubview(label);
  return label;
}

std::shared_ptr<plat::Button> areaButton(plat::View& area, const std::string& title,
                                         const std::string& image) {
  const plat::Rect bounds = area.bounds();
  auto button = plat::Button::create(
      plat::ButtonType::Custom, {bounds.width - kMargin - kButtonWidth,
                                 bounds.height - kButtonHeight - 6, kButtonWidth, kButtonHeight});
  button->setBackgroundImage(plat::Image::named(image));
  button->setTitle(title);
  button->setTitleColor(plat::Color::white());
  button->titleLabel().setFont(plat::Font::boldSystem(14));
  button->setAutoresizingMask(plat::kFlexibleLeftMargin | plat::kFlexibleTopMargin);
  area.addSubview(button);
  return button;
}

}  // namespace

MyHelpRemViewCtrl::MyHelpRemViewCtrl() = default;

void MyHelpRemViewCtrl::viewDidLoad() {
  plat::ViewController::viewDidLoad();
  plat::View& page = *view();
  page.setAutoresizingMask(plat::kFlexibleAll);
  page.setBackgroundColor(plat::Color::white());
  const double width = page.bounds().width;
  const double upHeight = std::floor(page.bounds().height * 0.5);
  upView_ = std::make_shared<plat::View>(plat::Rect{0, 0, width, upHeight});
  // The two areas share the page half and half at any size (a turned tablet's page too).
  upView_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight |
                               plat::kFlexibleBottomMargin);
  downView_ =
      std::make_shared<plat::View>(plat::Rect{0, upHeight, width, page.bounds().height - upHeight});
  downView_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight |
                                 plat::kFlexibleTopMargin);
  for (auto* area : {upView_.get(), downView_.get()}) {
    area->setBackgroundColor(plat::Color::clear());
    page.addSubview(area->shared_from_this());
  }

  const double textTop = 4 + kLabelHeight + 2;
  auto textFrame = [&](const plat::View& area) {
    return plat::Rect{kMargin, textTop, width - 2 * kMargin,
                      area.bounds().height - textTop - kButtonHeight - 12};
  };
  tempLabel1_ = areaLabel(*upView_, width);
  helpRemText_ = noteText(*upView_, textFrame(*upView_), "gui/help_text_up.png");
  helpRemText_->setTextDelegate(this);
  sharedBtn_ = areaButton(*upView_, "分享", "gui/share_btn.png");
  sharedBtn_->addTarget([this](plat::Control&) { shareHelpInfo(); }, plat::kTouchUpInside);

  tempLabel2_ = areaLabel(*downView_, width);
  tempLabel2_->setText("我采纳的：");
  acceptRemText_ = noteText(*downView_, textFrame(*downView_), "gui/help_text_down.png");
  acceptRemText_->setEditable(false);
  acceptRemText_->setUserInteractionEnabled(false);
  clearBtn_ = areaButton(*downView_, "清除", "gui/clear_accept.png");
  clearBtn_->addTarget([this](plat::Control&) { clearAcceptInfo(); }, plat::kTouchUpInside);
}

void MyHelpRemViewCtrl::willAppearView() {
  view();
  CallDB* store = CallDB::callDB();
  const bool mnemonic = iViewType_ == 1;
  wordsLimit_ = mnemonic ? kMnemonicLimit : kGrammarLimit;
  // A paste past the limit goes in cut to it, as the cut after any change below would leave
  // it; cut before it goes in, a paste of megabytes is never laid out.
  helpRemText_->setPasteCutAtUnits(size_t(wordsLimit_));
  tempLabel1_->setText(mnemonic ? "我的助记：" : "我的语法：");
  helpRemText_->setPlaceholder(mnemonic ? "在这里编辑你的助记" : "在这里编辑你的语法");
  acceptRemText_->setPlaceholder(mnemonic ? "你可以通过网络分享 寻找适合你的助记方案"
                                          : "你可以通过网络分享 寻找适合你的语法方案");
  helpRemText_->setText(mnemonic ? store->getNote(wordName_) : store->getMyYuFa(wordName_));
  acceptRemText_->setText(mnemonic ? store->getMnemonic(wordName_) : store->getYuFa(wordName_));
  tempHelpInfo_ = helpRemText_->text();
  helpRemText_->textChange();
  acceptRemText_->textChange();
}

void MyHelpRemViewCtrl::leaveEditMode() {
  if (!helpRemText_ || helpRemText_->text() == tempHelpInfo_) return;
  const std::string text = helpRemText_->text();
  if (iViewType_ == 1)
    CallDB::callDB()->saveNote(wordName_, text);
  else
    CallDB::callDB()->saveMyYuFa(wordName_, text);
  tempHelpInfo_ = text;
}

bool MyHelpRemViewCtrl::shouldBeginEditing(plat::TextView& text) {
  tempHelpInfo_ = text.text();
  return true;
}

bool MyHelpRemViewCtrl::shouldEndEditing(plat::TextView&) {
  leaveEditMode();
  return true;
}

bool MyHelpRemViewCtrl::shouldChangeText(plat::TextView& text, plat::TextRange range,
                                         const std::string& replacement) {
  if (replacement == "\n") {
    text.resignFirstResponder();
    return false;
  }
  return range.length > 0 || int64_t(plat::utf::utf16Length(text.text())) < wordsLimit_;
}

void MyHelpRemViewCtrl::didChange(plat::TextView& text) {
  // Text put in at once (a paste is cut already) may run past the limit; the cut never splits a
  // character.
  if (int64_t(plat::utf::utf16Length(text.text())) > wordsLimit_)
    text.setText(plat::utf::substringUtf16(text.text(), 0, size_t(wordsLimit_)));
}

void MyHelpRemViewCtrl::shareHelpInfo() {
  if (!helpRemember_) {
    helpRemember_ = std::make_unique<HelpRemember>();
    helpRemember_->setDeleage(this);
  }
  std::string text = helpRemText_->text();
  std::replace(text.begin(), text.end(), '\n', ' ');
  if (iViewType_ == 1)
    helpRemember_->shareNote(wordName_, text);
  else
    helpRemember_->shareWordYuFa(wordName_, text);
  helpRemText_->resignFirstResponder();
}

void MyHelpRemViewCtrl::shareinfo_callback() {
  if (deleage_) deleage_->shareHelpRemInfoFinish();
}

void MyHelpRemViewCtrl::clearAcceptInfo() {
  acceptRemText_->setText("");
  if (iViewType_ == 1)
    CallDB::callDB()->saveMnemonic(wordName_, "");
  else
    CallDB::callDB()->saveYuFa(wordName_, "");
  acceptRemText_->textChange();
}

void MyHelpRemViewCtrl::growUpperArea(double by) {
  plat::Rect frame = upView_->frame();
  frame.height += by;
  upView_->setFrame(frame);
}

void MyHelpRemViewCtrl::in_edit_callback(bool isRotate, double height) {
  tempHeight_ = height - (view()->bounds().height - helpRemText_->frame().maxY());
  tempHeight_ =
      std::clamp(tempHeight_, 0.0, upView_->frame().height - helpRemText_->frame().y - 40);
  auto change = [this] {
    growUpperArea(-tempHeight_);
    downView_->setHidden(true);
  };
  if (isRotate)
    change();
  else
    plat::Animation::animate(kEditSeconds, change);
}

void MyHelpRemViewCtrl::in_edit_callback2(double heightChange) {
  tempHeight_ -= heightChange;
  growUpperArea(heightChange);
}

void MyHelpRemViewCtrl::leave_edit_callback(bool isRotate) {
  helpRemText_->setContentOffset({0, 0});
  auto change = [this] {
    growUpperArea(tempHeight_);
    downView_->setHidden(false);
  };
  if (isRotate)
    change();
  else
    plat::Animation::animate(kEditSeconds, change);
  tempHeight_ = 0;
}
