#include "connect/object_store.h"
#include "driver/messages.h"
#include "library/part_library.h"
#include "library/pin_placement.h"

namespace dovla {

void PartLibrary::resolvePartInstances() {
    for (PartInstance& instance : instances_) {
        instance.libPart = findLibPart(instance.libName);
        if (instance.libPart == nullptr)
            warn("can't find %s\n", instance.libName);
    }
}

LibPart* PartLibrary::findLibPart(const char* name) const {
    auto found = firstPartByName_.find(name);
    return found == firstPartByName_.end() ? nullptr : &libParts_[found->second];
}

void PartLibrary::createPinObjects(ObjectStore& store, bool packageFormat, PinObjectSink* sink) {
    for (std::uint32_t index = 0; index < instances_.count(); ++index) {
        const PartInstance& instance = instances_[index];
        const LibPart* part = instance.libPart;
        if (part == nullptr)
            continue;
        // A block the part does not have has no pin numbers to show.
        if (instance.block >= part->blockCount) {
            warn("bad block: %s\n", instance.libName);
            continue;
        }
        const char* objectName = instance.name[0] != '\0' ? instance.name : instance.libName;
        for (std::uint32_t i = 0; i < part->pinCount(); ++i) {
            const LibPin& pin = part->pins[i];
            std::uint16_t number = pin.numbers[instance.block];
            PinPoints points = placePin(instance.dir, pin.position, instance.x, instance.y,
                                        part->width, part->height);
            ShortText text = packageFormat
                                 ? formatPinTextPackage(instance.ref, number)
                                 : formatPinText(instance.ref, instance.block, part->blockCount,
                                                 objectName, number, pin.name);
            // Only the end point is registered; the root point gives the
            // pin's direction, whatever its sign.
            SheetObject* object = store.addObject(instance.kind, 0, points.endX, points.endY,
                                                  -points.rootX, -points.rootY, SecondEnd::Absent,
                                                  objectName, text.c_str(), instance.sheet);
            if (sink != nullptr)
                sink->pinMade(*object, index, i);
        }
    }
}

} // namespace dovla
