// Build-time maker of the word-book screens' images: draws each one at scale 2 and writes it as
// "<bundle>/gui/<name>@2x.png". Usage: make_book_images <bundle folder>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/draw/Font.h"
#include "ui/images/ImageMaker.h"

namespace {

using imagemaker::rimmedBox;
using plat::Color;
using plat::DrawContext;
using plat::Font;
using plat::Point;
using plat::Rect;
using plat::Size;
using Draw = imagemaker::Drawing;

const Color kGreen = Color::rgb255(60, 170, 110);
const Color kDarkGreen = Color::rgb255(40, 120, 80);
const Color kGrey = Color::white(0.55);

void centredText(DrawContext& c, const std::string& text, const Rect& r, const Font& font,
                 const Color& color) {
  c.setFillColor(color);
  c.drawText(text, {r.x, r.y + (r.height - font.size * 1.25) / 2, r.width, r.height}, font,
             plat::LineBreakMode::Clip, plat::TextAlignment::Center);
}

Draw checkbox(bool full) {
  return [full](DrawContext& c) {
    rimmedBox(c, {12.5, 12.5, 19, 19}, 3, Color::white(), kDarkGreen);
    if (!full) return;
    c.setStrokeColor(kGreen);
    c.setLineWidth(3);
    c.setLineCap(plat::LineCap::Round);
    c.beginPath();
    c.moveTo({16, 22});
    c.lineTo({21, 27});
    c.lineTo({29, 16});
    c.strokePath();
  };
}

void removeButton(DrawContext& c) {
  c.setFillColor(Color::rgb255(220, 70, 60));
  c.fillEllipse({12, 12, 20, 20});
  c.setFillColor(Color::white());
  c.fillRect({16, 20.5, 12, 3});
}

void magnifier(DrawContext& c) {
  c.setStrokeColor(kDarkGreen);
  c.setLineWidth(2);
  c.strokeEllipse({2, 2, 11, 11});
  c.setLineCap(plat::LineCap::Round);
  c.strokeLine({11.5, 11.5}, {17, 17});
}

Draw box(Color fill, Color rim, double radius) {
  return [=](DrawContext& c) { rimmedBox(c, {0.5, 0.5, 20, 20}, radius, fill, rim); };
}

// A list row: a flat fill with a thin line along its bottom edge.
Draw row(Size size, Color fill, Color line) {
  return [=](DrawContext& c) {
    c.setFillColor(fill);
    c.fillRect({0, 0, size.width, size.height});
    c.setFillColor(line);
    c.fillRect({0, size.height - 1, size.width, 1});
  };
}

Draw labelled(Color fill, const std::string& text, double fontSize) {
  return [=](DrawContext& c) {
    rimmedBox(c, {0.5, 0.5, 55, 35}, 6, fill, kDarkGreen);
    centredText(c, text, {0, 0, 56, 36}, Font::boldSystem(fontSize), Color::white());
  };
}

Draw backButton(Color fill) {
  return [fill](DrawContext& c) {
    c.setFillColor(fill);
    c.beginPath();
    c.moveTo({0.5, 15});
    c.lineTo({12, 0.5});
    c.lineTo({35.5, 0.5});
    c.lineTo({35.5, 29.5});
    c.lineTo({12, 29.5});
    c.closePath();
    c.fillPath();
  };
}

Draw sortHalf(const std::string& text, bool on) {
  return [text, on](DrawContext& c) {
    rimmedBox(c, {1, 1, 43, 28}, 5, on ? Color::white() : Color::rgb255(90, 170, 125), kDarkGreen);
    centredText(c, text, {0, 0, 45, 30}, Font::boldSystem(12), on ? kDarkGreen : Color::white());
  };
}

Draw arrow(bool down) {
  return [down](DrawContext& c) {
    c.setStrokeColor(kGrey);
    c.setLineWidth(2.5);
    c.setLineCap(plat::LineCap::Round);
    c.beginPath();
    if (down) {
      c.moveTo({3, 6});
      c.lineTo({9, 12});
      c.lineTo({15, 6});
    } else {
      c.moveTo({6, 3});
      c.lineTo({12, 9});
      c.lineTo({6, 15});
    }
    c.strokePath();
  };
}

Draw icon(Color fill, const std::string& text) {
  return [fill, text](DrawContext& c) {
    rimmedBox(c, {1, 1, 24, 24}, 5, fill, kDarkGreen);
    centredText(c, text, {0, 0, 26, 26}, Font::boldSystem(12), Color::white());
  };
}

Draw pageButton(bool down, bool enabled) {
  return [=](DrawContext& c) {
    rimmedBox(c, {0.5, 0.5, 35, 29}, 6, enabled ? kGreen : Color::white(0.8), kDarkGreen);
    c.setFillColor(Color::white());
    c.beginPath();
    if (down) {
      c.moveTo({10, 10});
      c.lineTo({26, 10});
      c.lineTo({18, 21});
    } else {
      c.moveTo({10, 20});
      c.lineTo({26, 20});
      c.lineTo({18, 9});
    }
    c.closePath();
    c.fillPath();
  };
}

// The memory level of a planned word: a grey ring, filled clockwise by the level's share of 30.
void scheduleBackground(DrawContext& c) {
  c.setStrokeColor(Color::white(0.75));
  c.setLineWidth(3);
  c.strokeEllipse({10, 10, 24, 24});
}

Draw scheduleLevel(int level) {
  return [level](DrawContext& c) {
    const double start = -M_PI / 2;
    c.setStrokeColor(level >= 20  ? kGreen
                     : level >= 8 ? Color::rgb255(230, 170, 40)
                                  : Color::rgb255(220, 90, 60));
    c.setLineWidth(3);
    c.beginPath();
    c.addArc({22, 22}, 12, start, start + 2 * M_PI * level / 30.0, false);
    c.strokePath();
    c.setFillColor(Color::white(0.3));
    c.drawText(std::to_string(level), {10, 16, 24, 14}, Font::boldSystem(10),
               plat::LineBreakMode::Clip, plat::TextAlignment::Center);
  };
}

}  // namespace

int main(int argc, char** argv) {
  return imagemaker::run(argc, argv, "make_book_images", "gui", [](const imagemaker::Writer& out) {
    const Color header = Color::rgb255(236, 248, 240);
    bool ok =
        out.write("checkbox_empty", {43, 44}, checkbox(false)) &&
        out.write("checkbox_full", {43, 44}, checkbox(true)) &&
        out.write("del_words", {43, 44}, removeButton) &&
        out.write("search", {20, 20}, magnifier) &&
        out.write("textField", {21, 21}, box(Color::white(), kGrey, 5)) &&
        out.write("words_cancel", {50, 28}, labelled(kGrey, "", 12)) &&
        out.write("words_order", {56, 36}, labelled(kGreen, "", 12)) &&
        out.write("words_random", {56, 36}, labelled(Color::rgb255(80, 150, 200), "", 12)) &&
        out.write("words_ok", {56, 36}, labelled(Color::rgb255(230, 140, 50), "", 12)) &&
        out.write("nav_back_n", {36, 30}, backButton(Color::rgb255(40, 120, 80))) &&
        out.write("nav_back_h", {36, 30}, backButton(Color::rgb255(25, 90, 60))) &&
        out.write("right_btn", {21, 21}, box(Color::rgb255(40, 120, 80), kDarkGreen, 5)) &&
        out.write("nav_btnbg", {90, 30}, box(Color::clear(), Color::clear(), 0)) &&
        out.write("az_1", {45, 30}, sortHalf("A-Z", true)) &&
        out.write("az_2", {45, 30}, sortHalf("A-Z", false)) &&
        out.write("bk_1", {45, 30}, sortHalf("书序", true)) &&
        out.write("bk_2", {45, 30}, sortHalf("书序", false)) &&
        out.write("cell_words", {21, 45}, row({21, 45}, header, Color::rgb255(190, 225, 200))) &&
        out.write("cell_child", {21, 44}, row({21, 44}, Color::white(), Color::white(0.9))) &&
        out.write("cell_sign", {26, 26}, icon(Color::rgb255(230, 140, 50), "近")) &&
        out.write("book_learn_all", {26, 26}, icon(kGreen, "总")) &&
        out.write("book_learn_over", {26, 26}, icon(Color::rgb255(100, 200, 150), "完")) &&
        out.write("next", {18, 18}, arrow(false)) && out.write("down", {18, 18}, arrow(true)) &&
        out.write("learn_clear", {60, 36}, labelled(kGrey, "", 12)) &&
        out.write("learn_selfile", {60, 36}, labelled(Color::rgb255(80, 150, 200), "", 12)) &&
        out.write("learn_extract", {60, 36}, labelled(kGreen, "", 12)) &&
        out.write("uppage_n", {36, 30}, pageButton(false, true)) &&
        out.write("uppage_d", {36, 30}, pageButton(false, false)) &&
        out.write("downpage_n", {36, 30}, pageButton(true, true)) &&
        out.write("downpage_d", {36, 30}, pageButton(true, false)) &&
        out.write("schedule/s_bg", {43, 44}, scheduleBackground);
    for (int level = 1; ok && level <= 30; ++level) {
      char name[32];
      std::snprintf(name, sizeof name, "schedule/%02i", level);
      ok = out.write(name, {43, 44}, scheduleLevel(level));
    }
    return ok;
  });
}
