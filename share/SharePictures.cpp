#include "share/SharePictures.h"

#include <string>
#include <vector>

#include "platform/draw/ImageContext.h"
#include "platform/view/Label.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "util/LeadingInteger.h"

using namespace plat;

namespace {

// A one-line label's text drawn into `rect` of the picture.
struct Number {
  int32_t value;
  Rect rect;
  double fontSize;
  TextAlignment alignment;
};

Rect centredAt(double x, double y, double w, double h) {
  return {x - w / 2, y - h / 2, w, h};
}
Rect centredOn(double x, double top, double w, double h) {
  return {x - w / 2, top, w, h};
}
Rect rightEdgeAt(double x, double top, double w, double h) {
  return {x - w, top, w, h};
}

std::shared_ptr<Image> compose(const std::string& templateName,
                               const std::vector<Number>& numbers) {
  auto base = Image::named(templateName);
  if (!base) return nullptr;
  const Size size = base->size();
  ImageContext picture(size, false, Screen::main().scale());
  DrawContext& c = picture.context();
  base->draw(c, {0, 0, size.width, size.height});
  for (const Number& n : numbers) {
    Label label(Rect{0, 0, n.rect.width, n.rect.height});
    label.setText(std::to_string(n.value));
    label.setFont(Font::boldSystem(n.fontSize));
    label.setTextColor(Color::rgb(0, 116.0 / 255, 17.0 / 255, 1));
    label.setBackgroundColor(Color::clear());
    label.setTextAlignment(n.alignment);
    label.setNumberOfLines(1);
    c.save();
    c.translate(n.rect.x, n.rect.y);
    label.drawRect(c, label.bounds());
    c.restore();
  }
  return picture.takeImage();
}

int32_t personalInteger(const std::string& key) {
  return LeadingInteger::of32(CallDB::callDB()->getPersonalValue(key));
}

}  // namespace

namespace SharePictures {

std::shared_ptr<Image> getSharePngOne(int32_t countSignNum) {
  return compose(
      "gui/share1.png",
      {{countSignNum, centredAt(319, 113, 150, 40), 15, TextAlignment::Center},
       {personalInteger("nSignInAll"), rightEdgeAt(290, 159, 100, 40), 30, TextAlignment::Right},
       {personalInteger("nSignInCur"), rightEdgeAt(407, 159, 100, 40), 30, TextAlignment::Right}});
}

std::shared_ptr<Image> getSharePngTwo() {
  return compose("gui/share2.png", {{personalInteger("nSignInAll"), centredOn(238, 81, 58, 40), 15,
                                     TextAlignment::Center},
                                    {CallDB::callDB()->LearnWordCount(), centredOn(95, 101, 64, 40),
                                     15, TextAlignment::Center}});
}

bool usesPictureOne(int32_t countSignNum) {
  const std::string text = std::to_string(countSignNum);
  return text.back() == '8';
}

}  // namespace SharePictures
