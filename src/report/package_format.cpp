#include "connect/object_store.h"
#include "library/part_instances.h"
#include "report/excluded_names.h"
#include "report/reports.h"

namespace dovla {

void ReportWriter::writePackageList(const PartInstanceTable& instances) {
    std::fputs("$PACKAGES\n", out_);
    for (const PartInstance& instance : instances) {
        if (!longListing_ && instance.block != 0)
            continue;
        if (excluded_.isExcluded(instance.name))
            continue;
        std::fprintf(out_, "! %s;", instance.name);
        if (instance.ref[0] != '\0')
            std::fprintf(out_, " %s", instance.ref);
        std::fputc('\n', out_);
    }
}

// At most four pins a line; ",\n\t" stands before the 5th, 9th, ... pin.
void ReportWriter::writePackageNets(ObjectStore& store) {
    std::fputs("$NETS\n", out_);
    RingNode* nets = store.netRing();
    for (RingNode* node = nets->next; node != nets; node = node->next) {
        auto* net = static_cast<RingNode*>(node->data);
        int pins = 0;
        for (RingNode* member = net->next; member != net; member = member->next) {
            auto* pin = static_cast<SheetObject*>(member->data);
            if (!isListedPin(*pin))
                continue;
            if (pins == 0)
                writePackageNetName(net);
            else if (pins % 4 == 0)
                std::fputs(",\n\t", out_);
            std::fprintf(out_, " %s", pin->text);
            ++pins;
        }
        if (pins > 0)
            std::fputc('\n', out_);
    }
}

} // namespace dovla
