#include "report/net_names.h"
#include "report/reports.h"

namespace dovla {

bool ReportWriter::isListedPin(const ObjectStore& store, const SheetObject& member) const {
    return member.kind == Pin && !excluded_.isExcluded(store.text(member.name));
}

// A comma and a blank before the second name, a comma alone before each
// later one: A, B,C.
int ReportWriter::writeNameSources(const ObjectStore& store, const Group& net) {
    int count = 0;
    return forEachNetName(store, net, excluded_, [&](const char* written, const SheetObject&) {
        if (count > 0)
            std::fputc(',', out_);
        if (count == 1)
            std::fputc(' ', out_);
        std::fputs(written, out_);
        ++count;
    });
}

void ReportWriter::writeNetNames(const ObjectStore& store, const Group& net) {
    if (writeNameSources(store, net) > 0)
        std::fputc('\n', out_);
}

void ReportWriter::writePackageNetName(const ObjectStore& store, const Group& net) {
    if (writeNameSources(store, net) == 0)
        std::fprintf(out_, "N%05d", netNumber_++);
    std::fputs("; ", out_);
}

} // namespace dovla
