#include "platform/browser/PageParts.h"

namespace platform::browser {

// The renderer brings no defaults of its own: every element's display, the
// spacing of headings, lists and tables and the look of links are set here.
const char* MasterStyleSheet()
{
    return R"css(
html, address, blockquote, body, center, dd, div, dl, dt, fieldset, form, frame, frameset,
h1, h2, h3, h4, h5, h6, noframes, ol, p, ul, menu, dir, hr, pre, header, footer, section,
article, nav, aside, main, figure, figcaption { display: block; }
head, script, style, title, meta, link, base, noscript, template { display: none; }
html { color: black; background-color: transparent; }
body { margin: 8px; font-family: "DejaVu Sans"; font-size: 16px; line-height: normal; }
p, dl, blockquote, ul, ol, pre { margin-top: 1em; margin-bottom: 1em; }
h1 { font-size: 2em; margin-top: 0.67em; margin-bottom: 0.67em; font-weight: bold; }
h2 { font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em; font-weight: bold; }
h3 { font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; font-weight: bold; }
h4 { margin-top: 1.33em; margin-bottom: 1.33em; font-weight: bold; }
h5 { font-size: 0.83em; margin-top: 1.67em; margin-bottom: 1.67em; font-weight: bold; }
h6 { font-size: 0.67em; margin-top: 2.33em; margin-bottom: 2.33em; font-weight: bold; }
b, strong, th { font-weight: bold; }
i, em, cite, var, address, dfn { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
big { font-size: 1.17em; }
small, sub, sup { font-size: 0.83em; }
sub { vertical-align: sub; }
sup { vertical-align: super; }
tt, code, kbd, samp, pre { font-family: "DejaVu Sans Mono"; }
pre { white-space: pre; }
center { text-align: center; }
a:link, a:visited, a[href] { color: #0000CC; text-decoration: underline; cursor: pointer; }
br { display: block; }
img { display: inline-block; }
hr { border-style: inset; border-width: 1px; border-color: gray; margin-top: 0.5em; margin-bottom: 0.5em; }
ul, ol, menu, dir { padding-left: 40px; }
ul, menu, dir { list-style-type: disc; }
ol { list-style-type: decimal; }
li { display: list-item; }
ul ul, ol ul { list-style-type: circle; }
dd { margin-left: 40px; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
col { display: table-column; }
colgroup { display: table-column-group; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
caption { display: table-caption; text-align: center; }
input, select, textarea, button { display: inline-block; }
)css";
}

} // namespace platform::browser
