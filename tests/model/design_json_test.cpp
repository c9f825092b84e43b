#include <gtest/gtest.h>

#include <string>

#include "design_json.h"

namespace dovla::model {
namespace {

// Every byte is one character in JSON and comes back as that byte, and the
// library writes and reads such strings unchanged.
TEST(JsonStrings, HoldEveryByteAsTheCharacterOfItsCode) {
    std::string bytes;
    for (int byte = 1; byte < 256; ++byte)
        bytes += static_cast<char>(byte);
    std::string text = jsonString(bytes);
    EXPECT_EQ(bytesOf(text), bytes);
    Json value = Json::parse(Json(text).dump());
    EXPECT_EQ(bytesOf(value.get<std::string>()), bytes);
    // A byte of 0xE4 is the character U+00E4.
    EXPECT_EQ(jsonString("\xE4"), "\xC3\xA4");
    EXPECT_EQ(Json(jsonString("A\xFF")).dump(), "\"A\xC3\xBF\"");
}

} // namespace
} // namespace dovla::model
