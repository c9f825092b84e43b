#include <nlohmann/json.hpp>

#include <map>
#include <string>

#include "design_json.h"
#include "design_texts.h"

namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

// Two sheets: on sheet 1 R1 and R2 with a labelled wire between them and
// VCC at R1's pin 1, a junction, a bus with a wire entry and a tag at its
// end; on sheet 2 (a smaller one) R3 alone. The label's name holds a byte
// above 0x7F.
const std::string smallDesign = "sheet code=4\n"
                                "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                                "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                                "wire from=210,100 to=350,100\n"
                                "label at=280,100 text=\"MID\\xe4\"\n"
                                "part at=160,90 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                                "junction at=100,300\n"
                                "bus from=100,500 to=300,500\n"
                                "bus-entry at=200,500 attr=wire-entry\n"
                                "tag at=300,500 text=\"B\"\n"
                                "sheet code=2\n"
                                "part at=200,110 ref=\"R3\" name=\"RES\" lib=\"RES\" dir=1\n";

using NetsJson = DesignTexts;

TEST_F(NetsJson, HoldsEveryFieldOfTheDesign) {
    sheet("small.sch", smallDesign);
    RunResult run = tool({"nets", "small.sch", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    json design = json::parse(run.out);
    EXPECT_EQ(design["format"], 1);
    EXPECT_EQ(design["sheetFile"], "small.sch");
    EXPECT_EQ(design["options"],
              json::parse(R"({"implicitPowerNames":true,"powerNames":[],"scanStep":10})"));
    EXPECT_EQ(design["libraries"], json::parse(R"(["basic.lib","logic.lib"])"));
    EXPECT_EQ(design["sheets"], json::parse(R"([
        {"number":1,"sizeCode":4,"width":3000,"height":2000},
        {"number":2,"sizeCode":2,"width":1600,"height":1200}])"));

    // Parts: R1, R2, VCC, R3 (turned a quarter: its body is 20 wide, 40 high).
    ASSERT_EQ(design["parts"].size(), 4u);
    EXPECT_EQ(design["parts"][0], json::parse(R"({"ref":"R1","name":"RES","libName":"RES",
        "block":0,"blockCount":1,"found":true,"pinsPlaced":true,"sheet":1,"origin":[200,110],
        "placement":0,"body":[[160,90],[200,110]],"pins":[0,1]})"));
    EXPECT_EQ(design["parts"][2]["ref"], "");
    EXPECT_EQ(design["parts"][2]["pins"], json::parse("[4]"));
    EXPECT_EQ(design["parts"][3], json::parse(R"({"ref":"R3","name":"RES","libName":"RES",
        "block":0,"blockCount":1,"found":true,"pinsPlaced":true,"sheet":2,"origin":[200,110],
        "placement":1,"body":[[180,70],[200,110]],"pins":[5,6]})"));

    ASSERT_EQ(design["pins"].size(), 7u);
    EXPECT_EQ(design["pins"][0], json::parse(R"({"part":0,"key":"R1.1","number":1,"letter":"",
        "name":"","text":"R1:\tRES [1]","sheet":1,"end":[150,100],"root":[160,100],
        "listed":true,"net":1,"busGroup":null})"));
    EXPECT_EQ(design["pins"][3], json::parse(R"({"part":1,"key":"R2.2","number":2,"letter":"",
        "name":"","text":"R2:\tRES [2]","sheet":1,"end":[410,100],"root":[400,100],
        "listed":true,"net":null,"busGroup":null})"));
    EXPECT_EQ(design["pins"][4]["listed"], false); // VCC's pin names its net
    EXPECT_EQ(design["pins"][5]["sheet"], 2);

    EXPECT_EQ(design["wires"], json::parse(R"([
        {"sheet":1,"from":[210,100],"to":[350,100],"net":0,"busGroup":null}])"));
    EXPECT_EQ(design["buses"], json::parse(R"([
        {"sheet":1,"from":[100,500],"to":[300,500],"net":null,"busGroup":0}])"));
    EXPECT_EQ(design["busEntries"], json::parse(R"([{"sheet":1,"at":[200,500],"to":[210,490],
        "wireEntry":true,"joinedAt":true,"joinedTo":false,"net":null,"busGroup":0}])"));
    EXPECT_EQ(design["junctions"], json::parse(R"([{"sheet":1,"at":[100,300]}])"));
    EXPECT_EQ(design["labels"].size(), 1u);
    EXPECT_EQ(design["labels"][0]["at"], json::parse("[280,100]"));
    EXPECT_EQ(design["labels"][0]["vertical"], false);
    EXPECT_EQ(design["labels"][0]["net"], 0);
    EXPECT_EQ(design["tags"], json::parse(R"([{"sheet":1,"from":[300,500],"to":[320,500],
        "name":"B","net":null,"busGroup":0}])"));

    // The labelled wire with R2's pin 1 and R1's pin 2; R1's pin 1 with VCC.
    ASSERT_EQ(design["nets"].size(), 2u);
    const json& mid = design["nets"][0];
    EXPECT_EQ(model::bytesOf(mid["key"]), "MID\xe4");
    EXPECT_EQ(model::bytesOf(mid["nameLine"]), "MID\xe4");
    EXPECT_EQ(model::bytesOf(mid["packageName"]), "MID\xe4");
    EXPECT_EQ(mid["written"], true);
    EXPECT_EQ(mid["names"].size(), 1u);
    EXPECT_EQ(mid["names"][0]["kind"], "label");
    EXPECT_EQ(mid["pins"], json::parse("[2,1]"));
    EXPECT_EQ(mid["members"], json::parse(R"([["wire",0],["label",0],["pin",2],["pin",1]])"));
    EXPECT_EQ(design["nets"][1], json::parse(R"({"key":"VCC",
        "names":[{"text":"VCC","kind":"pin","index":4,"power":true}],"nameLine":"VCC",
        "written":true,"packageName":"VCC","pins":[0],"members":[["pin",0],["pin",4]]})"));
    EXPECT_EQ(design["busGroups"], json::parse(R"([{"members":[["bus",0],["busEntry",0],
        ["tag",0]]}])"));

    ASSERT_EQ(design["findings"].size(), 3u);
    EXPECT_EQ(design["findings"][0], json::parse(R"({"kind":"lonely-pin","sheet":1,
        "at":[410,100],"message":"pin R2 RES [2] belongs to no net",
        "severity":"warning","subjects":["R2.2"]})"));
    EXPECT_EQ(design["findings"][2]["sheet"], 2);
}

// Every byte of a name comes back from the JSON as it stood in the file.
TEST_F(NetsJson, LosesNoByteOfANameInJson) {
    std::string text;
    for (int byte = 0x20; byte < 0x100; ++byte) {
        if (byte == '"' || byte == '\\')
            continue;
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        text += escaped;
    }
    std::string names;
    for (std::size_t at = 0; at < text.size(); at += 4 * 11) {
        std::string name = text.substr(at, 4 * 11);
        names += "label at=" + std::to_string(100 + at) + ",100 text=\"" + name + "\"\n";
    }
    sheet("bytes.sch", "sheet code=4\n" + names);
    RunResult run = tool({"nets", "bytes.sch", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json design = json::parse(run.out);
    std::string all;
    for (const json& label : design["labels"])
        all += model::bytesOf(label["name"]);
    std::string bytes;
    for (int byte = 0x20; byte < 0x100; ++byte) {
        if (byte != '"' && byte != '\\')
            bytes += static_cast<char>(byte);
    }
    EXPECT_EQ(all, bytes);
}

// Keys by net, read from the JSON.
std::map<std::string, std::string> packageNamesByKey(const std::string& out) {
    const json design = json::parse(out);
    std::map<std::string, std::string> names;
    for (const json& net : design["nets"])
        names[net["key"]] = net["packageName"];
    return names;
}

// An unnamed net added in front of the others renumbers the package
// format's generated names, but leaves every other net's key as it was.
TEST_F(NetsJson, KeysStayWhenAnUnrelatedUnnamedNetIsAdded) {
    const std::string nets = "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                             "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                             "wire from=210,100 to=350,100\n"
                             "part at=200,310 ref=\"R3\" name=\"RES\" lib=\"RES\"\n"
                             "part at=400,310 ref=\"R4\" name=\"RES\" lib=\"RES\"\n"
                             "wire from=210,300 to=350,300\n"
                             "label at=300,300 text=\"SIG\"\n"
                             "part at=200,510 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                             "part at=400,510 ref=\"R6\" name=\"RES\" lib=\"RES\"\n"
                             "wire from=210,500 to=350,500\n";
    const std::string added = "part at=200,710 ref=\"R7\" name=\"RES\" lib=\"RES\"\n"
                              "part at=400,710 ref=\"R8\" name=\"RES\" lib=\"RES\"\n"
                              "wire from=210,700 to=350,700\n";
    sheet("before.sch", "sheet code=4\n" + nets);
    sheet("after.sch", "sheet code=4\n" + added + nets);
    RunResult beforeRun = tool({"nets", "before.sch", "--json"});
    RunResult afterRun = tool({"nets", "after.sch", "--json"});
    ASSERT_EQ(beforeRun.status, 0) << beforeRun.err;
    ASSERT_EQ(afterRun.status, 0) << afterRun.err;
    std::map<std::string, std::string> before = packageNamesByKey(beforeRun.out);
    std::map<std::string, std::string> after = packageNamesByKey(afterRun.out);
    EXPECT_EQ(before, (std::map<std::string, std::string>{
                          {"R1.2", "N00001"}, {"SIG", "SIG"}, {"R5.2", "N00002"}}));
    EXPECT_EQ(after,
              (std::map<std::string, std::string>{
                  {"R7.2", "N00001"}, {"R1.2", "N00002"}, {"SIG", "SIG"}, {"R5.2", "N00003"}}));
}

TEST_F(NetsJson, ListsEachNetWithItsPinsAsText) {
    sheet("small.sch", smallDesign);
    RunResult run = tool({"nets", "small.sch"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "net MID\xe4  names: MID\xe4\n"
                       "    R2.1  sheet 1 at 350,100  R2 RES [1]\n"
                       "    R1.2  sheet 1 at 210,100  R1 RES [2]\n"
                       "net VCC  names: VCC\n"
                       "    R1.1  sheet 1 at 150,100  R1 RES [1]\n");
}

TEST_F(NetsJson, WritesToAFileButNotOverItsInputs) {
    sheet("small.sch", smallDesign);
    RunResult run = tool({"nets", "small.sch", "-o", "nets.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.read("nets.txt").substr(0, 7), "net MID");
    const std::string before = dir.read("small.sch");
    for (const char* input : {"small.sch", "TAVEL.INI", "basic.lib"}) {
        RunResult refused = tool({"nets", "small.sch", "--json", "-o", input});
        EXPECT_EQ(refused.status, 2) << input;
        EXPECT_EQ(refused.err, std::string("sheettool: can't write: ") + input + " is an input\n");
    }
    EXPECT_EQ(dir.read("small.sch"), before);
}

// Nets that share a name are told apart by their smallest listed pin: a
// power symbol's pin names a net, it does not tell it apart.
TEST_F(NetsJson, SharedNamesAreToldApartByListedPins) {
    sheet("k.sch", "sheet code=4\n"
                   "part at=200,110 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                   "wire from=210,100 to=350,100\n"
                   "label at=280,100 text=\"X\"\n"
                   "part at=360,90 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                   "part at=200,310 ref=\"R6\" name=\"RES\" lib=\"RES\"\n"
                   "wire from=210,300 to=350,300\n"
                   "label at=280,300 text=\"X\"\n");
    RunResult run = tool({"nets", "k.sch"});
    EXPECT_EQ(run.out, "net X[R5.2]  names: X, VCC\n"
                       "    R5.2  sheet 1 at 210,100  R5 RES [2]\n"
                       "net X[R6.2]  names: X\n"
                       "    R6.2  sheet 1 at 210,300  R6 RES [2]\n");
}

} // namespace
} // namespace dovla::sheettool::testing
