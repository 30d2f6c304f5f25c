// Build-time maker of the images of the word card and the review screen: draws each
// one at scale 2 and writes it as "<bundle>/gui/<name>@2x.png". Usage: make_card_images <bundle>
#include <string>

#include "ui/images/ImageMaker.h"

namespace {

using imagemaker::Drawing;
using imagemaker::filledBox;
using plat::Color;
using plat::DrawContext;
using plat::Rect;
using plat::Size;

const Color kGreen = Color::rgb255(57, 156, 102);
const Color kPaleGreen = Color::rgb255(232, 245, 236);

// A panel stretched from its rows at 5 points: a soft fill with a line at the bottom.
Drawing panel(Color fill, Color line) {
  return [fill, line](DrawContext& c) {
    c.setFillColor(fill);
    c.fillRect({0, 0, 20, 12});
    c.setFillColor(line);
    c.fillRect({0, 11, 20, 1});
  };
}

// The header bar of a section: a pale band with a line under it.
void sectionHeader(DrawContext& c) {
  for (int row = 0; row < 72; ++row) {
    double t = row / 71.0;
    c.setFillColor(Color::rgb255(246 - 10 * t, 250 - 8 * t, 247 - 10 * t));
    c.fillRect({0, row / 2.0, 320, 0.5});
  }
  c.setFillColor(Color::rgb255(200, 222, 207));
  c.fillRect({0, 35, 320, 1});
}

// The fold arrow, pointing right (turned a quarter down while a section is open).
void foldArrow(DrawContext& c) {
  c.setStrokeColor(kGreen);
  c.setLineWidth(2);
  c.beginPath();
  c.moveTo({3, 2});
  c.lineTo({8, 7});
  c.lineTo({3, 12});
  c.strokePath();
}

Drawing pill(Color fill, const std::string& text, Size size) {
  return [fill, text, size](DrawContext& c) {
    filledBox(c, {1, 1, size.width - 2, size.height - 2}, 6, fill);
    c.setFillColor(Color::white());
    c.drawText(text, {0, (size.height - 16) / 2, size.width, 18}, plat::Font::boldSystem(12),
               plat::LineBreakMode::Clip, plat::TextAlignment::Center);
  };
}

// A round button with a triangle pointing left or right.
Drawing pager(bool left) {
  return [left](DrawContext& c) {
    c.setFillColor(Color::rgb(0.22, 0.61, 0.4, 0.85));
    c.fillEllipse({1, 1, 30, 30});
    c.setFillColor(Color::white());
    c.beginPath();
    if (left) {
      c.moveTo({19, 9});
      c.lineTo({10, 16});
      c.lineTo({19, 23});
    } else {
      c.moveTo({13, 9});
      c.lineTo({22, 16});
      c.lineTo({13, 23});
    }
    c.closePath();
    c.fillPath();
  };
}

void boxWithRim(DrawContext& c) {
  imagemaker::rimmedBox(c, {0.5, 0.5, 20, 20}, 5, Color::rgb255(255, 252, 236),
                        Color::rgb255(226, 205, 140));
}

// The share picture's background: a white card with a green band and the app's line.
void shareCard(DrawContext& c) {
  c.setFillColor(kPaleGreen);
  c.fillRect({0, 0, 440, 280});
  filledBox(c, {10, 10, 420, 260}, 12, Color::white());
  c.setFillColor(kGreen);
  c.fillRect({10, 140, 420, 3});
  c.setFillColor(Color::rgb255(120, 120, 120));
  c.drawText("我的助记", {20, 20, 400, 20}, plat::Font::system(14));
}

// A rounded button face, stretched from its centre.
Drawing rounded(Color fill) {
  return [fill](DrawContext& c) { filledBox(c, {0, 0, 21, 21}, 6, fill); };
}

// The backup button's icon: an arrow up into a cloud line.
void backupIcon(DrawContext& c) {
  c.setStrokeColor(Color::white());
  c.setLineWidth(2);
  c.strokeLine({10, 16}, {10, 4});
  c.strokeLine({10, 4}, {5, 9});
  c.strokeLine({10, 4}, {15, 9});
  c.strokeLine({3, 18}, {17, 18});
}

// Today's-review icon: a calendar page with a tick.
void todayIcon(DrawContext& c) {
  c.setStrokeColor(Color::white());
  c.setLineWidth(1.5);
  c.strokeRect({3, 4, 14, 13});
  c.strokeLine({3, 8}, {17, 8});
  c.beginPath();
  c.moveTo({6, 12.5});
  c.lineTo({9, 15});
  c.lineTo({14, 10});
  c.strokePath();
}

// The notice panel: a white box with a green rim, stretched from its centre.
void noticeBox(DrawContext& c) {
  imagemaker::rimmedBox(c, {1, 1, 319, 299}, 10, Color::white(), Color::rgb255(180, 220, 195), 1.5);
}

}  // namespace

int main(int argc, char** argv) {
  return imagemaker::run(argc, argv, "make_card_images", "gui", [](const imagemaker::Writer& out) {
    const Color orange = Color::rgb255(240, 140, 40);
    return out.write("word_bg", {20, 12}, panel(kPaleGreen, Color::rgb255(205, 228, 212))) &&
           out.write("meaning_bg", {20, 12}, panel(Color::white(), Color::rgb255(225, 225, 225))) &&
           out.write("help_btn_bg", {320, 36}, sectionHeader) &&
           out.write("common_more", {10, 14}, foldArrow) &&
           out.write("help_zj_btn", {56, 26}, pill(kGreen, "写助记", {56, 26})) &&
           out.write("help_yf_btn", {56, 26}, pill(kGreen, "写语法", {56, 26})) &&
           out.write("accept2_btn", {56, 26}, pill(orange, "采纳", {56, 26})) &&
           out.write("up_word", {32, 32}, pager(true)) &&
           out.write("down_word", {32, 32}, pager(false)) &&
           out.write("help_text_down", {21, 21}, boxWithRim) &&
           out.write("share3", {440, 280}, shareCard) &&
           // The review screen's answer buttons (normal, and selected for a pending answer).
           out.write("rs_btn_n", {21, 21}, rounded(kGreen)) &&
           out.write("rs_btn_s", {21, 21}, rounded(Color::rgb255(30, 96, 62))) &&
           out.write("mh_btn_n", {21, 21}, rounded(orange)) &&
           out.write("mh_btn_s", {21, 21}, rounded(Color::rgb255(190, 100, 20))) &&
           out.write("wj_btn_n", {21, 21}, rounded(Color::rgb255(222, 72, 60))) &&
           out.write("wj_btn_s", {21, 21}, rounded(Color::rgb255(160, 40, 30))) &&
           out.write("brs_btn_n", {21, 21}, rounded(Color::rgb255(120, 120, 200))) &&
           out.write("brs_btn_s", {21, 21}, rounded(Color::rgb255(80, 80, 160))) &&
           out.write("ad_bg", {321, 301}, noticeBox) && out.write("backup", {20, 20}, backupIcon) &&
           out.write("today_re", {20, 20}, todayIcon) &&
           out.write("ad_qd_nbtn", {80, 30}, pill(orange, "签到", {80, 30})) &&
           out.write("ad_qd_sbtn", {80, 30}, pill(Color::rgb255(190, 100, 20), "签到", {80, 30}));
  });
}
