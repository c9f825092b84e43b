#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace dovla::sheettool::testing {

// The design that a page of `sheettool view` holds, read as its script
// reads it: the text of the JSON script element, parsed, and each sheet's
// items read from their text into the sheet. Null when the page has no
// such element. The review page of diff holds its data under the id
// "review".
inline nlohmann::json designOfPage(const std::string& page, const std::string& id = "design") {
    const std::string open = "<script type=\"application/json\" id=\"" + id + "\">";
    std::size_t start = page.find(open);
    if (start == std::string::npos)
        return nullptr;
    start += open.size();
    std::size_t end = page.find("</script>", start);
    if (end == std::string::npos)
        return nullptr;
    nlohmann::json design = nlohmann::json::parse(page.substr(start, end - start));
    if (design.contains("sheets")) {
        for (nlohmann::json& sheet : design["sheets"]) {
            if (sheet.contains("items") && sheet["items"].is_string()) {
                sheet.update(nlohmann::json::parse(sheet["items"].get<std::string>()));
                sheet.erase("items");
            }
        }
    }
    return design;
}

} // namespace dovla::sheettool::testing
