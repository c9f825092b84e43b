#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "diff_stages.h"

namespace dovla::model {

namespace {

const char* const sideNames[] = {"left", "top", "right", "bottom"};

std::string placeOf(const SymbolPin& pin) {
    return std::string(sideNames[pin.side & 3]) + " " + std::to_string(pin.offset);
}

// A pin is known by its first block's number: a pin that keeps it is the
// same pin wherever the library moves it. Pins that share it (which a
// library should not have) are told apart by their order.
std::vector<std::pair<std::string, const SymbolPin*>> pinsOf(const Symbol& symbol) {
    std::vector<std::pair<std::string, const SymbolPin*>> pins;
    std::map<std::string, int> seen;
    for (const SymbolPin& pin : symbol.pins) {
        std::string key = pin.numbers.empty() ? "(no number)" : pin.numbers[0];
        if (int repeat = seen[key]++; repeat > 0)
            key += " (" + std::to_string(repeat + 1) + ")";
        pins.emplace_back(key, &pin);
    }
    return pins;
}

class PartComparison {
  public:
    PartComparison(const Symbol& was, const Symbol& is, std::vector<LibraryChange>& out)
        : was_(was), is_(is), out_(out) {}

    void run(const std::string& wasLibrary, const std::string& isLibrary) {
        if (wasLibrary != isLibrary)
            add(LibraryChange::Source, {}, wasLibrary, isLibrary);
        if (was_.blockCount != is_.blockCount)
            add(LibraryChange::Blocks, {}, std::to_string(was_.blockCount),
                std::to_string(is_.blockCount));
        if (was_.width != is_.width || was_.height != is_.height)
            add(LibraryChange::Body, {}, bodyOf(was_), bodyOf(is_));
        pins();
    }

  private:
    static std::string bodyOf(const Symbol& symbol) {
        return std::to_string(symbol.width) + "x" + std::to_string(symbol.height);
    }

    void add(LibraryChange::Kind kind, std::vector<std::string> pins, std::string from,
             std::string to) {
        out_.push_back({is_.libName, kind, std::move(pins), std::move(from), std::move(to)});
    }

    void pins() {
        const auto before = pinsOf(was_);
        const auto after = pinsOf(is_);
        std::map<std::string, const SymbolPin*> wasPin(before.begin(), before.end());
        std::map<std::string, const SymbolPin*> isPin(after.begin(), after.end());
        // Two pins that took each other's places swapped; a name that went
        // with its place is no rename.
        std::map<std::string, std::string> partner;
        for (const auto& [key, pin] : before) {
            auto now = isPin.find(key);
            if (now == isPin.end()) {
                add(LibraryChange::PinRemoved, {key}, placeOf(*pin), "");
                continue;
            }
            const SymbolPin& moved = *now->second;
            if (placeOf(moved) != placeOf(*pin) && partner.count(key) == 0) {
                std::string other = swapPartner(key, before, isPin);
                if (!other.empty()) {
                    partner[key] = other;
                    partner[other] = key;
                    add(LibraryChange::PinsSwapped, {key, other}, "", "");
                } else {
                    add(LibraryChange::PinMoved, {key}, placeOf(*pin), placeOf(moved));
                }
            }
            renumbered(key, *pin, moved);
            auto swapped = partner.find(key);
            bool nameFollowedPlace =
                swapped != partner.end() && wasPin.at(swapped->second)->name == moved.name;
            if (moved.name != pin->name && !nameFollowedPlace)
                add(LibraryChange::PinRenamed, {key}, pin->name, moved.name);
        }
        for (const auto& [key, pin] : after) {
            if (wasPin.count(key) == 0)
                add(LibraryChange::PinAdded, {key}, "", placeOf(*pin));
        }
    }

    // Another block's number of a pin changed; blocks that only one side
    // has are the block count's change.
    void renumbered(const std::string& key, const SymbolPin& was, const SymbolPin& is) {
        std::size_t blocks = std::min(was.numbers.size(), is.numbers.size());
        std::vector<std::string> before(was.numbers.begin(), was.numbers.begin() + blocks);
        std::vector<std::string> after(is.numbers.begin(), is.numbers.begin() + blocks);
        if (before != after)
            add(LibraryChange::PinRenumbered, {key}, joined(before), joined(after));
    }

    static std::string joined(const std::vector<std::string>& numbers) {
        std::string text;
        for (const std::string& number : numbers)
            text += (text.empty() ? "" : "/") + number;
        return text;
    }

    // The pin that is now where this one was, and was where this one is.
    static std::string
    swapPartner(const std::string& key,
                const std::vector<std::pair<std::string, const SymbolPin*>>& before,
                const std::map<std::string, const SymbolPin*>& isPin) {
        const SymbolPin* wasHere = nullptr;
        for (const auto& [other, pin] : before) {
            if (other == key)
                wasHere = pin;
        }
        const std::string now = placeOf(*isPin.at(key));
        for (const auto& [other, pin] : before) {
            auto otherNow = isPin.find(other);
            if (other != key && otherNow != isPin.end() && placeOf(*pin) == now &&
                placeOf(*otherNow->second) == placeOf(*wasHere))
                return other;
        }
        return "";
    }

    const Symbol& was_;
    const Symbol& is_;
    std::vector<LibraryChange>& out_;
};

// The library a symbol came from, as the configuration names it.
std::string libraryOf(const Design& design, const Symbol& symbol) {
    if (symbol.library < 0 || symbol.library >= static_cast<int>(design.libraryNames.size()))
        return "";
    return design.libraryNames[static_cast<std::size_t>(symbol.library)];
}

} // namespace

void diffLibraryParts(const Design& oldDesign, const Design& newDesign, DesignDiff& diff) {
    std::map<std::string, const Symbol*> before;
    for (const Symbol& symbol : oldDesign.symbols)
        before.emplace(symbol.libName, &symbol);
    std::map<std::string, const Symbol*> after;
    for (const Symbol& symbol : newDesign.symbols)
        after.emplace(symbol.libName, &symbol);
    for (const auto& [name, symbol] : after) {
        auto was = before.find(name);
        if (was != before.end())
            PartComparison(*was->second, *symbol, diff.libraryChanges)
                .run(libraryOf(oldDesign, *was->second), libraryOf(newDesign, *symbol));
    }
}

DesignDiff diffLibraries(const std::vector<Symbol>& oldParts, const std::vector<Symbol>& newParts) {
    DesignDiff diff;
    // A library's first part of a name is the one every design binds.
    std::map<std::string, const Symbol*> before;
    for (const Symbol& symbol : oldParts)
        before.emplace(symbol.libName, &symbol);
    std::map<std::string, const Symbol*> after;
    for (const Symbol& symbol : newParts)
        after.emplace(symbol.libName, &symbol);
    std::set<std::string> names;
    for (const auto& [name, symbol] : before)
        names.insert(name);
    for (const auto& [name, symbol] : after)
        names.insert(name);
    for (const std::string& name : names) {
        auto was = before.find(name);
        auto is = after.find(name);
        if (was == before.end())
            diff.libraryChanges.push_back({name, LibraryChange::PartAdded, {}, "", ""});
        else if (is == after.end())
            diff.libraryChanges.push_back({name, LibraryChange::PartRemoved, {}, "", ""});
        else
            PartComparison(*was->second, *is->second, diff.libraryChanges).run("", "");
    }
    return diff;
}

} // namespace dovla::model
