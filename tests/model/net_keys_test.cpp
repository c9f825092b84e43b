#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net_keys.h"

namespace dovla::model {
namespace {

// Designs made of nets alone: each net given as its names and pins.
struct NetShape {
    std::vector<std::string> names;
    std::vector<std::string> pins; // "REF.N", "REF.BN" with a letter
    std::vector<Point> wireEnds;   // on sheet 1
};

Design designOf(const std::vector<NetShape>& nets) {
    Design design;
    for (const NetShape& shape : nets) {
        Net net;
        for (const std::string& name : shape.names)
            net.names.push_back({name, {ItemKind::Label, 0}, false});
        for (const std::string& key : shape.pins) {
            Part part;
            part.ref = key.substr(0, key.find('.'));
            std::string number = key.substr(key.find('.') + 1);
            Pin pin;
            pin.part = static_cast<std::uint32_t>(design.parts.size());
            pin.letter = number[0] >= 'A' ? number[0] : 0;
            pin.number = std::stoi(pin.letter != 0 ? number.substr(1) : number);
            pin.listed = true;
            net.members.push_back({ItemKind::Pin, static_cast<std::uint32_t>(design.pins.size())});
            design.parts.push_back(part);
            design.pins.push_back(pin);
        }
        for (std::size_t i = 0; i + 1 < shape.wireEnds.size(); i += 2) {
            net.members.push_back(
                {ItemKind::Wire, static_cast<std::uint32_t>(design.wires.size())});
            design.wires.push_back({1, shape.wireEnds[i], shape.wireEnds[i + 1], {}});
        }
        design.nets.push_back(net);
    }
    return design;
}

std::vector<std::string> keysOf(const std::vector<NetShape>& nets) {
    Design design = designOf(nets);
    assignNetKeys(design);
    std::vector<std::string> keys;
    for (const Net& net : design.nets)
        keys.push_back(net.key);
    return keys;
}

struct KeyCase {
    const char* name;
    std::vector<NetShape> nets;
    std::vector<std::string> keys;
};

void PrintTo(const KeyCase& c, std::ostream* out) {
    *out << c.name;
}

class NetKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(NetKeys, FollowTheRule) {
    EXPECT_EQ(keysOf(GetParam().nets), GetParam().keys);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, NetKeys,
    ::testing::Values(
        KeyCase{"FirstNameThatIsNotEmpty", {{{"", "A", "B"}, {"R1.1"}, {}}}, {"A"}},
        KeyCase{"SmallestPinByReferenceLetterNumber",
                {{{}, {"U2.1", "R10.1", "R1.B2", "R1.A9", "R1.10"}, {}}},
                {"R1.10"}},
        KeyCase{"ReferencesCompareAsBytes", {{{}, {"R2.1", "R10.1"}, {}}}, {"R10.1"}},
        KeyCase{"ALetterComesAfterNone", {{{}, {"R1.B1", "R1.A9"}, {}}}, {"R1.A9"}},
        KeyCase{"WiresAloneBySmallestPoint",
                {{{}, {}, {{300, 20}, {100, 40}, {500, 10}, {600, 10}}}},
                {"@1:500,10"}},
        KeyCase{"SharedNamesTakeTheirPin",
                {{{"A"}, {"R2.1"}, {}}, {{"A"}, {"R1.1"}, {}}, {{"B"}, {"R3.1"}, {}}},
                {"A[R2.1]", "A[R1.1]", "B"}},
        KeyCase{"SharedNamesWithoutPinsTakeTheirPoint",
                {{{"A"}, {}, {{10, 10}, {20, 10}}}, {{"A"}, {}, {{30, 10}, {40, 10}}}},
                {"A[@1:10,10]", "A[@1:30,10]"}},
        KeyCase{"OnePinOnTwoNets", {{{}, {"R5.2"}, {}}, {{}, {"R5.2"}, {}}}, {"R5.2", "R5.2#2"}},
        KeyCase{"CountersSkipKeysTaken",
                {{{"X#2"}, {"R1.1"}, {}}, {{"X"}, {"R2.1"}, {}}, {{"X"}, {"R2.1"}, {}}},
                {"X#2", "X[R2.1]", "X[R2.1]#2"}},
        KeyCase{"EachKeysCounterGoesOnPastKeysTakenMeanwhile",
                {{{}, {"R5.2"}, {}},
                 {{"R5.2#3"}, {"R1.1"}, {}},
                 {{}, {"R5.2"}, {}},
                 {{}, {"R5.2"}, {}},
                 {{}, {"R6.1"}, {}},
                 {{}, {"R5.2"}, {}},
                 {{}, {"R6.1"}, {}}},
                {"R5.2", "R5.2#3", "R5.2#2", "R5.2#4", "R6.1", "R5.2#5", "R6.1#2"}}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

// A net keeps its key however the other nets change.
TEST(NetKeyStability, KeysDependOnTheNetAloneUnlessShared) {
    std::vector<NetShape> nets = {{{}, {"R1.2", "R2.1"}, {}}, {{"CLK"}, {"U1.3"}, {}}};
    std::vector<NetShape> more = nets;
    more.insert(more.begin(), NetShape{{}, {"R9.1", "R8.2"}, {}});
    more.push_back({{"DATA"}, {"U2.1"}, {}});
    std::vector<std::string> before = keysOf(nets);
    std::vector<std::string> after = keysOf(more);
    EXPECT_EQ(before, (std::vector<std::string>{"R1.2", "CLK"}));
    EXPECT_EQ(after, (std::vector<std::string>{"R8.2", "R1.2", "CLK", "DATA"}));
}

} // namespace
} // namespace dovla::model
