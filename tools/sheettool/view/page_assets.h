#pragma once

#include <string_view>

// The files of the page, embedded when the program is built: page.html
// (the frame, with @TITLE@, @STYLE@, @DATA@ and @SCRIPT@ where the rest
// goes), page.css and page.js.
namespace dovla::sheettool::view {

std::string_view pageHtml();
std::string_view pageStyle();
std::string_view pageScript();

} // namespace dovla::sheettool::view
