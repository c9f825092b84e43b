#pragma once

#include <cstring>

#include "connect/group.h"
#include "report/excluded_names.h"

namespace dovla {

// The names a net carries, as the net lists write them: its labels and tags
// (written as their text) and its power pins (written as their name), in
// member order; a name is passed over only when it repeats the one just
// taken, so A, A, B, A gives A, B, A. visit(written, source) for each.
template <typename Visit>
int forEachNetName(const Group& net, const ExcludedNameList& excluded, Visit visit) {
    const char* lastName = "";
    int count = 0;
    for (const SheetObject* member = net.first; member != nullptr; member = member->nextMember) {
        const char* written;
        if (member->kind == Label || member->kind == Tag)
            written = member->text;
        else if (member->kind == Pin && excluded.isExcluded(member->name))
            written = member->name;
        else
            continue;
        if (count > 0 && std::strcmp(member->name, lastName) == 0)
            continue;
        visit(written, *member);
        // The stored names are lasting, so the last one need not be copied.
        lastName = member->name;
        ++count;
    }
    return count;
}

} // namespace dovla
