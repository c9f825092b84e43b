#pragma once

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "page_data.h"

// The page of `sheettool view`: one HTML file that holds its style, its
// script and the design, and fetches nothing.
namespace dovla::sheettool::view {

// The page of a design whose data (see page_data.h) is given, under a title
// of the files' bytes.
std::string page(const std::string& title, std::string_view data);
// The same page written to a file as its data is made: makeData makes the
// data, handing most of it on as it goes, and returns the rest. False when
// a write failed.
bool writePage(std::FILE* file, const std::string& title,
               const std::function<std::string(const HandOn& handOn)>& makeData);

// A mark of a page's frame (@DATA@) and what stands there; a script's
// data made safe to stand in its element (see appendScriptSafe).
struct Slot {
    std::string_view mark;
    std::string_view text;
    bool script = false;
};

// A frame with each mark filled.
std::string fillFrame(std::string_view frame, std::initializer_list<Slot> slots);

// Appends JSON so that it can stand inside a script element: every "<"
// written as \u003c, so that no text of the design can close the element.
void appendScriptSafe(std::string& out, std::string_view json);

// Bytes as HTML text: each byte the character of its code, with &, <, >
// and " written as references.
std::string htmlText(const std::string& bytes);

} // namespace dovla::sheettool::view
