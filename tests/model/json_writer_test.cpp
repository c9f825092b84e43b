#include <gtest/gtest.h>

#include <string>

#include "design_json.h"
#include "json_writer.h"

namespace dovla::model {
namespace {

std::string written(const std::string& bytes) {
    std::string out;
    JsonWriter(out).bytes(bytes);
    return out;
}

// The writer's strings are the library's, byte for byte: each byte alone,
// and each inside printable text, where the writer's quick path ends.
TEST(JsonWriter, WritesEveryByteAsTheLibraryDoes) {
    for (int byte = 0; byte < 256; ++byte) {
        for (std::string bytes : {std::string(1, static_cast<char>(byte)),
                                  "R1." + std::string(1, static_cast<char>(byte)) + "x"}) {
            if (byte == 0 && bytes.size() == 1)
                bytes.clear();
            EXPECT_EQ(written(bytes), Json(jsonString(bytes)).dump()) << "byte " << byte;
        }
    }
}

// Quotes and backslashes escaped in place, several in a row, at either
// end, between runs of plain text.
TEST(JsonWriter, EscapesRunsOfQuotesAndBackslashes) {
    for (const std::string bytes : {"\"\"", "\\\\", "\"a\\", "\\a\"", "net \"A\\B\" (sheet 1)",
                                    "x\"\\\"y", "\"\\ \"\\", "a\"\xe9\""}) {
        EXPECT_EQ(written(bytes), Json(jsonString(bytes)).dump()) << bytes;
    }
}

// Nested objects and lists take their commas and colons where the
// library's compact dump puts them, and numbers, flags and null as it does.
TEST(JsonWriter, SeparatesAsTheLibrarysCompactDump) {
    std::string out;
    JsonWriter json(out);
    json.open('{').number("n", -7).flag("f", false).key("z").null().key("list").open('[');
    json.open('[').close(']').open('{').close('}').value(std::uint32_t{4294967295u});
    json.point(Point{-30000, 64000}).close(']').text("t", "a\"b").point("p", Point{1, 2});
    json.close('}');
    Json expected = Json::object();
    expected["n"] = -7;
    expected["f"] = false;
    expected["z"] = nullptr;
    expected["list"] =
        Json::array({Json::array(), Json::object(), 4294967295u, Json::array({-30000, 64000})});
    expected["t"] = "a\"b";
    expected["p"] = Json::array({1, 2});
    EXPECT_EQ(out, expected.dump());
}

} // namespace
} // namespace dovla::model
