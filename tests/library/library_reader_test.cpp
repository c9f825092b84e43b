#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "library/library_fixture.h"

namespace dovla::testing {
namespace {

using writers::LibPartDescription;
using writers::LibPinShape;
using writers::LibraryWriter;
using writers::pinAt;
using writers::pinNumber;

LibPartDescription nand() {
    return {"NAND",
            5,
            6,
            2,
            0,
            {{pinAt(0, 1), "A", {pinNumber(1), pinNumber(4, 'B')}},
             {pinAt(2, 3), "", {pinNumber(3), pinNumber(511, 'Z')}},
             {pinAt(3, 255), "VCC", {pinNumber(14), pinNumber(14)}}}};
}

TEST_F(LibraryTest, LoadsTheUsedPartsInLibraryOrderWithTheirPins) {
    LibraryWriter writer;
    writer.simple("RES", 2).add(nand()).simple("CAP", 2).simple("LED", 3);
    std::vector<std::uint8_t> bytes = writer.bytes();
    // Record bytes 3 to 9 mean nothing to the reader but are kept.
    for (int i = 0; i < 7; ++i)
        bytes[recordAt(bytes, 1) + 3 + i] = static_cast<std::uint8_t>(0xA0 + i);
    use({"LED", "NAND", "NOPE", "LED"});
    library.readLibrary(save(bytes).c_str());

    EXPECT_EQ(loadedNames(), (std::vector<std::string>{"NAND", "LED"}));
    const LibPart& part = library.libPart(0);
    EXPECT_EQ(part.width, 5);
    EXPECT_EQ(part.height, 6);
    EXPECT_EQ(part.blockCount, 2);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(part.unused[i], 0xA0 + i) << i;
    EXPECT_EQ(part.pinWord, 3);
    ASSERT_EQ(part.pinCount(), 3u);
    const LibPartDescription expected = nand();
    for (std::uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(part.pins[i].position, expected.pins[i].position);
        EXPECT_EQ(std::string(part.pins[i].name), expected.pins[i].name);
        EXPECT_EQ(part.pins[i].numbers[0], expected.pins[i].numbers[0]);
        EXPECT_EQ(part.pins[i].numbers[1], expected.pins[i].numbers[1]);
    }
    const LibPart& led = library.libPart(1);
    EXPECT_EQ(led.pinCount(), 3u);
    EXPECT_EQ(led.pins[2].position, pinAt(0, 3));
    EXPECT_EQ(led.pins[2].numbers[0], pinNumber(3));
    EXPECT_EQ(messages.text(), "");
}

// Reading a library gives its temporary tables back to the pool, also when
// it holds no parts or none that is used.
TEST_F(LibraryTest, LibrariesWithoutUsedPartsAddNothing) {
    use({"X"});
    const std::size_t blocks = pool.blockCount();
    read(LibraryWriter());
    EXPECT_EQ(library.libPartCount(), 0u);
    EXPECT_EQ(pool.blockCount(), blocks);
    read(LibraryWriter().simple("A", 1).simple("B", 2).simple("C", 3));
    EXPECT_EQ(library.libPartCount(), 0u);
    EXPECT_EQ(pool.blockCount(), blocks);
    EXPECT_EQ(library.findLibPart("X"), nullptr);
}

TEST_F(LibraryTest, AMissingFileCannotBeOpened) {
    try {
        library.readLibrary(dir.file("nosuch.lib").c_str());
        FAIL() << "no fatal error";
    } catch (const FatalError& error) {
        EXPECT_EQ(std::string(error.what()), "can't open: " + dir.file("nosuch.lib") + "\n");
    }
}

// Damaged files: each case gives the file, the parts that instances name,
// and the fatal message that reading it ends with ("" for none). A damaged
// record of a part that no instance names is never read.
struct DamageCase {
    const char* description;
    std::function<std::vector<std::uint8_t>()> bytes;
    std::vector<const char*> used;
    std::string message;
};

void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.description;
}

std::vector<std::uint8_t> twoParts() {
    return LibraryWriter().simple("GOOD", 2).add(nand()).bytes();
}

std::vector<std::uint8_t> patched(std::function<void(std::vector<std::uint8_t>&)> patch) {
    std::vector<std::uint8_t> bytes = twoParts();
    patch(bytes);
    return bytes;
}

std::vector<std::uint8_t> cut(std::size_t size) {
    std::vector<std::uint8_t> bytes = twoParts();
    bytes.resize(size);
    return bytes;
}

// A library whose second part's record lies past the end of the file.
std::vector<std::uint8_t> recordPastTheEnd() {
    LibPartDescription broken = nand();
    broken.recordOffset = 0xFFFF;
    return LibraryWriter().simple("GOOD", 2).add(broken).bytes();
}

// A library whose second part has a pin whose name's length byte is 0.
std::vector<std::uint8_t> zeroLengthPinName() {
    LibPartDescription broken = nand();
    broken.pins[0].nameLength = 0;
    return LibraryWriter().simple("GOOD", 2).add(broken).bytes();
}

const std::string readError = "file read error!\n";

class LibraryDamage : public LibraryTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(LibraryDamage, EndsTheRunOrGoesUnnoticed) {
    for (const char* name : GetParam().used)
        use({name});
    EXPECT_EQ(failure(GetParam().bytes()), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LibraryDamage,
    ::testing::Values(
        DamageCase{"intact", twoParts, {"GOOD", "NAND"}, ""},
        DamageCase{"another magic",
                   [] { return patched([](auto& b) { b[9] = 'X'; }); },
                   {"GOOD"},
                   "don't part file!\n"},
        DamageCase{"the magic in lower case",
                   [] {
                       return patched([](auto& b) {
                           for (int i = 0; i < 10; ++i)
                               b[i] = static_cast<std::uint8_t>(std::tolower(b[i]));
                       });
                   },
                   {},
                   "don't part file!\n"},
        DamageCase{"53 bytes of header", [] { return cut(53); }, {}, readError},
        DamageCase{"five bytes of the magic: the header comes first",
                   [] { return cut(5); },
                   {},
                   readError},
        DamageCase{"an empty file", [] { return cut(0); }, {}, readError},
        DamageCase{"the name offsets cut short", [] { return cut(54 + 6); }, {}, readError},
        DamageCase{"the part offsets cut short", [] { return cut(54 + 8 + 3); }, {}, readError},
        DamageCase{"a name offset table before the start of the file",
                   [] { return patched([](auto& b) { set32(b, nameTableField, 0xFFFFFFFF); }); },
                   {},
                   readError},
        DamageCase{"a name at the end of the file",
                   [] {
                       return patched([](auto& b) {
                           set32(b, get32(b, nameTableField) + 4,
                                 static_cast<std::uint32_t>(b.size() - get32(b, stringBaseField)));
                       });
                   },
                   {},
                   readError},
        DamageCase{"a name of blanks up to the end of the file",
                   [] {
                       return patched([](auto& b) {
                           b.insert(b.end(), {' ', '\t', '\n'});
                           set32(b, get32(b, nameTableField) + 4,
                                 static_cast<std::uint32_t>(b.size() - 3 -
                                                            get32(b, stringBaseField)));
                       });
                   },
                   {},
                   readError},
        DamageCase{"an unused record past the end", recordPastTheEnd, {"GOOD"}, ""},
        DamageCase{"a used record past the end", recordPastTheEnd, {"NAND"}, readError},
        DamageCase{"an unused part's pins cut short",
                   [] { return cut(twoParts().size() - 1); },
                   {"GOOD"},
                   ""},
        DamageCase{"a used part's pins cut short",
                   [] { return cut(twoParts().size() - 1); },
                   {"NAND"},
                   readError},
        DamageCase{"an unused part's pin name of length 0", zeroLengthPinName, {"GOOD"}, ""},
        DamageCase{"a used part's pin name of length 0", zeroLengthPinName, {"NAND"}, readError},
        DamageCase{
            "a pin name past the end of the file",
            [] { return patched([](auto& b) { set16(b, recordAt(b, 1) + 12 + 2, 0xFFFE); }); },
            {"NAND"},
            readError}));

// How a name in the library reads: the name written, the library name that
// an instance asks for, and the name loaded ("" when the part is not
// loaded).
struct PartNameCase {
    std::string written;
    const char* asked;
    const char* loaded;
};

void PrintTo(const PartNameCase& c, std::ostream* out) {
    *out << '"' << c.written << "\" asked as \"" << c.asked << '"';
}

class PartNames : public LibraryTest, public ::testing::WithParamInterface<PartNameCase> {};

TEST_P(PartNames, AreTokensOfAtMostFifteenCharacters) {
    use({GetParam().asked});
    read(LibraryWriter().simple("FIRST", 1).simple(GetParam().written, 1).simple("LAST", 1));
    EXPECT_EQ(loadedNames(), std::string(GetParam().loaded).empty()
                                 ? std::vector<std::string>{}
                                 : std::vector<std::string>{GetParam().loaded});
}

INSTANTIATE_TEST_SUITE_P(
    Table, PartNames,
    ::testing::Values(PartNameCase{"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
                      PartNameCase{"ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
                      PartNameCase{"ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMN", ""},
                      PartNameCase{"RES 1/4W", "RES", "RES"},
                      PartNameCase{"RES 1/4W", "RES 1/4W", ""},
                      PartNameCase{"CAP\tBIG", "CAP", "CAP"},
                      PartNameCase{"IND\r\nX", "IND", "IND"}, PartNameCase{"VR\fA", "VR", "VR"},
                      PartNameCase{"Q\vA", "Q", "Q"}, PartNameCase{" \t\n\r\f\vLED", "LED", "LED"},
                      PartNameCase{"res", "RES", ""}, PartNameCase{"RES", "RE", ""}));

// How a pin name reads: the name written, the length byte in front of it
// (-1 for the name's own length), and the name loaded. A second pin, named
// XY, follows each name directly.
struct PinNameCase {
    std::string written;
    int length;
    std::string loaded;
};

void PrintTo(const PinNameCase& c, std::ostream* out) {
    *out << '"' << c.written << "\" of length " << c.length;
}

class PinNames : public LibraryTest, public ::testing::WithParamInterface<PinNameCase> {};

TEST_P(PinNames, AreCutToTheirLengthByte) {
    LibPartDescription part{"P",
                            4,
                            3,
                            1,
                            0,
                            {{pinAt(0, 1), GetParam().written, {pinNumber(7)}, GetParam().length},
                             {pinAt(2, 2), "XY", {pinNumber(8)}}}};
    use({"P"});
    read(LibraryWriter().add(part));
    ASSERT_EQ(library.libPartCount(), 1u);
    const LibPart& loaded = library.libPart(0);
    ASSERT_EQ(loaded.pinCount(), 2u);
    EXPECT_EQ(std::string(loaded.pins[0].name), GetParam().loaded);
    EXPECT_EQ(loaded.pins[0].numbers[0], pinNumber(7));
    // Reading a name leaves the file at the next pin entry.
    EXPECT_EQ(loaded.pins[1].position, pinAt(2, 2));
    EXPECT_EQ(std::string(loaded.pins[1].name), "XY");
    EXPECT_EQ(loaded.pins[1].numbers[0], pinNumber(8));
}

const std::string letters40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";

INSTANTIATE_TEST_SUITE_P(
    Table, PinNames,
    ::testing::Values(PinNameCase{"", -1, ""}, PinNameCase{"ABC", -1, "ABC"},
                      PinNameCase{"ABCDE", 3, "ABC"}, PinNameCase{"A B", -1, "A"},
                      PinNameCase{"A\tB", -1, "A"}, PinNameCase{"\xC1\x80Z", -1, "\xC1\x80Z"},
                      PinNameCase{letters40.substr(0, 31), -1, letters40.substr(0, 31)},
                      PinNameCase{letters40, -1, letters40.substr(0, 31)},
                      PinNameCase{letters40, 200, letters40.substr(0, 31)}));

TEST_F(LibraryTest, ThePinCountIsTheLowTwelveBitsOfThePinWord) {
    LibPartDescription two{
        "TWO", 4,   3,
        1,     0xF, {{pinAt(0, 1), "A", {pinNumber(1)}}, {pinAt(0, 2), "", {pinNumber(2)}}}};
    LibPartDescription none{"NONE", 4, 3, 1, 0x8, {}};
    use({"TWO", "NONE"});
    read(LibraryWriter().add(two).add(none));
    ASSERT_EQ(library.libPartCount(), 2u);
    EXPECT_EQ(library.libPart(0).pinWord, 0xF002);
    EXPECT_EQ(library.libPart(0).pinCount(), 2u);
    EXPECT_EQ(library.libPart(0).pins[1].numbers[0], pinNumber(2));
    EXPECT_EQ(library.libPart(1).pinWord, 0x8000);
    EXPECT_EQ(library.libPart(1).pinCount(), 0u);
}

TEST_F(LibraryTest, PinsOfAPartWithoutBlocksHaveNoNumbers) {
    LibPartDescription part{
        "NB", 4, 3, 0, 0, {{pinAt(0, 1), "A", {}}, {pinAt(2, 2), "", {}}, {pinAt(3, 3), "C", {}}}};
    use({"NB", "AFTER"});
    read(LibraryWriter().add(part).simple("AFTER", 2));
    ASSERT_EQ(loadedNames(), (std::vector<std::string>{"NB", "AFTER"}));
    const LibPart& loaded = library.libPart(0);
    EXPECT_EQ(loaded.blockCount, 0);
    ASSERT_EQ(loaded.pinCount(), 3u);
    EXPECT_EQ(loaded.pins[1].position, pinAt(2, 2));
    EXPECT_EQ(loaded.pins[2].position, pinAt(3, 3));
    EXPECT_EQ(std::string(loaded.pins[2].name), "C");
    EXPECT_EQ(library.libPart(1).pins[1].numbers[0], pinNumber(2));
}

// Parts of one name are all loaded, library by library and in each library
// in table order; lookups find the first one loaded.
TEST_F(LibraryTest, DuplicatesLoadInOrderAndTheFirstIsFound) {
    auto widthPart = [](const char* name, int width) {
        return LibPartDescription{name, width, 3, 1, 0, {{pinAt(0, 1), "", {pinNumber(1)}}}};
    };
    use({"Y", "X"});
    read(LibraryWriter().add(widthPart("X", 1)).add(widthPart("Y", 9)), "first.lib");
    read(LibraryWriter().add(widthPart("X", 2)).add(widthPart("Z", 8)).add(widthPart("X", 3)),
         "second.lib");
    library.readLibrary(dir.file("first.lib").c_str());
    ASSERT_EQ(loadedNames(), (std::vector<std::string>{"X", "Y", "X", "X", "X", "Y"}));
    const int widths[] = {1, 9, 2, 3, 1, 9};
    for (std::uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(library.libPart(i).width, widths[i]) << i;
    EXPECT_EQ(library.findLibPart("X"), &library.libPart(0));
    EXPECT_EQ(library.findLibPart("Y"), &library.libPart(1));
    EXPECT_EQ(library.findLibPart("Z"), nullptr);
}

// More than 50 used parts: the table grows and every part keeps its place;
// each lookup gives the part of its name.
TEST_F(LibraryTest, TheLoadedPartTableGrowsPastItsSteps) {
    LibraryWriter writer;
    std::vector<std::string> expected;
    for (int i = 0; i < 130; ++i) {
        std::string name = "P" + std::to_string(i);
        writer.simple(name, 1 + i % 4).simple("UNUSED" + std::to_string(i), 1);
        library.instances().addPartInstance(8, 0, 0, "", 0, 0, "", name.c_str());
        expected.push_back(name);
    }
    read(writer);
    ASSERT_EQ(loadedNames(), expected);
    for (int i = 0; i < 130; ++i) {
        const LibPart* found = library.findLibPart(expected[i].c_str());
        ASSERT_EQ(found, &library.libPart(i)) << expected[i];
        EXPECT_EQ(found->pinCount(), 1u + i % 4);
        EXPECT_EQ(found->pins[found->pinCount() - 1].numbers[0], pinNumber(1 + i % 4));
    }
}

TEST_F(LibraryTest, APartIsUsedWhenAnInstanceNamesItExactly) {
    EXPECT_FALSE(library.isPartUsed("RES"));
    EXPECT_FALSE(library.isPartUsed(""));
    use({"RES"});
    EXPECT_TRUE(library.isPartUsed("RES"));
    for (const char* other : {"RE", "RES1", "res", " RES", ""})
        EXPECT_FALSE(library.isPartUsed(other)) << other;
    // Instances added after a question are seen by the next one.
    use({"CAP"});
    EXPECT_TRUE(library.isPartUsed("CAP"));
    EXPECT_TRUE(library.isPartUsed("RES"));
}

// An emptied and refilled table answers from its new instances only, even
// when it has grown past its old size before the next question.
TEST_F(LibraryTest, AnEmptiedTableForgetsItsNames) {
    use({"RES", "CAP"});
    EXPECT_TRUE(library.isPartUsed("RES"));
    library.instances().resetPartInstances();
    use({"A", "B", "C", "D"});
    EXPECT_FALSE(library.isPartUsed("RES"));
    EXPECT_FALSE(library.isPartUsed("CAP"));
    for (const char* name : {"A", "B", "C", "D"})
        EXPECT_TRUE(library.isPartUsed(name)) << name;
    library.instances().resetPartInstances();
    EXPECT_FALSE(library.isPartUsed("A"));
}

} // namespace
} // namespace dovla::testing
