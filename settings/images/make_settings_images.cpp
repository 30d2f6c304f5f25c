// Build-time maker of the settings and help images: the on/off switches, the row icons, the
// night and help buttons, the message badge, the download and web buttons, the share picture and
// the five pictures of the guide, each drawn at scale 2 as "<bundle>/<name>@2x.png".
// Usage: make_settings_images <bundle folder>
#include <cmath>
#include <string>
#include <vector>

#include "platform/draw/TextLayout.h"
#include "ui/images/ImageMaker.h"

namespace {

using imagemaker::Drawing;
using imagemaker::filledBox;
using plat::Color;
using plat::DrawContext;
using plat::Font;
using plat::Rect;
using plat::Size;

const Color kGreen = Color::rgb255(46, 139, 87);
const Color kDarkGreen = Color::rgb255(30, 96, 62);
const Color kInk = Color::rgb255(40, 48, 48);

// Text centred in `box` on one line.
void centred(DrawContext& c, const std::string& text, const Rect& box, const Font& font,
             const Color& color) {
  const Size size = plat::measureText(text, font, {box.width, box.height});
  c.setFillColor(color);
  c.drawText(text, {box.x, box.y + (box.height - size.height) / 2, box.width, size.height}, font,
             plat::LineBreakMode::WordWrap, plat::TextAlignment::Center);
}

// The on/off switch: a pill with its knob at the end it stands for.
Drawing toggle(bool on) {
  return [on](DrawContext& c) {
    filledBox(c, {0.5, 0.5, 59, 26}, 13, on ? kGreen : Color::rgb255(190, 196, 196));
    c.setFillColor(Color::white());
    c.fillEllipse(on ? Rect{35, 3.5, 21, 20} : Rect{4, 3.5, 21, 20});
    centred(c, on ? "开" : "关", on ? Rect{4, 0, 30, 27} : Rect{26, 0, 30, 27},
            Font::boldSystem(13), on ? Color::white() : kInk);
  };
}

// A row icon: a rounded square of its colour with one character on it.
Drawing icon(Color fill, std::string glyph) {
  return [fill, glyph](DrawContext& c) {
    filledBox(c, {1, 1, 27, 27}, 6, fill);
    centred(c, glyph, {1, 1, 27, 27}, Font::boldSystem(15), Color::white());
  };
}

// A crescent: the disc less a second disc, left transparent so the bar shows through it.
void moon(DrawContext& c) {
  const Rect disc{14, 7, 26, 26}, shadow{21, 4, 24, 24};
  c.save();
  c.beginPath();
  c.addEllipse(disc);
  c.clip();
  c.beginPath();
  c.addEllipse(disc);
  c.addEllipse(shadow);
  c.setFillColor(Color::rgb255(250, 220, 90));
  c.drawPath(plat::PathDrawingMode::EvenOddFill);
  c.restore();
}

void sun(DrawContext& c) {
  c.setFillColor(Color::rgb255(255, 205, 60));
  c.fillEllipse({19, 12, 17, 17});
  c.setStrokeColor(Color::rgb255(255, 205, 60));
  c.setLineWidth(2);
  for (int i = 0; i < 8; ++i) {
    const double a = i * 3.14159265 / 4;
    c.strokeLine({27.5 + 11 * std::cos(a), 20.5 + 11 * std::sin(a)},
                 {27.5 + 15 * std::cos(a), 20.5 + 15 * std::sin(a)});
  }
}

void helpButton(DrawContext& c) {
  c.setFillColor(Color::white());
  c.fillEllipse({0.5, 8, 16, 16});
  centred(c, "?", {0.5, 8, 16, 16}, Font::boldSystem(13), kDarkGreen);
}

void badge(DrawContext& c) {
  filledBox(c, {0.5, 0.5, 30, 28}, 14, Color::rgb255(210, 40, 40));
}

void downloadButton(DrawContext& c) {
  filledBox(c, {0.5, 0.5, 59, 26}, 6, kGreen);
  centred(c, "下载", {0.5, 0.5, 59, 26}, Font::boldSystem(13), Color::white());
}

Drawing arrow(bool forward) {
  return [forward](DrawContext& c) {
    c.setStrokeColor(Color::white());
    c.setLineWidth(3);
    const double tip = forward ? 20 : 10, tail = forward ? 11 : 19;
    c.beginPath();
    c.moveTo({tail, 13});
    c.lineTo({tip, 22});
    c.lineTo({tail, 31});
    c.strokePath();
  };
}

void startButton(DrawContext& c) {
  filledBox(c, {0.5, 0.5, 119, 49}, 10, Color::rgb255(240, 130, 40));
  centred(c, "开始学习", {0.5, 0.5, 119, 49}, Font::boldSystem(20), Color::white());
}

// One line of text beside a number that the app draws over the picture later: the number's label
// is 40 points high and centred horizontally on `numberX` in a box `numberWidth` wide, so the
// words sit vertically centred on the same middle, clear of that box, and a short rule under the
// box marks where the number goes.
void lineAroundNumber(DrawContext& c, const std::string& before, const std::string& after,
                      double numberX, double numberWidth, double labelTop) {
  const Font font = Font::system(15);
  const double middle = labelTop + 20;
  const Size beforeSize = plat::measureText(before, font, {320, 40});
  const Size afterSize = plat::measureText(after, font, {320, 40});
  const double left = numberX - numberWidth / 2, right = numberX + numberWidth / 2;
  c.setFillColor(kInk);
  c.drawText(before,
             {left - 2 - beforeSize.width, middle - beforeSize.height / 2, beforeSize.width,
              beforeSize.height},
             font, plat::LineBreakMode::Clip, plat::TextAlignment::Right);
  c.drawText(after, {right + 2, middle - afterSize.height / 2, afterSize.width, afterSize.height},
             font, plat::LineBreakMode::Clip, plat::TextAlignment::Left);
  c.setFillColor(Color::rgb255(150, 200, 165));
  c.fillRect({left + 6, middle + 10, numberWidth - 12, 1});
}

// The app draws the number of sign-ins centred on x 238 in a box 58 wide (top 81) and the number
// of learnt words centred on x 95 in a box 64 wide (top 101); the words around them make two
// lines that start and end together.
void sharePicture(DrawContext& c) {
  filledBox(c, {0, 0, 320, 180}, 12, Color::rgb255(236, 248, 238));
  centred(c, "我在背单词", {0, 14, 320, 30}, Font::boldSystem(20), kDarkGreen);
  lineAroundNumber(c, "坚持每天背单词，已经签到", "天", 238, 58, 81);
  lineAroundNumber(c, "学会", "个单词，继续加油！", 95, 64, 101);
}

struct GuidePage {
  std::string title;
  std::vector<std::string> lines;
  Color accent;
};

Drawing guide(GuidePage page, int number) {
  return [page, number](DrawContext& c) {
    c.setFillColor(Color::rgb255(245, 251, 246));
    c.fillRect({0, 0, 320, 480});
    filledBox(c, {20, 40, 280, 150}, 18, page.accent);
    centred(c, std::to_string(number) + " / 5", {20, 52, 280, 24}, Font::boldSystem(15),
            Color::white());
    centred(c, page.title, {20, 90, 280, 60}, Font::boldSystem(28), Color::white());
    double y = 220;
    for (const std::string& line : page.lines) {
      c.setFillColor(kInk);
      y += c.drawText(line, {32, y, 256, 80}, Font::system(17)).height + 14;
    }
    // The lower part stays bare: the first-run guide puts its start button there, and the
    // help list shows the same pictures without one.
  };
}

bool drawAll(const imagemaker::Writer& out) {
  const Size iconSize{29, 29};
  struct Icon {
    const char* name;
    Color colour;
    const char* glyph;
  };
  const std::vector<Icon> icons = {
      {"gui/setting_user", Color::rgb255(60, 130, 200), "我"},
      {"gui/setting_privilege", Color::rgb255(230, 150, 40), "特"},
      {"gui/learn_order", Color::rgb255(120, 100, 200), "序"},
      {"gui/setting_rewords", Color::rgb255(46, 139, 87), "日"},
      {"gui/setting_audio", Color::rgb255(220, 90, 90), "音"},
      {"gui/setting_time", Color::rgb255(40, 160, 170), "醒"},
      {"gui/setting_reviewtime", Color::rgb255(40, 140, 150), "时"},
      {"gui/setting_lev", Color::rgb255(70, 110, 190), "备"},
      {"gui/setting_checkup", Color::rgb255(90, 150, 60), "新"},
      {"gui/setting_feedback", Color::rgb255(200, 110, 50), "馈"},
      {"gui/privilege_js", Color::rgb255(230, 150, 40), "介"},
      {"gui/privilege_zd", Color::rgb255(60, 130, 200), "典"},
      {"gui/privilege_tb", Color::rgb255(200, 80, 120), "优"},
      {"gui/privilege_df", Color::rgb255(220, 90, 90), "音"},
      {"gui/privilege_autoaccept", Color::rgb255(120, 100, 200), "记"},
      {"gui/privilege_wg", Color::rgb255(40, 160, 170), "顽"},
      {"gui/privilege_xx", Color::rgb255(90, 150, 60), "息"},
  };
  bool ok = true;
  for (const Icon& i : icons) ok = ok && out.write(i.name, iconSize, icon(i.colour, i.glyph));
  const std::vector<GuidePage> pages = {
      {"每天背一点",
       {"按照记忆规律安排复习，", "每天打开复习页，", "把今天该复习的单词过一遍。"},
       Color::rgb255(46, 139, 87)},
      {"认识、模糊、不认识",
       {"看到单词先回想它的意思，", "再如实选择记得的程度，", "程序据此决定下次复习的时间。"},
       Color::rgb255(60, 130, 200)},
      {"挑选单词本",
       {"在单词本里挑选要学的书，", "也可以导入自己的文章，", "从中找出生词来学。"},
       Color::rgb255(230, 150, 40)},
      {"看看统计",
       {"统计页记录每天学了多少、", "复习了多少，", "还能看到自己的遗忘曲线。"},
       Color::rgb255(120, 100, 200)},
      {"备份不丢失",
       {"登录账号后可以备份学习记录，", "换了设备也能同步回来。", "现在就开始吧！"},
       Color::rgb255(220, 90, 90)},
  };
  for (size_t i = 0; i < pages.size(); ++i)
    ok = ok &&
         out.write("gui/help/bg" + std::to_string(i + 1), {320, 480}, guide(pages[i], int(i) + 1));
  ok = ok && out.write("gui/audio_open", {60, 27}, toggle(true)) &&
       out.write("gui/audio_close", {60, 27}, toggle(false)) &&
       out.write("gui/night", {55, 40}, moon) && out.write("gui/sun", {55, 40}, sun) &&
       out.write("help", {17, 33}, helpButton) && out.write("gui/msg_bg", {31, 29}, badge) &&
       out.write("gui/down_btn", {60, 27}, downloadButton) &&
       out.write("gui/web_back", {30, 44}, arrow(false)) &&
       out.write("gui/web_up", {30, 44}, arrow(true)) &&
       out.write("gui/open_pro", {120, 50}, startButton) &&
       out.write("gui/share2", {320, 180}, sharePicture);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  return imagemaker::run(argc, argv, "make_settings_images", "", drawAll);
}
