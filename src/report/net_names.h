#pragma once

#include <cstring>

#include "connect/object_store.h"
#include "report/excluded_names.h"

namespace dovla {

// The names a net carries, as the net lists write them: its labels and tags
// (written as their text) and its power pins (written as their name), in
// member order; a name is passed over only when it repeats the one just
// taken, so A, A, B, A gives A, B, A. visit(written, source) for each.
template <typename Visit>
int forEachNetName(const ObjectStore& store, const Group& net, const ExcludedNameList& excluded,
                   Visit visit) {
    const char* lastName = "";
    int count = 0;
    forEachMember(store, net, [&](const SheetObject* object) {
        const SheetObject& member = *object;
        const char* name = store.text(member.name);
        const char* written;
        if (member.kind == Label || member.kind == Tag)
            written = store.text(member.text);
        else if (member.kind == Pin && excluded.isExcluded(name))
            written = name;
        else
            return;
        if (count > 0 && std::strcmp(name, lastName) == 0)
            return;
        visit(written, member);
        // The stored names are lasting, so the last one need not be copied.
        lastName = name;
        ++count;
    });
    return count;
}

} // namespace dovla
