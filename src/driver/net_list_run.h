#pragma once

#include "connect/net_builder.h"
#include "connect/object_store.h"
#include "driver/library_list.h"
#include "driver/options.h"
#include "library/part_library.h"
#include "report/reports.h"
#include "sheet/sheet_reader.h"

namespace dovla {

class AllocPool;
class ExcludedNameList;

// One run from sheet file to report: the state of every stage, owned once
// by the process (and made afresh by tests and fuzz targets).
class NetListRun {
  public:
    NetListRun(ExcludedNameList& excluded, AllocPool& objectPool, AllocPool& partPool)
        : excluded(excluded), store(objectPool), parts(partPool), reports(excluded) {}
    // A run that ended through fatal leaves its output open; it is flushed
    // and closed here, so that the report written before the error stays.
    ~NetListRun();
    NetListRun(const NetListRun&) = delete;
    NetListRun& operator=(const NetListRun&) = delete;

    int runNetList(const char* sheetName);
    // The stages of the run that make no output: the library list, the
    // sheet, the libraries and the binding; then the pins and the nets.
    // The sinks, when given, are told of each record read, each pin object
    // made and each wire piece cut. The table of placed parts is kept for
    // readers after the run unless it is dropped once the pins are made;
    // every wire piece is made unless only the order of the other items
    // is read.
    enum class PartTable { Keep, Drop };
    void readDesign(const char* sheetName, SheetRecordSink* records = nullptr);
    void connectDesign(PinObjectSink* pins = nullptr, WirePieceSink* pieces = nullptr,
                       PartTable table = PartTable::Keep, PieceDetail detail = everyPiece);

    ExcludedNameList& excluded;
    RunOptions options;
    LibraryList libraries;
    SheetReader sheet;
    ObjectStore store;
    PartLibrary parts;
    ReportWriter reports;
};

// The entry point: banner, options, output, usage, the run, and the check
// that the whole report was written. Returns the exit status: 0 for a
// complete run, 1 when it ended through fatal or for want of memory.
int dovlaMain(int argc, char* const* argv, NetListRun& run);

} // namespace dovla
