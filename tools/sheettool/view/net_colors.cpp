#include "net_colors.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>
#include <unordered_map>

namespace dovla::sheettool::view {

namespace {

constexpr int paletteSize = static_cast<int>(std::size(netPalette));

// A power net's colour, or null: ground names look like ground.
const char* powerColor(const model::Net& net) {
    for (const model::NetName& name : net.names) {
        if (!name.power)
            continue;
        std::string upper;
        for (char c : name.text)
            upper += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        bool ground = upper.find("GND") != std::string::npos ||
                      upper.find("VSS") != std::string::npos || upper == "0V";
        return ground ? groundColor : supplyColor;
    }
    return nullptr;
}

// The nets of one sheet, in cells of the reach's size: two nets with lines
// in the same or touching cells are neighbours. A cell that more nets pass
// than `crowd` is no drawing that colours could help read (the grid has
// room for a few dozen lines in a cell): it makes no neighbours, so that a
// damaged or generated file's heap of lines costs no more than its size.
class SheetCells {
  public:
    void add(std::uint32_t net, model::Point from, model::Point to) {
        // Points along the line no farther apart than half a cell, so that
        // no cell the line crosses is missed.
        std::int64_t dx = std::int64_t{to.x} - from.x;
        std::int64_t dy = std::int64_t{to.y} - from.y;
        std::int64_t steps = std::max(std::llabs(dx), std::llabs(dy)) / (neighbourReach / 2) + 1;
        // A damaged file's line across the whole plane, or lines beyond
        // what any drawing holds, are not walked cell by cell: their ends
        // stand for them.
        if (steps > 4096 || walked_ + steps > walkLimit)
            steps = 1;
        walked_ += steps;
        for (std::int64_t i = 0; i <= steps; ++i)
            mark(net, from.x + dx * i / steps, from.y + dy * i / steps);
    }

    // The neighbours of every net, each set in ascending order.
    std::map<std::uint32_t, std::set<std::uint32_t>> neighbours() {
        std::map<std::uint32_t, std::vector<Cell>> cellsOf;
        for (auto& [cell, nets] : cells_) {
            std::sort(nets.begin(), nets.end());
            nets.erase(std::unique(nets.begin(), nets.end()), nets.end());
            for (std::uint32_t net : nets)
                cellsOf[net].push_back(cell);
        }
        // seen[b] == a + 1 once b is among a's neighbours: each neighbour
        // goes into the set once, however many cells the two share.
        std::vector<std::uint32_t> seen(cellsOf.empty() ? 0 : cellsOf.rbegin()->first + 1);
        std::map<std::uint32_t, std::set<std::uint32_t>> result;
        for (const auto& [net, cells] : cellsOf) {
            std::set<std::uint32_t>& near = result[net];
            for (const Cell& cell : cells) {
                if (cells_.at(cell).size() > crowd)
                    continue;
                for (std::int64_t ox = -1; ox <= 1; ++ox) {
                    for (std::int64_t oy = -1; oy <= 1; ++oy) {
                        auto found = cells_.find(key(cell.first + ox, cell.second + oy));
                        if (found == cells_.end() || found->second.size() > crowd)
                            continue;
                        for (std::uint32_t other : found->second) {
                            if (other != net && seen[other] != net + 1) {
                                seen[other] = net + 1;
                                near.insert(other);
                            }
                        }
                    }
                }
            }
        }
        return result;
    }

  private:
    static constexpr std::size_t crowd = 128;
    static constexpr std::int64_t walkLimit = 1'000'000;

    using Cell = std::pair<std::int64_t, std::int64_t>;
    struct CellHash {
        std::size_t operator()(const Cell& c) const {
            return std::hash<std::int64_t>()(c.first * 1000003 ^ c.second);
        }
    };
    static Cell key(std::int64_t x, std::int64_t y) { return {x, y}; }
    static std::int64_t cellOf(std::int64_t v) {
        return v >= 0 ? v / neighbourReach : -((-v + neighbourReach - 1) / neighbourReach);
    }
    // A net is listed once more in a cell only when another of its lines
    // comes back to it; the lists are made unique before they are read.
    void mark(std::uint32_t net, std::int64_t x, std::int64_t y) {
        std::vector<std::uint32_t>& nets = cells_[key(cellOf(x), cellOf(y))];
        if (nets.empty() || nets.back() != net)
            nets.push_back(net);
    }
    std::unordered_map<Cell, std::vector<std::uint32_t>, CellHash> cells_;
    std::int64_t walked_ = 0;
};

// An item of a net as a line from its one end to its other (a point for
// an item of one end); a pin by its end, where it meets other items.
void addLines(const model::Design& design, model::ItemRef item, SheetCells& cells) {
    model::GroupRef group = model::groupOf(design, item);
    if (group.kind != model::GroupRef::Net)
        return;
    model::Point ends[2];
    int count = 0;
    model::forEachEnd(design, item, [&](int, model::Point at) { ends[count++ & 1] = at; });
    cells.add(group.index, ends[0], count > 1 ? ends[1] : ends[0]);
}

SheetColors colorSheet(const model::Design& design, SheetCells& cells) {
    SheetColors colors;
    std::unordered_map<std::uint32_t, int> chosen; // palette index, or -1 for a power net
    for (const auto& [net, near] : cells.neighbours()) {
        if (const char* fixed = powerColor(design.nets[net])) {
            colors.emplace_back(net, fixed);
            chosen[net] = -1;
            continue;
        }
        std::array<int, paletteSize> taken{};
        for (std::uint32_t other : near) {
            auto found = chosen.find(other);
            if (found != chosen.end() && found->second >= 0)
                ++taken[found->second];
        }
        // The first colour free around it; with none free, the one its
        // neighbours use least.
        int best = 0;
        for (int c = 1; c < paletteSize; ++c) {
            if (taken[c] < taken[best])
                best = c;
        }
        chosen[net] = best;
        colors.emplace_back(net, netPalette[best]);
    }
    return colors;
}

} // namespace

std::vector<SheetColors> colorNets(const model::Design& design,
                                   const std::vector<DrawnSheet>& sheets) {
    std::array<int, sheetSlots> slot;
    slot.fill(-1);
    for (std::size_t i = 0; i < sheets.size(); ++i)
        slot[sheets[i].number] = static_cast<int>(i);
    std::vector<SheetCells> cells(sheets.size());
    for (const model::ItemRef& item : design.items) {
        int sheet = model::sheetOf(design, item);
        if (sheet >= 0 && sheet < sheetSlots && slot[sheet] >= 0)
            addLines(design, item, cells[slot[sheet]]);
    }
    std::vector<SheetColors> colors;
    colors.reserve(sheets.size());
    for (SheetCells& sheet : cells)
        colors.push_back(colorSheet(design, sheet));
    return colors;
}

} // namespace dovla::sheettool::view
