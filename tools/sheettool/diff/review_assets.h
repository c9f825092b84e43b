#pragma once

#include <string_view>

// The files of the review page of diff --html, embedded when the program is
// built: review.html (the frame, with @TITLE@, @STYLE@, @REVIEWSTYLE@,
// @DATA@, @PARTS@, @DRAWING@, @SCRIPT@ and @SCRIPTHASH@ where the rest goes),
// review.css and review.js, and the script's hash. The page draws with the
// script and style of view's page (page_assets.h).
namespace dovla::sheettool::review {

std::string_view reviewHtml();
std::string_view reviewStyle();
std::string_view reviewScript();
std::string_view reviewScriptHash();

} // namespace dovla::sheettool::review
