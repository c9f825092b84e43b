#pragma once

#include <string>
#include <string_view>

// The page of `sheettool view`: one HTML file that holds its style, its
// script and the design, and fetches nothing.
namespace dovla::sheettool::view {

// The page of a design whose data (see page_data.h) is given, under a title
// of the files' bytes.
std::string page(const std::string& title, const std::string& data);

// Appends JSON so that it can stand inside a script element: every "<"
// written as \u003c, so that no text of the design can close the element.
void appendScriptSafe(std::string& out, std::string_view json);

// Bytes as HTML text: each byte the character of its code, with &, <, >
// and " written as references.
std::string htmlText(const std::string& bytes);

} // namespace dovla::sheettool::view
