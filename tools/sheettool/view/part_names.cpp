#include "part_names.h"

#include <map>
#include <set>

namespace dovla::sheettool::view {

std::string blockName(const model::Part& part) {
    if (part.ref.empty() || !part.found || part.blockCount < 2)
        return part.ref;
    std::string name = part.ref;
    name += '(';
    name += std::to_string(part.block + 1);
    name += '/';
    name += std::to_string(part.blockCount);
    name += ')';
    return name;
}

std::vector<std::string> partLinks(const model::Design& design) {
    std::map<std::string, int> uses;
    for (const model::Part& part : design.parts)
        ++uses[blockName(part)];
    std::vector<std::string> links;
    links.reserve(design.parts.size());
    std::set<std::string> taken;
    for (const model::Part& part : design.parts) {
        std::string link = blockName(part);
        if (link.empty() || uses[link] > 1) {
            std::string name = link.empty() ? part.name : link;
            link = name;
            link += '@';
            link += std::to_string(part.sheet);
            link += ':';
            link += std::to_string(part.origin.x);
            link += ',';
            link += std::to_string(part.origin.y);
        }
        std::string unique = link;
        for (int n = 2; taken.count(unique) != 0; ++n)
            unique = link + "~" + std::to_string(n);
        taken.insert(unique);
        links.push_back(std::move(unique));
    }
    return links;
}

} // namespace dovla::sheettool::view
