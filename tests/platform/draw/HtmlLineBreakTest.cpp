// Line breaks and spaces of laid-out pages against a browser engine: the same HTML, in the same
// font and width, laid out by our renderer and by wkhtmltoimage (Debian's), whose picture is as
// tall as the page.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/draw/HtmlContainer.h"
#include "platform/draw/HtmlDocument.h"
#include "platform/draw/Image.h"
#include "platform/draw/TextLayout.h"
#include "tests/support/TempHome.h"

namespace {

constexpr int kWidth = 300;
const std::string kFrame =
    "<html><head><meta charset=\"utf-8\"></head>"
    "<body style=\"margin:0;font-family:'WenQuanYi Micro Hei';font-size:15px\">";

std::string page(const std::string& body) {
  return kFrame + body + "</body></html>";
}

double ourHeight(const std::string& body) {
  plat::HtmlDocument document(page(body), "");
  return document.layout(kWidth);
}

// The browser's page height, or -1 when the browser cannot run here.
double browserHeight(const std::string& body) {
  // A folder of this run's own: other runs of the test may be going on beside it.
  static const struct Folder {
    std::string path = testsupport::makeTempDir("vocab-linebreak");
    ~Folder() { std::filesystem::remove_all(path); }
  } dir;
  const std::string html = dir.path + "/linebreak.html";
  const std::string png = dir.path + "/linebreak.png";
  std::ofstream(html) << page(body);
  std::remove(png.c_str());
  const std::string command = "QT_QPA_PLATFORM=offscreen wkhtmltoimage -q --width " +
                              std::to_string(kWidth) + " --disable-smart-width -f png " + html +
                              " " + png + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return -1;
  auto image = plat::Image::fromFile(png);
  return image ? image->size().height : -1;
}

struct Case {
  const char* name;
  std::string body;
};

TEST(HtmlLineBreaks, PagesAreAsTallAsInABrowser) {
  const Case cases[] = {
      {"one line", "One line of text"},
      {"a break inside a line", "first<br/>second"},
      {"two breaks in a row", "first<br/><br/>third"},
      {"a trailing break", "<div>first<br/></div>"},
      {"a break between blocks", "<div>first</div><br/><div>second</div>"},
      {"examples",
       "<div style = \"font-size:16px\">\nThis book is mine.\n<br/><span style = "
       "\"font-size:15px;color:#686868\">这本书是我的。</span><br/><br/></div>"
       "<div style = \"font-size:16px\">\nWe booked a table.\n<br/><span style = "
       "\"font-size:15px;color:#686868\">我们订了一张桌子。</span><br/></div>"},
      {"editor notice and credit",
       "<div style = 'font-size:15px;color:#686868'>该单词暂未被学员重新编辑<br/></div>\n"
       "<div style='font-size:14px;color:#686868'>登录vocab.example.com参与词汇编辑活动</div>"},
      {"wrapped words",
       "She worked hard to achieve her dream of becoming a pilot and the team "
       "achieved great success last season with every one of its players."},
  };
  for (const Case& c : cases) {
    const double browser = browserHeight(c.body);
    if (browser < 0) GTEST_SKIP() << "wkhtmltoimage is not installed";
    // Line heights round differently in the two engines: a point per line or two is allowed.
    EXPECT_NEAR(ourHeight(c.body), browser, 2 + browser * 0.04) << c.name;
  }
}

}  // namespace

namespace {

TEST(HtmlSpaces, ALineOfWordsIsAsWideAsTheSameLineInALabel) {
  // The engine measures each word and each space apart and adds them up.
  plat::HtmlContainer container("");
  litehtml::font_metrics metrics;
  const std::vector<std::string> words = {"She", "worked", "hard", "to",    "achieve",
                                          "her", "dream",  "of",   "being", "a pilot"};
  for (int size : {14, 15, 16}) {
    auto font = container.create_font(container.get_default_font_name(), size, 400,
                                      litehtml::fontStyleNormal, 0, &metrics);
    std::string line;
    int pieces = 0;
    for (const std::string& word : words) {
      if (!line.empty()) {
        line += " ";
        pieces += container.text_width(" ", font);
      }
      line += word;
      pieces += container.text_width(word.c_str(), font);
    }
    EXPECT_NEAR(pieces, plat::measureText(line, plat::Font::system(size)).width, 3) << size;
    container.delete_font(font);
  }
}

}  // namespace

namespace {

TEST(HtmlWordSplit, ChinesePunctuationStaysWithItsCharacter) {
  plat::HtmlContainer container("");
  std::vector<std::string> pieces;
  container.split_text(
      "一步“达到”目标，(sic) “ quoted ” end。", [&](const char* word) { pieces.push_back(word); },
      [&](const char* space) { pieces.push_back(std::string("[") + space + "]"); });
  const std::vector<std::string> expected = {"一",     "步",    "“达", "到”", "目",
                                             "标，",   "(sic)", "[ ]", "“",   "[ ]",
                                             "quoted", "[ ]",   "”",   "[ ]", "end。"};
  EXPECT_EQ(pieces, expected);

  // A run of Latin letters and marks may break where a closing mark meets an opening one, and
  // an opening mark at its end goes with what follows: no line ends with "（".
  pieces.clear();
  container.split_text(
      "是Documents（设置了“walked”“studies”这样", [&](const char* word) { pieces.push_back(word); },
      [&](const char* space) { pieces.push_back(std::string("[") + space + "]"); });
  const std::vector<std::string> cut = {"是",       "Documents", "（设", "置", "了",
                                        "“walked”", "“studies”", "这",   "样"};
  EXPECT_EQ(pieces, cut);
}

}  // namespace
