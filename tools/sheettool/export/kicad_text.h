#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The pieces of KiCad's S-expression files that every exported file shares:
// lengths, quoted texts and identifiers.
namespace dovla::sheettool::kicad {

// KiCad's schematic internal unit is a ten-thousandth of a millimetre. One
// unit of this editor's sheets is drawn as 0.254 mm, so that the sheets'
// grid of 10 falls on KiCad's grid of 50 mil (2.54 mm).
constexpr std::int64_t unitIU = 2540;

// A length or coordinate in millimetres, as few digits as it needs: "2.54".
std::string mm(std::int64_t iu);

// The file's bytes as UTF-8: each byte is the character of the same code,
// as everywhere in sheettool's output; control bytes become '?', which no
// KiCad text may hold.
std::string utf8Text(std::string_view bytes);

// A name that KiCad joins by: as utf8Text, with the characters that KiCad
// reads as bus syntax or formatting ("[]{}" and blanks) made plain.
std::string netText(std::string_view bytes);

// A text in double quotes, with '"' and '\' escaped.
std::string quoted(std::string_view text);

// A text of the project file, which is JSON: quoted, with JSON's escapes;
// bytes that are no UTF-8 become U+FFFD.
std::string jsonText(std::string_view text);

// An identifier in UUID form made from a text, the same for the same
// text: exported files name their items by what the items are, so that
// exporting a design twice gives the same files.
std::string uuidOf(std::string_view text);

} // namespace dovla::sheettool::kicad
