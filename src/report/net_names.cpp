#include <cstring>

#include "connect/group.h"
#include "report/excluded_names.h"
#include "report/reports.h"

namespace dovla {

bool ReportWriter::isListedPin(const SheetObject& member) const {
    return member.kind == Pin && !excluded_.isExcluded(member.name);
}

// A name is passed over only when it repeats the one just written, so A, A,
// B, A gives "A, B,A": a comma and a blank before the second name, a comma
// alone before each later one.
int ReportWriter::writeNameSources(const Group& net) {
    const char* lastName = "";
    int count = 0;
    for (const SheetObject* member = net.first; member != nullptr; member = member->nextMember) {
        const char* written;
        if (member->kind == Label || member->kind == Tag)
            written = member->text;
        else if (member->kind == Pin && excluded_.isExcluded(member->name))
            written = member->name;
        else
            continue;
        if (count > 0 && std::strcmp(member->name, lastName) == 0)
            continue;
        if (count > 0)
            std::fputc(',', out_);
        if (count == 1)
            std::fputc(' ', out_);
        std::fputs(written, out_);
        // The stored names are lasting, so the last one need not be copied.
        lastName = member->name;
        ++count;
    }
    return count;
}

void ReportWriter::writeNetNames(const Group& net) {
    if (writeNameSources(net) > 0)
        std::fputc('\n', out_);
}

void ReportWriter::writePackageNetName(const Group& net) {
    if (writeNameSources(net) == 0)
        std::fprintf(out_, "N%05d", netNumber_++);
    std::fputs("; ", out_);
}

} // namespace dovla
