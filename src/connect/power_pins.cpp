#include <string_view>
#include <unordered_map>
#include <vector>

#include "connect/net_builder.h"
#include "report/excluded_names.h"

namespace dovla {

// Of all pins of one excluded name, only the first in object order makes
// joins that change anything: it takes every later one into its net, after
// which the joins among the later pins find them in one net already. So the
// joins are made name by name, in the order of each name's first pin, and
// for each name with the later pins in object order, which is exactly what
// comparing every pin with every later object does.
void NetBuilder::joinPowerPins() {
    std::unordered_map<std::string_view, std::vector<SheetObject*>> pinsByName;
    std::vector<std::vector<SheetObject*>*> namesInOrder;
    for (std::uint32_t i = 0; i < store_.objectCount(); ++i) {
        SheetObject* object = &store_.object(i);
        if (object->kind != Pin)
            continue;
        const char* name = store_.text(object->name);
        auto found = pinsByName.find(std::string_view(name));
        if (found != pinsByName.end()) {
            found->second.push_back(object);
        } else if (excluded_.isExcluded(name)) {
            auto& pins = pinsByName[std::string_view(name)];
            pins.push_back(object);
            namesInOrder.push_back(&pins);
        }
    }
    for (std::vector<SheetObject*>* pins : namesInOrder) {
        SheetObject* first = pins->front();
        for (std::size_t i = 1; i < pins->size(); ++i)
            joinObjects(store_.nets(), first, (*pins)[i]);
    }
}

} // namespace dovla
