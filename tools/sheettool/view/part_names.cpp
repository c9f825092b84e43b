#include "part_names.h"

#include <unordered_map>
#include <unordered_set>

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
    std::unordered_map<std::string, int> uses;
    uses.reserve(design.parts.size());
    for (const model::Part& part : design.parts)
        ++uses[blockName(part)];
    std::vector<std::string> links;
    links.reserve(design.parts.size());
    std::unordered_set<std::string> taken;
    taken.reserve(design.parts.size());
    // For each link given a number, the number to try next: those below it
    // are taken, and stay taken, so a heap of parts on one place is
    // numbered in one pass, not each from 2 again.
    std::unordered_map<std::string, int> nextNumber;
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
        if (taken.count(unique) != 0) {
            int& n = nextNumber.try_emplace(link, 2).first->second;
            do
                unique = link + "~" + std::to_string(n++);
            while (taken.count(unique) != 0);
        }
        taken.insert(unique);
        links.push_back(std::move(unique));
    }
    return links;
}

} // namespace dovla::sheettool::view
