#include "driver/alloc_pool.h"
#include "driver/net_list_run.h"
#include "driver/platform.h"
#include "report/excluded_names.h"

namespace {

// The process-wide objects, constructed in this order before main runs and
// torn down in the reverse order when main returns, fatal runs included:
// the run's state (which closes its files), then the part pool and the
// object pool free every block still listed, then the excluded names go.
dovla::ExcludedNameList excludedNames;
dovla::AllocPool objectPool;
dovla::AllocPool partPool;
dovla::NetListRun netListRun(excludedNames, objectPool, partPool);

} // namespace

int main(int argc, char** argv) {
    dovla::platform::openStandardStreams();
    return dovla::dovlaMain(argc, argv, netListRun);
}
