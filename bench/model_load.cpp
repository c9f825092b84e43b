// Times the design model against dovla32's own run on the same sheet, in
// one process and in turn, so that both see the same machine: the run
// (reading, libraries, part list, pins, nets, net list, written to
// /dev/null) and loadDesign (the same stages, then the model's values).
// Prints the medians and their ratio.
//
//   model_load SHEET [RUNS]   (in the sheet's directory, for its TAVEL.INI)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "driver/net_list_run.h"
#include "load_design.h"
#include "report/excluded_names.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double runOnce(const char* sheet) {
    auto start = Clock::now();
    {
        dovla::ExcludedNameList excluded;
        dovla::AllocPool objectPool;
        dovla::AllocPool partPool;
        dovla::NetListRun run(excluded, objectPool, partPool);
        char program[] = "dovla32";
        char output[] = "-o/dev/null";
        std::vector<char> name(sheet, sheet + std::char_traits<char>::length(sheet) + 1);
        char* argv[] = {program, output, name.data(), nullptr};
        if (dovla::dovlaMain(3, argv, run) != 0)
            std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double modelOnce(const char* sheet) {
    auto start = Clock::now();
    {
        dovla::model::Design design = dovla::model::loadDesign(sheet, {});
        if (design.nets.empty() && design.parts.empty())
            std::fprintf(stderr, "(an empty design)\n");
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: model_load SHEET [RUNS]\n");
        return 2;
    }
    int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    dovla::setMessageStream(nullptr);
    std::vector<double> dovla;
    std::vector<double> model;
    for (int i = 0; i < runs; ++i) {
        dovla.push_back(runOnce(argv[1]));
        model.push_back(modelOnce(argv[1]));
    }
    double d = median(dovla);
    double m = median(model);
    std::printf("dovla32 run %.1f ms, design model %.1f ms, ratio %.2f (medians of %d)\n", d, m,
                m / d, runs);
    return 0;
}
