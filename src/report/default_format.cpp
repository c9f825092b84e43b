#include "connect/object_store.h"
#include "library/lib_part.h"
#include "library/part_instances.h"
#include "report/excluded_names.h"
#include "report/reports.h"

namespace dovla {

void ReportWriter::writePartList(const PartInstanceTable& instances) {
    std::fputs("\n#PartList\n\n", out_);
    for (const PartInstance& instance : instances) {
        if (!longListing_ && instance.block != 0)
            continue;
        if (excluded_.isExcluded(instance.name))
            continue;
        if (instance.ref[0] != '\0') {
            std::fputs(instance.ref, out_);
            // A part no library holds has no block count to show.
            if (longListing_ && instance.libPart != nullptr && instance.libPart->blockCount > 1)
                std::fprintf(out_, "(%d/%d)", instance.block + 1, instance.libPart->blockCount);
            std::fputs(":\t", out_);
        } else {
            std::fputc('\t', out_);
        }
        std::fputs(instance.name, out_);
        std::fputc('\n', out_);
    }
}

namespace {

// "%d" of a coordinate, without the cost of a formatted write.
void putNumber(std::int32_t value, std::FILE* out) {
    char digits[12];
    int count = 0;
    std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        std::fputc('-', out);
    while (count > 0)
        std::fputc(digits[--count], out);
}

// "(%d,%d)"
void putPoint(std::int32_t x, std::int32_t y, std::FILE* out) {
    std::fputc('(', out);
    putNumber(x, out);
    std::fputc(',', out);
    putNumber(y, out);
    std::fputc(')', out);
}

} // namespace

void ReportWriter::writeNetList(ObjectStore& store) {
    std::fputs("\n#NetList\n\n", out_);
    const GroupList& nets = store.nets();
    for (std::uint32_t i = 0; i < nets.size(); ++i) {
        const Group& net = nets[i];
        bool written = false;
        forEachMember(store, net, [&](const SheetObject* pin) {
            if (!isListedPin(store, *pin))
                return;
            if (!written) {
                writeNetNames(store, net);
                std::fputs("{\n", out_);
                written = true;
            }
            std::fputc('\t', out_);
            std::fputs(store.text(pin->text), out_);
            if (longListing_) {
                std::fputs("\t<", out_);
                putPoint(pin->x1, pin->y1, out_);
                std::fputc('>', out_);
            }
            std::fputc('\n', out_);
        });
        if (!written)
            continue;
        if (longListing_) {
            forEachMember(store, net, [&](const SheetObject* wire) {
                if (wire->kind != Wire)
                    return;
                std::fputs("\t\tWire\t\t<", out_);
                putPoint(wire->x1, wire->y1, out_);
                std::fputs(" - ", out_);
                putPoint(wire->x2, wire->y2, out_);
                std::fputs(">\n", out_);
            });
        }
        std::fputs("}\n", out_);
    }
}

} // namespace dovla
