#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/base/Device.h"
#include "platform/draw/ImageContext.h"
#include "tests/platform/draw/InkBounds.h"

using namespace plat;

using testsupport::near;

TEST(DrawContext, SaveAndRestoreBringBackColoursClipAndTransform) {
  ImageContext image({20, 20}, false, 1);
  DrawContext& ctx = image.context();
  ctx.setFillColor(Color::green());
  ctx.save();
  ctx.setFillColor(Color::red());
  ctx.translate(10, 10);
  ctx.clipToRect(Rect(0, 0, 5, 5));
  ctx.fillRect(Rect(-10, -10, 40, 40));
  ctx.restore();
  ctx.restore();  // one too many: ignored
  EXPECT_EQ(ctx.fillColor(), Color::green());
  ctx.fillRect(Rect(0, 0, 2, 2));
  auto out = image.image();
  EXPECT_TRUE(near(out->pixel(12, 12), Color::red()));
  EXPECT_TRUE(near(out->pixel(16, 16), Color::clear())) << "the clip held";
  EXPECT_TRUE(near(out->pixel(1, 1), Color::green())) << "the transform was undone";
  EXPECT_TRUE(ctx.transform().isIdentity());
}

// Rounded rectangles, tangent arcs and arcs: what each path fills and what it leaves empty.
TEST(DrawContext, CurvedPathsFillOnlyTheirInside) {
  struct Case {
    const char* name;
    std::function<void(DrawContext&)> path;
    std::vector<Point> inside, outside;
  };
  const Case cases[] = {
      {"rounded rectangle",
       [](DrawContext& c) { c.addRoundedRect(Rect(0, 0, 40, 40), 10); },
       {{20, 0}, {20, 20}},
       {{0, 0}, {39, 39}}},
      {"tangent arc",
       [](DrawContext& c) {
         c.moveTo({0, 20});
         c.addArcToPoint({0, 0}, {20, 0}, 10);
         c.lineTo({20, 0});
         c.lineTo({20, 20});
         c.closePath();
       },
       {{10, 10}, {1, 18}, {18, 1}},
       {{1, 1}}},
      // Clockwise from 0 to pi: the half below the centre.
      {"arc",
       [](DrawContext& c) {
         c.addArc({10, 10}, 8, 0, M_PI, true);
         c.closePath();
       },
       {{10, 15}},
       {{10, 5}}},
  };
  for (const Case& c : cases) {
    ImageContext image({40, 40}, false, 1);
    DrawContext& ctx = image.context();
    ctx.setFillColor(Color::black());
    ctx.beginPath();
    c.path(ctx);
    ctx.fillPath();
    auto out = image.image();
    for (Point p : c.inside) EXPECT_TRUE(near(out->pixel(p.x, p.y), Color::black())) << c.name;
    for (Point p : c.outside) EXPECT_TRUE(near(out->pixel(p.x, p.y), Color::clear())) << c.name;
  }
}

TEST(DrawContext, TextInARectangleIsAligned) {
  Font font = Font::system(14);
  auto inkOf = [&](TextAlignment alignment) {
    ImageContext image({200, 30}, true, 1);
    image.context().setFillColor(Color::black());
    image.context().drawText("abc", Rect(0, 0, 200, 30), font, LineBreakMode::WordWrap, alignment);
    return testsupport::inkBounds(*image.image(), Color::white());
  };
  auto left = inkOf(TextAlignment::Left);
  auto center = inkOf(TextAlignment::Center);
  auto right = inkOf(TextAlignment::Right);
  EXPECT_LT(left.right, 40);
  EXPECT_NEAR((center.left + center.right) / 2.0, 100, 3);
  EXPECT_GT(right.left, 160);
  EXPECT_LE(right.right, 200);
}

TEST(ImageContext,
     TheCurrentContextFollowsBeginAndEndSnapshotsKeepWhatWasDrawnAndScaleZeroIsTheScreens) {
  EXPECT_EQ(currentContext(), nullptr);
  EXPECT_EQ(imageFromCurrentImageContext(), nullptr);
  beginImageContext({10, 10}, false, 2);
  DrawContext* outer = currentContext();
  ASSERT_NE(outer, nullptr);
  beginImageContext({4, 3}, true, 1);
  EXPECT_NE(currentContext(), outer);
  auto inner = imageFromCurrentImageContext();
  ASSERT_TRUE(inner);
  EXPECT_EQ(inner->size(), (Size{4, 3}));
  EXPECT_TRUE(near(inner->pixel(0, 0), Color::white()));
  endImageContext();
  EXPECT_EQ(currentContext(), outer);
  EXPECT_EQ(imageFromCurrentImageContext()->pixelWidth(), 20);
  endImageContext();
  EXPECT_EQ(currentContext(), nullptr);
  endImageContext();  // nothing begun: ignored

  ImageContext image({4, 4}, false, 1);
  image.context().setFillColor(Color::red());
  image.context().fillRect(Rect(0, 0, 4, 4));
  auto snapshot = image.image();
  auto taken = image.takeImage();
  image.context().setFillColor(Color::blue());
  image.context().fillRect(Rect(0, 0, 4, 4));
  EXPECT_TRUE(near(snapshot->pixel(1, 1), Color::red()));
  EXPECT_TRUE(near(taken->pixel(1, 1), Color::blue()));

  DeviceInfo device = Device::current();
  device.screenScale = 3;
  Device::override(device);
  EXPECT_EQ(ImageContext({10, 10}).image()->pixelWidth(), 30) << "scale zero is the screen's";
  Device::resetOverride();
  EXPECT_EQ(ImageContext({10, 10}).image()->pixelWidth(), 20);
}
