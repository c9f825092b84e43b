#include "net_colors.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>

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

    // Calls visit(net, near) for every net with a line here, by ascending
    // net, with its neighbours, each once, in no particular order.
    template <typename Visit> void forEachNet(std::size_t netCount, Visit visit) {
        std::sort(marks_.begin(), marks_.end());
        marks_.erase(std::unique(marks_.begin(), marks_.end()), marks_.end());
        // The cells in order, each with the first of its marks.
        std::vector<std::uint64_t> cellKeys;
        std::vector<std::size_t> firstMark;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> cellsOfNets; // (net, cell)
        cellsOfNets.reserve(marks_.size());
        for (std::size_t i = 0; i < marks_.size(); ++i) {
            if (cellKeys.empty() || cellKeys.back() != marks_[i].first) {
                cellKeys.push_back(marks_[i].first);
                firstMark.push_back(i);
            }
            cellsOfNets.emplace_back(marks_[i].second,
                                     static_cast<std::uint32_t>(cellKeys.size() - 1));
        }
        firstMark.push_back(marks_.size());
        std::sort(cellsOfNets.begin(), cellsOfNets.end());
        auto crowded = [&](std::size_t cell) {
            return firstMark[cell + 1] - firstMark[cell] > crowd;
        };
        // seen[b] == a + 1 once b is among a's neighbours: each neighbour
        // is listed once, however many cells the two share.
        std::vector<std::uint32_t> seen(netCount);
        std::vector<std::uint32_t> near;
        for (std::size_t i = 0; i < cellsOfNets.size();) {
            const std::uint32_t net = cellsOfNets[i].first;
            near.clear();
            for (; i < cellsOfNets.size() && cellsOfNets[i].first == net; ++i) {
                const std::uint32_t cell = cellsOfNets[i].second;
                if (crowded(cell))
                    continue;
                // The three cells of a column around lie side by side in
                // order, found by one search.
                const std::uint64_t middle = cellKeys[cell];
                for (std::uint64_t left = middle - column - 1; left <= middle + column - 1;
                     left += column) {
                    for (auto found = std::lower_bound(cellKeys.begin(), cellKeys.end(), left);
                         found != cellKeys.end() && *found <= left + 2; ++found) {
                        auto other = static_cast<std::size_t>(found - cellKeys.begin());
                        if (crowded(other))
                            continue;
                        for (std::size_t m = firstMark[other]; m < firstMark[other + 1]; ++m) {
                            std::uint32_t neighbour = marks_[m].second;
                            if (neighbour != net && seen[neighbour] != net + 1) {
                                seen[neighbour] = net + 1;
                                near.push_back(neighbour);
                            }
                        }
                    }
                }
            }
            visit(net, near);
        }
    }

  private:
    static constexpr std::size_t crowd = 128;
    static constexpr std::int64_t walkLimit = 1'000'000;

    // A cell's two numbers in one that sorts as the pair would: each of
    // them fits 32 bits, and with its sign bit turned it takes no sign.
    static constexpr std::uint64_t column = std::uint64_t{1} << 32;
    static std::uint64_t key(std::int64_t x, std::int64_t y) {
        constexpr std::uint32_t sign = 0x8000'0000;
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(x) ^ sign) << 32 |
               (static_cast<std::uint32_t>(y) ^ sign);
    }
    static std::int64_t cellOf(std::int64_t v) {
        return v >= 0 ? v / neighbourReach : -((-v + neighbourReach - 1) / neighbourReach);
    }
    // A net is marked once more in a cell only when another of its lines
    // comes back to it; the marks are made unique before they are read.
    void mark(std::uint32_t net, std::int64_t x, std::int64_t y) {
        std::pair<std::uint64_t, std::uint32_t> at{key(cellOf(x), cellOf(y)), net};
        if (marks_.empty() || marks_.back() != at)
            marks_.push_back(at);
    }
    std::vector<std::pair<std::uint64_t, std::uint32_t>> marks_; // (cell, net)
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

// The colour of a net: a power name's, else the first colour of the
// palette that none of its neighbours (nets before it) has; with none free,
// the one its neighbours use least.
const char* colorOf(const model::Design& design, std::uint32_t net,
                    const std::vector<std::uint32_t>& near, std::vector<int>& chosen) {
    if (const char* fixed = powerColor(design.nets[net])) {
        chosen[net] = -1;
        return fixed;
    }
    std::array<int, paletteSize> taken{};
    for (std::uint32_t other : near) {
        if (chosen[other] >= 0)
            ++taken[chosen[other]];
    }
    int best = 0;
    for (int c = 1; c < paletteSize; ++c) {
        if (taken[c] < taken[best])
            best = c;
    }
    chosen[net] = best;
    return netPalette[best];
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
    // Each net's neighbours on every sheet, and the nets each sheet draws.
    std::vector<std::vector<std::uint32_t>> near(design.nets.size());
    std::vector<std::vector<std::uint32_t>> drawn(sheets.size());
    for (std::size_t sheet = 0; sheet < cells.size(); ++sheet) {
        cells[sheet].forEachNet(design.nets.size(),
                                [&](std::uint32_t net, const std::vector<std::uint32_t>& around) {
                                    drawn[sheet].push_back(net);
                                    near[net].insert(near[net].end(), around.begin(), around.end());
                                });
        cells[sheet] = SheetCells();
    }
    // One colour a net, in the design's net order, the same on every sheet.
    std::vector<int> chosen(design.nets.size(), -2);
    std::vector<const char*> color(design.nets.size(), nullptr);
    for (std::uint32_t net = 0; net < design.nets.size(); ++net) {
        std::vector<std::uint32_t>& around = near[net];
        std::sort(around.begin(), around.end());
        around.erase(std::unique(around.begin(), around.end()), around.end());
        color[net] = colorOf(design, net, around, chosen);
        std::vector<std::uint32_t>().swap(around);
    }
    std::vector<SheetColors> colors(sheets.size());
    for (std::size_t sheet = 0; sheet < sheets.size(); ++sheet) {
        for (std::uint32_t net : drawn[sheet])
            colors[sheet].emplace_back(net, color[net]);
    }
    return colors;
}

} // namespace dovla::sheettool::view
