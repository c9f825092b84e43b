#pragma once

#include <string_view>

// The files of the pages, embedded when the program is built: page.html
// (the frame, with @TITLE@, @STYLE@, @DATA@, @PARTS@, @DRAWING@, @SCRIPT@
// and @SCRIPTHASH@ where the rest goes), page.css, page.js, and
// part_drawing.js and sheet_drawing.js, which the review page of diff
// shares, and the scripts' hashes, the sources that the page's
// Content-Security-Policy allows.
namespace dovla::sheettool::view {

std::string_view pageHtml();
std::string_view pageStyle();
std::string_view pageScript();
std::string_view pageScriptHash();
std::string_view partScript();
std::string_view partScriptHash();
std::string_view drawingScript();
std::string_view drawingScriptHash();

} // namespace dovla::sheettool::view
