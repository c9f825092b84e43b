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
        std::fputs("! ", out_);
        std::fputs(instance.name, out_);
        std::fputc(';', out_);
        if (instance.ref[0] != '\0') {
            std::fputc(' ', out_);
            std::fputs(instance.ref, out_);
        }
        std::fputc('\n', out_);
    }
}

// At most four pins a line; ",\n\t" stands before the 5th, 9th, ... pin.
void ReportWriter::writePackageNets(ObjectStore& store) {
    std::fputs("$NETS\n", out_);
    const GroupList& nets = store.nets();
    for (std::uint32_t i = 0; i < nets.size(); ++i) {
        const Group& net = nets[i];
        int pins = 0;
        forEachMember(store, net, [&](const SheetObject* pin) {
            if (!isListedPin(store, *pin))
                return;
            if (pins == 0)
                writePackageNetName(store, net);
            else if (pins % 4 == 0)
                std::fputs(",\n\t", out_);
            std::fputc(' ', out_);
            std::fputs(store.text(pin->text), out_);
            ++pins;
        });
        if (pins > 0)
            std::fputc('\n', out_);
    }
}

} // namespace dovla
