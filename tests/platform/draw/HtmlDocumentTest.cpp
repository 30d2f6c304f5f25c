#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "platform/draw/HtmlDocument.h"
#include "platform/draw/ImageContext.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/support/TempHome.h"

using namespace plat;

namespace {

std::shared_ptr<Image> render(HtmlDocument& page, double width) {
  double height = page.layout(width);
  ImageContext image({width, std::max(height, 1.0)}, true, 1);
  page.draw(image.context(), {0, 0}, Rect(0, 0, width, height));
  return image.image();
}

}  // namespace

TEST(HtmlDocument, PagesTooDeepToLayOutShowTheirText) {
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<div>";
  deep += "deep &amp; down";
  for (int i = 0; i < 5000; ++i) deep += "</div>";
  HtmlDocument page(deep, "");
  EXPECT_TRUE(page.isPlainTextFallback());
  EXPECT_EQ(page.plainText(), "deep & down");
  auto image = render(page, 320);
  EXPECT_FALSE(testsupport::inkBounds(*image, Color::white()).empty());
  EXPECT_TRUE(page.links().empty());
  EXPECT_EQ(page.linkAt({10, 10}), "");
}

TEST(HtmlDocument, ImagesAndAddressesResolveAgainstTheBase) {
  std::string dir = testsupport::makeTempDir("vocab-html");
  ASSERT_TRUE(testsupport::solidImage({4, 4}, Color::red())->writePNG(dir + "/dot.png"));
  HtmlDocument page("<body style='margin:0'><img src='dot.png' width='40' height='40'></body>",
                    "file://" + dir + "/");
  auto image = render(page, 100);
  EXPECT_FALSE(testsupport::differs(image->pixel(20, 20), Color::red(), 0.05));
  HtmlDocument missing("<body><img src='none.png'><p>still text</p></body>", "file://" + dir + "/");
  EXPECT_GT(missing.layout(100), 0);
  files::remove(dir);

  EXPECT_EQ(resolveURL("file:///app/help/", "b.html"), "file:///app/help/b.html");
  EXPECT_EQ(resolveURL("http://h.com/x/y.html", "../z.html"), "http://h.com/z.html");
  EXPECT_EQ(resolveURL("http://h.com/x/", "https://other.com/"), "https://other.com/");
  EXPECT_EQ(resolveURL("", "b.html"), "b.html");
}
