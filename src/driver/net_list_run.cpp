#include "driver/net_list_run.h"

#include "connect/net_builder.h"

namespace dovla {

NetListRun::~NetListRun() {
    if (options.outputStream != stdout)
        std::fclose(options.outputStream);
}

int NetListRun::runNetList(const char* sheetName) {
    readDesign(sheetName);
    reports.setOutput(options.outputStream);
    reports.setLongListing(options.longListing);
    if (options.packageFormat)
        reports.writePackageList(parts.instances());
    else
        reports.writePartList(parts.instances());
    // The part list is written before the pins exist, the net list once the
    // nets are complete. Nothing reads the placed parts once their pins are
    // made, so their table makes room for the nets. Only the long listing
    // of the default format shows wires.
    const bool wiresListed = options.longListing && !options.packageFormat;
    connectDesign(nullptr, nullptr, PartTable::Drop, wiresListed ? everyPiece : firstPiecesOfAlike);
    if (options.packageFormat) {
        reports.writePackageNets(store);
        std::fputs("$END\n", options.outputStream);
    } else {
        reports.writeNetList(store);
        std::fputs("\n#End\n", options.outputStream);
    }
    return 0;
}

void NetListRun::readDesign(const char* sheetName, SheetRecordSink* records) {
    libraries.readLibraryList();
    sheet.openSheetFile(sheetName);
    parts.instances().resetPartInstances();
    store.createPointGrid();
    sheet.readSheetFile(store, parts.instances(), records);
    for (int i = 0; i < libraries.libraryCount(); ++i)
        parts.readLibrary(libraries.libraryPath(i));
    parts.resolvePartInstances();
}

void NetListRun::connectDesign(PinObjectSink* pins, WirePieceSink* pieces, PartTable table,
                               PieceDetail detail) {
    parts.createPinObjects(store, options.packageFormat, pins);
    if (table == PartTable::Drop)
        parts.instances().resetPartInstances();
    NetBuilder(store, excluded, options.scanStep, pieces, detail).buildNets();
}

} // namespace dovla
