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
        std::fprintf(out_, "%s\n", instance.name);
    }
}

void ReportWriter::writeNetList(ObjectStore& store) {
    std::fputs("\n#NetList\n\n", out_);
    RingNode* nets = store.netRing();
    for (RingNode* node = nets->next; node != nets; node = node->next) {
        auto* net = static_cast<RingNode*>(node->data);
        bool written = false;
        for (RingNode* member = net->next; member != net; member = member->next) {
            auto* pin = static_cast<SheetObject*>(member->data);
            if (!isListedPin(*pin))
                continue;
            if (!written) {
                writeNetNames(net);
                std::fputs("{\n", out_);
                written = true;
            }
            std::fprintf(out_, "\t%s", pin->text);
            if (longListing_)
                std::fprintf(out_, "\t<(%d,%d)>", pin->x1, pin->y1);
            std::fputc('\n', out_);
        }
        if (!written)
            continue;
        if (longListing_) {
            for (RingNode* member = net->next; member != net; member = member->next) {
                auto* wire = static_cast<SheetObject*>(member->data);
                if (wire->kind == Wire)
                    std::fprintf(out_, "\t\tWire\t\t<(%d,%d) - (%d,%d)>\n", wire->x1, wire->y1,
                                 wire->x2, wire->y2);
            }
        }
        std::fputs("}\n", out_);
    }
}

} // namespace dovla
