#include <gtest/gtest.h>

#include "platform/draw/Geometry.h"
#include "platform/draw/HtmlText.h"

using namespace plat;

TEST(HtmlText, PlainTextAndNestingDepth) {
  EXPECT_EQ(html::toPlainText("<p>one&nbsp;two</p><p>three &lt;4&gt; &#20013;&#x6587;</p>"),
            "one two\nthree <4> 中文");
  EXPECT_EQ(html::toPlainText("<style>p{color:red}</style><script>var a='<p>';</script>text"),
            "text");
  EXPECT_EQ(html::toPlainText("a<br>b  \n  c"), "a\nb c");
  EXPECT_EQ(html::toPlainText("&bogus; &#xD800; &#1114112;"), "&bogus; \xEF\xBF\xBD \xEF\xBF\xBD");
  EXPECT_EQ(html::toPlainText("unclosed <b"), "unclosed");

  EXPECT_EQ(html::nestingDepth("<div><div><p>a<p>b<br><img src=x></div></div>"), 2);
  EXPECT_EQ(html::nestingDepth("<div/><div></div>"), 1);
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "<span>";
  EXPECT_EQ(html::nestingDepth(deep), 300);
}

TEST(Geometry, TransformsAndRectangles) {
  AffineTransform move = AffineTransform::translation(10, 20);
  AffineTransform turn = AffineTransform::rotation(M_PI / 2);
  Point p = move.concat(turn).apply(Point{1, 0});  // moved, then turned
  EXPECT_NEAR(p.x, -20, 1e-9);
  EXPECT_NEAR(p.y, 11, 1e-9);
  AffineTransform both = AffineTransform::scale(2, 3).concat(move);
  Point back = both.inverted().apply(both.apply(Point{7, -4}));
  EXPECT_NEAR(back.x, 7, 1e-9);
  EXPECT_NEAR(back.y, -4, 1e-9);
  EXPECT_TRUE(AffineTransform::scale(0, 1).inverted().isIdentity()) << "no inverse: identity";
  Rect turned = turn.apply(Rect(0, 0, 10, 4));
  EXPECT_NEAR(turned.width, 4, 1e-9);
  EXPECT_NEAR(turned.height, 10, 1e-9);

  Rect a(0, 0, 10, 10), b(5, 5, 10, 10), far(20, 20, 1, 1);
  EXPECT_EQ(a.intersection(b), Rect(5, 5, 5, 5));
  EXPECT_EQ(a.intersection(far), Rect());
  EXPECT_FALSE(a.intersects(Rect(10, 0, 5, 5))) << "touching edges do not meet";
  EXPECT_EQ(a.unionWith(far), Rect(0, 0, 21, 21));
  EXPECT_EQ(Rect(0.5, 0.2, 1, 1).integral(), Rect(0, 0, 2, 2));
  EXPECT_TRUE(a.contains({0, 0}));
  EXPECT_FALSE(a.contains({10, 5}));
  EXPECT_EQ(a.inset({1, 2, 3, 4}), Rect(2, 1, 4, 6));
}
