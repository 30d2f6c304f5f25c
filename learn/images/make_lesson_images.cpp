// Build-time maker of the daily lesson's images and of the first sign-in share picture: draws
// each one at scale 2 and writes it as "<bundle>/gui/<name>@2x.png".
// Usage: make_lesson_images <bundle>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/base/Files.h"
#include "platform/draw/DrawContext.h"
#include "platform/draw/ImageContext.h"
#include "platform/draw/TextLayout.h"

namespace {

using plat::Color;
using plat::DrawContext;
using plat::Font;
using plat::Rect;
using plat::Size;
using Draw = std::function<void(DrawContext&)>;

const Color kGreen = Color::rgb255(57, 156, 102);
const Color kDarkGreen = Color::rgb255(30, 96, 62);
const Color kPale = Color::rgb255(232, 245, 236);
const Color kInk = Color::rgb255(60, 70, 66);

void box(DrawContext& c, const Rect& r, double radius, const Color& fill) {
  c.setFillColor(fill);
  c.beginPath();
  c.addRoundedRect(r, radius);
  c.fillPath();
}

void centred(DrawContext& c, const std::string& text, const Rect& r, const Font& font,
             const Color& colour) {
  c.setFillColor(colour);
  c.drawText(text, r, font, plat::LineBreakMode::Clip, plat::TextAlignment::Center);
}

Draw banner(const std::string& text, Size size) {
  return [text, size](DrawContext& c) {
    box(c, {0, 0, size.width, size.height}, 10, kGreen);
    centred(c, text, {0, (size.height - 26) / 2, size.width, 30}, Font::boldSystem(22),
            Color::white());
  };
}

Draw filled(Size size, double radius, Color fill) {
  return [=](DrawContext& c) { box(c, {0, 0, size.width, size.height}, radius, fill); };
}

Draw pill(const std::string& text, Size size, Color fill, double fontSize) {
  return [=](DrawContext& c) {
    box(c, {1, 1, size.width - 2, size.height - 2}, size.height / 2 - 1, fill);
    centred(c, text, {0, (size.height - fontSize - 4) / 2, size.width, fontSize + 6},
            Font::boldSystem(fontSize), Color::white());
  };
}

// The sentence box: a dark green card.
void infoBox(DrawContext& c) {
  box(c, {0, 0, 300, 170}, 12, Color::rgb255(44, 120, 80));
}

void infoLine(DrawContext& c) {
  c.setFillColor(Color::rgb255(200, 226, 208));
  c.fillRect({10, 8, 280, 2});
}

// The stroke under the lesson's date, at the foot of its image: the date is placed from the
// image's top edge, and the clear rows above the stroke keep its figures off it also in a
// tablet's larger type.
void dateStroke(DrawContext& c) {
  box(c, {0, 2, 110, 6}, 3, Color::rgb255(255, 214, 0));
}

void downShadow(DrawContext& c) {
  for (int row = 0; row < 12; ++row) {
    c.setFillColor(Color::rgb(0, 0, 0, 0.08 * (12 - row) / 12));
    c.fillRect({12, row * 0.5, 276, 0.5});
  }
}

void wordsBox(DrawContext& c) {
  box(c, {0, 0, 300, 112}, 12, Color::white());
  c.setStrokeColor(Color::rgb255(200, 226, 208));
  c.setLineWidth(1);
  c.beginPath();
  c.addRoundedRect({0.5, 0.5, 299, 111}, 12);
  c.strokePath();
}

Draw star(Color colour) {
  return [colour](DrawContext& c) {
    c.setFillColor(colour);
    c.fillEllipse({4, 4, 12, 12});
  };
}

void awardBox(DrawContext& c) {
  box(c, {0, 0, 60, 60}, 12, Color::rgb255(255, 250, 240));
  c.setStrokeColor(Color::rgb255(240, 200, 170));
  c.setLineWidth(1);
  c.beginPath();
  c.addRoundedRect({0.5, 0.5, 59, 59}, 12);
  c.strokePath();
}

Draw link(const std::string& text, Color fill) {
  return [text, fill](DrawContext& c) {
    c.setFillColor(fill);
    c.fillEllipse({2, 2, 46, 46});
    centred(c, text, {0, 15, 50, 20}, Font::boldSystem(13), Color::white());
  };
}

// The first share picture: room is left for the sign-in's number (centred at 319, 113) and for
// the two counts whose right edges stand at 290 and 407, 159 points from the top.
// Words on either side of a number that the app draws over the picture later. `slot` is the room
// kept for the number (a short rule under it marks the place); the words keep `gap` points from
// it, with their tops at `textTop`.
void aroundNumber(DrawContext& c, const std::string& before, const std::string& after,
                  const Rect& slot, double textTop, double gap) {
  const Font font = Font::system(15);
  const double beforeWidth = plat::measureText(before, font, {440, 40}).width;
  c.setFillColor(kInk);
  c.drawText(before, {slot.x - gap - beforeWidth, textTop}, font);
  c.drawText(after, {slot.x + slot.width + gap, textTop}, font);
  c.setFillColor(Color::rgb255(170, 210, 180));
  c.fillRect({slot.x, slot.y + slot.height, slot.width, 1});
}

// The app draws the sign-in's number (15 points) centred at (319, 113), and the total and running
// counts (30 points) right-aligned to x 290 and 407 with their boxes' tops at 159. The small
// words of the lower line share the big numbers' baseline.
void shareOne(DrawContext& c) {
  box(c, {0, 0, 440, 230}, 14, Color::rgb255(236, 248, 238));
  centred(c, "今天我又签到了", {0, 20, 440, 34}, Font::boldSystem(24), kDarkGreen);
  // A ticked badge fills the room left of the lines.
  c.setFillColor(kGreen);
  c.fillEllipse({46, 92, 96, 96});
  c.setStrokeColor(Color::white());
  c.setLineWidth(9);
  c.beginPath();
  c.moveTo({70, 142});
  c.lineTo({88, 161});
  c.lineTo({120, 121});
  c.strokePath();
  aroundNumber(c, "太棒了，这是我第", "次签到", {289, 102, 60, 22}, 103, 4);
  aroundNumber(c, "累计签到", "天", {234, 163, 56, 32}, 175, 3);
  aroundNumber(c, "连续", "天", {351, 163, 56, 32}, 175, 3);
  centred(c, "和我一起背单词吧", {0, 205, 440, 22}, Font::system(13), Color::rgb255(120, 130, 130));
}

bool write(const std::string& folder, const std::string& name, Size size, const Draw& draw) {
  plat::ImageContext image(size, false, 2);
  draw(image.context());
  std::string path = folder + "/" + name + "@2x.png";
  if (!image.takeImage()->writePNG(path)) {
    std::fprintf(stderr, "make_lesson_images: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_lesson_images <bundle folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/gui";
  if (!plat::files::createDirectories(folder)) {
    std::fprintf(stderr, "make_lesson_images: cannot make %s\n", folder.c_str());
    return 1;
  }
  const Color orange = Color::rgb255(240, 140, 40);
  const Color grey = Color::rgb255(160, 166, 163);
  const Color pressed = Color::rgb255(30, 96, 62);
  bool ok =
      write(folder, "ed_title", {290, 46}, banner("每日课堂", {290, 46})) &&
      write(folder, "ed_info_line", {300, 18}, infoLine) &&
      write(folder, "ed_info_bg", {300, 170}, infoBox) &&
      write(folder, "ed_info_title", {96, 28}, pill("每日一句", {96, 28}, orange, 14)) &&
      write(folder, "ed_info_tl", {110, 8}, dateStroke) &&
      write(folder, "ed_down", {300, 6}, downShadow) &&
      write(folder, "ed_words_head", {170, 40}, filled({170, 40}, 20, kPale)) &&
      write(folder, "ed_words_bg", {300, 112}, wordsBox) &&
      write(folder, "ed_words_left", {20, 20}, star(orange)) &&
      write(folder, "ed_words_right", {20, 20}, star(orange)) &&
      write(folder, "ed_aw_nbtn", {140, 32}, pill("幸运单词 加入学习", {140, 32}, kGreen, 13)) &&
      write(folder, "ed_aw_sbtn", {140, 32}, pill("幸运单词 已在计划", {140, 32}, grey, 13)) &&
      write(folder, "ed_award_bg", {60, 60}, awardBox) &&
      write(folder, "ed_award_ts", {120, 24}, pill("今日抽奖", {120, 24}, orange, 13)) &&
      write(folder, "ed_b1", {50, 50}, link("官网", kGreen)) &&
      write(folder, "ed_b2", {50, 50}, link("微博", Color::rgb255(220, 70, 60))) &&
      write(folder, "ed_b3", {50, 50}, link("腾讯", Color::rgb255(40, 120, 200))) &&
      write(folder, "ed_nav_h", {44, 30}, pill("前一天", {44, 30}, kGreen, 11)) &&
      write(folder, "ed_nav_e", {44, 30}, pill("后一天", {44, 30}, kGreen, 11)) &&
      write(folder, "ed_nav_t", {44, 30}, pill("今天", {44, 30}, kGreen, 11)) &&
      write(folder, "ed_nav_hh", {44, 30}, pill("前一天", {44, 30}, pressed, 11)) &&
      write(folder, "ed_nav_eh", {44, 30}, pill("后一天", {44, 30}, pressed, 11)) &&
      write(folder, "ed_nav_th", {44, 30}, pill("今天", {44, 30}, pressed, 11)) &&
      write(folder, "share1", {440, 230}, shareOne);
  return ok ? 0 : 1;
}
