#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/ini_profile.h"
#include "support/temp_dir.h"

namespace dovla {
namespace {

// The value that a text gives for a key of the section "Library" (default
// "", 260 bytes of room), and the count returned with it.
struct ProfileCase {
    const char* description;
    std::string text;
    const char* key;
    std::string value;
};

void PrintTo(const ProfileCase& c, std::ostream* out) {
    *out << c.description;
}

// The text in UTF-16 with its byte-order mark.
std::string utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        char high = static_cast<char>(unit >> 8);
        char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

class ProfileText : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileText, GivesTheValueAndItsLength) {
    char buffer[260];
    std::memset(buffer, 'x', sizeof buffer);
    int copied =
        readProfileString(GetParam().text, "Library", GetParam().key, "", buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), GetParam().value);
    EXPECT_EQ(copied, static_cast<int>(GetParam().value.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileText,
    ::testing::Values(
        ProfileCase{"plain", "[Library]\nLIB0=a.lib\n", "LIB0", "a.lib"},
        ProfileCase{"no line feed at the end", "[Library]\nLIB0=a.lib", "LIB0", "a.lib"},
        ProfileCase{"CR LF", "[Library]\r\nLIB0=a.lib\r\nLIB1=b.lib\r\n", "LIB1", "b.lib"},
        ProfileCase{"section and key in other cases", "[lIBRARY]\nlib0=a.lib\n", "LIB0", "a.lib"},
        ProfileCase{"the value keeps its case", "[Library]\nLIB0=Parts\\A.LIB\n", "LIB0",
                    "Parts\\A.LIB"},
        ProfileCase{"blanks around names, '=' and the value",
                    "  [ Library ]  \n\t LIB0 \t=  \tmy parts.lib \t\n", "LIB0", "my parts.lib"},
        ProfileCase{"double quotes", "[Library]\nLIB0 = \" my parts.lib \"\n", "LIB0",
                    " my parts.lib "},
        ProfileCase{"single quotes", "[Library]\nLIB0='a.lib'\n", "LIB0", "a.lib"},
        ProfileCase{"quotes of two kinds stay", "[Library]\nLIB0=\"a.lib'\n", "LIB0", "\"a.lib'"},
        ProfileCase{"quotes around part of the value stay", "[Library]\nLIB0=\"a\" b\n", "LIB0",
                    "\"a\" b"},
        ProfileCase{"one quote stays", "[Library]\nLIB0=\"\n", "LIB0", "\""},
        ProfileCase{"inner quotes of a quoted value stay", "[Library]\nLIB0='it's'\n", "LIB0",
                    "it's"},
        ProfileCase{"empty quotes are an empty value", "[Library]\nLIB0=\"\"\n", "LIB0", ""},
        ProfileCase{"an empty value", "[Library]\nLIB0=\nLIB1=b.lib\n", "LIB0", ""},
        ProfileCase{"a value of blanks", "[Library]\nLIB0=  \t\n", "LIB0", ""},
        ProfileCase{"comment lines", "; [Library]\n[Library]\n  ;LIB0=old.lib\nLIB0=a.lib\n",
                    "LIB0", "a.lib"},
        ProfileCase{"a comment is only a whole line", "[Library]\nLIB0=a.lib ; main\n", "LIB0",
                    "a.lib ; main"},
        ProfileCase{"a missing key", "[Library]\nLIB1=b.lib\n", "LIB0", ""},
        ProfileCase{"a key of another section", "[Editor]\nLIB0=e.lib\n[Library]\nLIB1=b.lib\n",
                    "LIB0", ""},
        ProfileCase{"keys before any section", "LIB0=x.lib\n[Library]\n", "LIB0", ""},
        ProfileCase{"a longer key", "[Library]\nLIB00=a.lib\nLIB0X=b.lib\n", "LIB0", ""},
        ProfileCase{"a longer section", "[Library2]\nLIB0=a.lib\n[Lib]\nLIB0=b.lib\n", "LIB0", ""},
        ProfileCase{"the first line of a key wins", "[Library]\nLIB0=a.lib\nlib0=b.lib\n", "LIB0",
                    "a.lib"},
        ProfileCase{"an empty first line of a key wins", "[Library]\nLIB0=\nLIB0=b.lib\n", "LIB0",
                    ""},
        ProfileCase{"only the first section of the name is searched",
                    "[Library]\nLIB0=a.lib\n[Other]\n[LIBRARY]\nLIB0=b.lib\nLIB1=c.lib\n", "LIB1",
                    ""},
        ProfileCase{"the value up to the end of its line", "[Library]\nLIB0=a=b.lib\nLIB1=c.lib\n",
                    "LIB0", "a=b.lib"},
        ProfileCase{"lines without '=' are skipped", "[Library]\nLIB0\nLIB0=a.lib\n", "LIB0",
                    "a.lib"},
        ProfileCase{"a section line without ']' does not end the section",
                    "[Library]\n[Broken\nLIB0=a.lib\n", "LIB0", "a.lib"},
        ProfileCase{"the value cut to 259 characters",
                    "[Library]\nLIB0=" + std::string(300, 'p') + "\n", "LIB0",
                    std::string(259, 'p')},
        ProfileCase{"a value of 259 characters", "[Library]\nLIB0=" + std::string(259, 'q') + "\n",
                    "LIB0", std::string(259, 'q')},
        ProfileCase{"an empty text", "", "LIB0", ""},
        ProfileCase{"carriage returns alone end lines", "[Library]\rLIB0=a.lib\rLIB1=b.lib\r",
                    "LIB1", "b.lib"},
        ProfileCase{"a carriage return ends a value", "[Library]\nLIB0=a.lib\rb\n", "LIB0",
                    "a.lib"},
        ProfileCase{"a UTF-8 byte-order mark is dropped",
                    "\xEF\xBB\xBF[Library]\nLIB0=\xC3\x84.lib\n", "LIB0", "\xC3\x84.lib"},
        ProfileCase{"the mark counts only at the start",
                    "[Library]\nLIB0=\xEF\xBB\xBF"
                    "a.lib\n",
                    "LIB0",
                    "\xEF\xBB\xBF"
                    "a.lib"},
        ProfileCase{"two bytes of a mark are text", "\xEF\xBB[Library]\nLIB0=a.lib\n", "LIB0", ""},
        ProfileCase{"UTF-16, little-endian, read as UTF-8",
                    utf16(u"[Library]\r\nLIB0=\u00C4\u20AC.lib\r\n", false), "LIB0",
                    "\xC3\x84\xE2\x82\xAC.lib"},
        ProfileCase{"UTF-16, big-endian", utf16(u"[Library]\nLIB0=b.lib\n", true), "LIB0", "b.lib"},
        ProfileCase{"UTF-16 beyond the basic plane",
                    utf16(u"[Library]\nLIB0=\U0001F600.lib\n", false), "LIB0",
                    "\xF0\x9F\x98\x80.lib"},
        ProfileCase{"a lone UTF-16 surrogate",
                    utf16(u"[Library]\nLIB0=", false) + std::string("\x00\xD8", 2) +
                        utf16(u"x\n", false).substr(2),
                    "LIB0", "\xEF\xBF\xBDx"},
        ProfileCase{"long runs of blanks around names and values",
                    "[" + std::string(5000, ' ') + "Library" + std::string(5000, '\t') + "]\n" +
                        "LIB0" + std::string(9000, ' ') + "=" + std::string(9000, ' ') + "a.lib" +
                        std::string(9000, ' ') + "\n",
                    "LIB0", "a.lib"},
        ProfileCase{"a quoted value longer than the room",
                    "[Library]\nLIB0=\"" + std::string(400, 'p') + "\"\n", "LIB0",
                    std::string(259, 'p')},
        ProfileCase{"a key longer than any asked for",
                    "[Library]\n" + std::string(60000, 'L') + "IB0=x.lib\nLIB0=a.lib\n", "LIB0",
                    "a.lib"},
        ProfileCase{"a line of 64 KiB is read",
                    "[Library]\n;" + std::string(65535, 'c') + "\nLIB0=a.lib\n", "LIB0", "a.lib"},
        ProfileCase{"a longer line ends the reading",
                    "[Library]\nLIB0=a.lib\n;" + std::string(65536, 'c') + "\nLIB1=b.lib\n", "LIB1",
                    ""},
        ProfileCase{"the line that is too long does not count",
                    "[Library]\nLIB0=" + std::string(65536, 'p'), "LIB0", ""},
        ProfileCase{"a text of 16 MiB is read whole",
                    "[Library]\n" + std::string((16 << 20) - 21, '\n') + "LIB0=a.lib\n", "LIB0",
                    "a.lib"},
        ProfileCase{"reading ends after 16 MiB",
                    "[Library]\n" + std::string((16 << 20) - 11, '\n') + "LIB0=a.lib\n", "LIB0",
                    ""}));

TEST(ProfileDefaults, AreCopiedForMissingAndEmptyKeysAndCounted) {
    char buffer[16];
    EXPECT_EQ(readProfileString("[Library]\n", "Library", "LIB0", "none", buffer, sizeof buffer),
              4);
    EXPECT_STREQ(buffer, "none");
    EXPECT_EQ(
        readProfileString("[Library]\nLIB0=\n", "Library", "LIB0", "dflt", buffer, sizeof buffer),
        4);
    EXPECT_STREQ(buffer, "dflt");
    // A default is cut to the room like any value.
    EXPECT_EQ(readProfileString("", "Library", "LIB0", "0123456789ABCDEFGH", buffer, 8), 7);
    EXPECT_STREQ(buffer, "0123456");
}

TEST(ProfileRoom, OfOneByteHoldsOnlyTheTerminator) {
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(readProfileString("[Library]\nLIB0=a.lib\n", "Library", "LIB0", "", buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');
    EXPECT_EQ(readProfileString("[Library]\nLIB0=a.lib\n", "Library", "LIB0", "", buffer, 0), 0);
    EXPECT_EQ(buffer[1], 'x');
}

TEST(ProfileFile, IsReadWholeAndAMissingFileHoldsNothing) {
    testing::TempDir dir;
    // A value far into a file bigger than one read.
    std::string text = "[Other]\n";
    for (int i = 0; i < 1000; ++i)
        text += "KEY" + std::to_string(i) + "=" + std::string(20, 'v') + "\r\n";
    text += "[Library]\r\nLIB0=far.lib\r\n";
    dir.write("TAVEL.INI", text);
    char buffer[260];
    EXPECT_EQ(readProfileFile(dir.file("TAVEL.INI").c_str(), "Library", "LIB0", "", buffer,
                              sizeof buffer),
              7);
    EXPECT_STREQ(buffer, "far.lib");
    EXPECT_EQ(
        readProfileFile(dir.file("NONE.INI").c_str(), "Library", "LIB0", "", buffer, sizeof buffer),
        0);
    EXPECT_STREQ(buffer, "");
}

} // namespace
} // namespace dovla
