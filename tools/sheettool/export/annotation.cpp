#include "export/annotation.h"

#include <charconv>
#include <map>
#include <set>
#include <string_view>

#include "export/kicad_text.h"
#include "export/power_parts.h"

namespace dovla::sheettool::kicad {

namespace {

bool unannotated(const std::string& ref) {
    return ref.back() == '?';
}

// "U16" is U and 16, "R?" is R and no number; a reference of digits only
// or of question marks only takes the prefix U.
struct RefParts {
    std::string prefix;
    std::uint64_t number = 0;
    bool numbered = false;
};

RefParts split(std::string_view ref) {
    std::string_view stem = ref;
    while (!stem.empty() && stem.back() == '?')
        stem.remove_suffix(1);
    std::size_t digits = stem.size();
    while (digits > 0 && stem[digits - 1] >= '0' && stem[digits - 1] <= '9')
        --digits;
    RefParts parts{std::string(stem.substr(0, digits))};
    if (stem.size() > digits && stem.size() == ref.size()) {
        auto [rest, error] =
            std::from_chars(stem.data() + digits, stem.data() + stem.size(), parts.number);
        // Past a billion, a new number could wrap; such a reference counts
        // as no number.
        parts.numbered = error == std::errc() && parts.number < 1000000000;
    }
    if (parts.prefix.empty())
        parts.prefix.push_back('U');
    return parts;
}

// One symbol: the library part and the blocks it has taken.
struct Symbol {
    std::string libName;
    std::set<int> blocks;
    std::string ref; // in KiCad
};

} // namespace

Annotation annotate(const model::Design& design) {
    Annotation annotation;
    annotation.refs.resize(design.parts.size());
    std::vector<bool> named(design.parts.size());
    std::map<std::string, std::uint64_t> highest;
    for (std::uint32_t i = 0; i < design.parts.size(); ++i) {
        const model::Part& part = design.parts[i];
        named[i] = !part.ref.empty() && !isPowerPart(design, part);
        RefParts parts = named[i] ? split(utf8Text(part.ref)) : RefParts{};
        if (parts.numbered)
            highest[parts.prefix] = std::max(highest[parts.prefix], parts.number);
    }
    std::map<std::string, std::vector<Symbol>> symbols; // by the design's reference
    for (std::uint32_t i = 0; i < design.parts.size(); ++i) {
        if (!named[i])
            continue;
        const model::Part& part = design.parts[i];
        std::string ref = utf8Text(part.ref);
        std::vector<Symbol>& alike = symbols[ref];
        Symbol* symbol = nullptr;
        if (!unannotated(ref)) {
            for (Symbol& candidate : alike)
                if (candidate.libName == part.libName && !candidate.blocks.contains(part.block)) {
                    symbol = &candidate;
                    break;
                }
        }
        if (symbol == nullptr) {
            bool keeps = alike.empty() && !unannotated(ref);
            alike.push_back({part.libName, {}, ref});
            symbol = &alike.back();
            if (!keeps) {
                RefParts parts = split(ref);
                symbol->ref = parts.prefix + std::to_string(++highest[parts.prefix]);
                annotation.changes.push_back({i, ref, symbol->ref, unannotated(ref)});
            }
        }
        symbol->blocks.insert(part.block);
        annotation.refs[i] = symbol->ref;
    }
    return annotation;
}

std::string renumberingText(const model::Design& design, const Renumbering& change) {
    const model::Part& part = design.parts[change.part];
    return change.from + " (" + utf8Text(part.libName) + ", sheet " + std::to_string(part.sheet) +
           ") is " + change.to + " in KiCad: " +
           (change.unannotated ? "it had no number" : "another part is " + change.from);
}

} // namespace dovla::sheettool::kicad
