#include "settings/SettingsLook.h"

#include "store/CallDB.h"
#include "ui/GuiImages.h"

using namespace plat;

namespace settingslook {

Color separator() {
  return Color::rgb255(201, 250, 199);
}

std::shared_ptr<Image> switchImage(bool on) {
  return Image::named(on ? "gui/audio_open.png" : "gui/audio_close.png");
}

std::shared_ptr<Button> switchButton(double x, double cellHeight,
                                     std::function<void(Button&)> tapped) {
  auto image = switchImage(true);
  const Size size = image ? image->size() : Size{60, 27};
  auto button =
      Button::create(ButtonType::Custom, {double(int64_t(x)), 0, size.width, size.height});
  centreVertically(*button, cellHeight);
  button->setAdjustsImageWhenHighlighted(false);
  button->setAutoresizingMask(kFlexibleLeftMargin);
  button->addTarget(
      [tapped = std::move(tapped)](Control& sender) { tapped(static_cast<Button&>(sender)); },
      kTouchUpInside);
  return button;
}

void addFromRight(View& content, const std::shared_ptr<View>& control, double fromRight) {
  Rect frame = control->frame();
  frame.x = content.bounds().width - fromRight;
  control->setFrame(frame);
  content.addSubview(control);
}

void alignFromRowEdge(TableViewCell& cell, View& control, double fromRight) {
  cell.layoutIfNeeded();  // the content takes its final width first, so nothing moves it after
  Rect frame = control.frame();
  frame.x = cell.contentView().convertPointFrom({cell.bounds().width - fromRight, 0}, &cell).x;
  control.setFrame(frame);
}

std::shared_ptr<TextField> editField(const Rect& frame, double cornerRadius) {
  auto field = std::make_shared<TextField>(frame);
  field->setTextColor(Color::black());
  field->setFont(Font::boldSystem(15));
  field->setTextAlignment(TextAlignment::Center);
  // Stretched from its centre, as the login form does with the same 11-point box.
  field->setBackground(guiimages::stretchable("gui/login_edit.png", 5, 5));
  field->setCornerRadius(cornerRadius);
  field->setBorderStyle(TextBorderStyle::None);
  field->setKeyboardType(KeyboardType::NumberPad);
  field->setAutoresizingMask(kFlexibleLeftMargin);
  return field;
}

void centreVertically(View& view, double cellHeight) {
  Rect f = view.frame();
  f.y = (cellHeight - f.height) / 2;
  view.setFrame(f);
}

bool toggle(const std::string& key) {
  CallDB* db = CallDB::callDB();
  const bool on = db->getPersonalValue(key) != "1";
  db->UpdatePersonalValue_isNeed(key, on ? "1" : "0");
  return on;
}

}  // namespace settingslook
