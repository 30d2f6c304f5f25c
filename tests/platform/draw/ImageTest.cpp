#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>

#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/draw/ImageContext.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/support/TempHome.h"

using namespace plat;

namespace {

void expectColor(const Color& actual, const Color& expected) {
  EXPECT_FALSE(testsupport::differs(actual, expected, 0.05))
      << "got " << actual.r << "," << actual.g << "," << actual.b << "," << actual.a;
}

std::string solidPNG(Size size, const Color& color, double scale = 1) {
  return testsupport::solidImage(size, color, scale)->pngData();
}

class BundleImages : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::makeTempDir("vocab-images");
    files::createDirectories(dir_ + "/gui");
    Bundle::setMainPath(dir_);
    Image::clearNamedCache();
  }
  void TearDown() override {
    Bundle::setMainPath("");
    Image::clearNamedCache();
    files::remove(dir_);
  }
  void put(const std::string& name, const std::string& png) {
    ASSERT_TRUE(files::writeFileAtomically(dir_ + "/" + name, png));
  }
  std::string dir_;
};

}  // namespace

TEST(Image, PNGDataAndFilesRoundTripPixelsAndScaleAndBrokenDataGivesNoImage) {
  const std::string png = solidPNG({3, 2}, Color::rgb255(57, 156, 102), 2);
  auto original = Image::fromPNGData(png, 2);
  ASSERT_TRUE(original);
  EXPECT_EQ(original->pixelWidth(), 6);
  EXPECT_EQ(original->size(), (Size{3, 2}));
  expectColor(original->colorAtPoint({1.5, 1.5}), Color::rgb255(57, 156, 102));
  expectColor(original->pixel(99, 99), Color::clear());

  std::string dir = testsupport::makeTempDir("vocab-png");
  ASSERT_TRUE(original->writePNG(dir + "/out.png"));
  auto back = Image::fromFile(dir + "/out.png", 2);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->size(), (Size{3, 2}));
  EXPECT_FALSE(original->writePNG(dir + "/no/such/folder/out.png"));
  files::remove(dir);

  EXPECT_FALSE(Image::fromPNGData(""));
  EXPECT_FALSE(Image::fromPNGData("not a png at all"));
  EXPECT_FALSE(Image::fromPNGData(png.substr(0, png.size() / 2)));
}

TEST_F(BundleImages, NamedImagesPreferTheDoubleScaleFileAreSharedAndMissingOnesReportedOnce) {
  put("gui/plain.png", solidPNG({20, 10}, Color::red()));
  put("gui/sharp@2x.png", solidPNG({40, 20}, Color::blue()));
  auto plain = Image::named("gui/plain.png");
  auto sharp = Image::named("gui/sharp.png");
  ASSERT_TRUE(plain);
  ASSERT_TRUE(sharp);
  EXPECT_EQ(plain->size(), (Size{20, 10}));
  EXPECT_EQ(sharp->scale(), 2);
  EXPECT_EQ(sharp->size(), (Size{20, 10}));
  EXPECT_EQ(Image::named("gui/plain.png"), plain);
  EXPECT_EQ(Image::named("gui/plain"), plain) << "the extension defaults to png";

  put("gui/broken.png", "garbage");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(Image::named("gui/missing.png"));
  EXPECT_FALSE(Image::named("gui/missing.png"));
  EXPECT_FALSE(Image::named("gui/broken.png"));
  std::string log = ::testing::internal::GetCapturedStderr();
  size_t first = log.find("gui/missing.png");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(log.find("gui/missing.png", first + 1), std::string::npos) << log;
  EXPECT_NE(log.find("gui/broken.png"), std::string::npos);
}

TEST(Image, AStretchedImageKeepsItsCapsWithoutSeams) {
  // 21 x 21: a red top-left corner, a blue middle column, green elsewhere.
  ImageContext source({21, 21}, false, 1);
  DrawContext& ctx = source.context();
  ctx.setFillColor(Color::green());
  ctx.fillRect(Rect(0, 0, 21, 21));
  ctx.setFillColor(Color::blue());
  ctx.fillRect(Rect(10, 0, 1, 21));
  ctx.setFillColor(Color::red());
  ctx.fillRect(Rect(0, 0, 10, 10));
  auto stretched = source.image()->stretchable(10, 10);

  ImageContext target({100, 60}, true, 1);
  target.context().drawImage(*stretched, Rect(0, 0, 100, 60));
  auto out = target.image();
  expectColor(out->pixel(1, 1), Color::red());
  expectColor(out->pixel(8, 8), Color::red());
  expectColor(out->pixel(12, 8), Color::blue());
  expectColor(out->pixel(85, 30), Color::blue());
  expectColor(out->pixel(95, 5), Color::green());
  expectColor(out->pixel(5, 30), Color::green());
  expectColor(out->pixel(5, 55), Color::green());

  auto seamless = testsupport::solidImage({3, 3}, Color::red())->stretchable(1, 1);
  for (double scale : {1.0, 2.0, 3.0}) {
    ImageContext target({40, 20}, false, scale);
    const Rect rect(2.5, 2.5, 30.5, 10.5);  // cell borders on half points
    target.context().drawImage(*seamless, rect);
    auto out = target.image();
    int seams = 0;
    for (int y = int(std::ceil(rect.y * scale)); y < int(rect.maxY() * scale) - 1; ++y)
      for (int x = int(std::ceil(rect.x * scale)); x < int(rect.maxX() * scale) - 1; ++x)
        if (out->pixel(x, y).a < 0.99) ++seams;
    EXPECT_EQ(seams, 0) << "scale " << scale;
  }
}

// Stripes that change down the image only: stretched sideways they may be sampled nearest, but
// every pixel must be the one bilinear filtering gives, where the stripes are stretched too or
// fall between device pixels.
TEST(Image, StretchingGivesTheBilinearPixels) {
  ImageContext source({4, 6}, false, 1);
  for (int y = 0; y < 6; ++y) {
    source.context().setFillColor(Color::rgb(y / 5.0, 1 - y / 7.0, 0.5, 1 - y / 9.0));
    source.context().fillRect(Rect(0, y, 4, 1));
  }
  const std::shared_ptr<Image> stripes = source.image();
  for (const Rect& rect : {Rect(1, 2, 30, 3), Rect(1, 2.25, 30, 3), Rect(1, 2, 30, 17)}) {
    ImageContext ours({32, 20}, true, 2), bilinear({32, 20}, true, 2);
    ours.context().drawImage(*stripes, rect);
    cairo_t* cr = bilinear.context().cairo();
    cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    cairo_clip(cr);
    cairo_translate(cr, rect.x, rect.y);
    cairo_scale(cr, rect.width / 4, rect.height / 6);
    cairo_set_source_surface(cr, stripes->surface(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_paint(cr);
    EXPECT_EQ(ours.image()->pngData(), bilinear.image()->pngData()) << rect.y << " " << rect.height;
  }
}
