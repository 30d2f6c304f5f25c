#include "platform/draw/HtmlStyles.h"

namespace plat::html {

const char* const kDefaultStyleSheet = R"css(
html { display: block; }
head, style, script, title, meta, link, base { display: none; }
body { display: block; margin: 8px; }
div, p, form, section, article, header, footer, nav, aside, main, center, address,
blockquote, pre, dl, dt, dd, hr, figure, figcaption, fieldset { display: block; }
p, blockquote, dl, figure, pre { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
dd { margin-left: 40px; }
center { text-align: center; }
pre { white-space: pre; font-family: monospace; }
hr { border: 1px solid gray; margin: 0.5em auto; }
h1 { display: block; font-size: 2em; font-weight: bold; margin: 0.67em 0; }
h2 { display: block; font-size: 1.5em; font-weight: bold; margin: 0.83em 0; }
h3 { display: block; font-size: 1.17em; font-weight: bold; margin: 1em 0; }
h4 { display: block; font-weight: bold; margin: 1.33em 0; }
h5 { display: block; font-size: 0.83em; font-weight: bold; margin: 1.67em 0; }
h6 { display: block; font-size: 0.67em; font-weight: bold; margin: 2.33em 0; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
small { font-size: smaller; }
big { font-size: larger; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
code, kbd, samp, tt { font-family: monospace; }
a { color: #0000ee; text-decoration: underline; }
br { display: block; }
img { display: inline-block; }
ul, ol { display: block; margin: 1em 0; padding-left: 40px; }
ul { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul { list-style-type: circle; }
li { display: list-item; }
table { display: table; border-spacing: 2px; }
thead { display: table-header-group; }
tbody { display: table-row-group; }
tfoot { display: table-footer-group; }
tr { display: table-row; }
td, th { display: table-cell; padding: 1px; vertical-align: inherit; }
caption { display: table-caption; text-align: center; }
)css";

}  // namespace plat::html
