#pragma once

#include <string_view>

// The files of the page, embedded when the program is built: page.html
// (the frame, with @TITLE@, @STYLE@, @DATA@, @SCRIPT@ and @SCRIPTHASH@ where the rest
// goes), page.css and page.js, and the script's hash, the source that the
// page's Content-Security-Policy allows.
namespace dovla::sheettool::view {

std::string_view pageHtml();
std::string_view pageStyle();
std::string_view pageScript();
std::string_view pageScriptHash();

} // namespace dovla::sheettool::view
