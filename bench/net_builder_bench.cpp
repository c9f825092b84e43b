// Times buildNets on designs of many tagged nets and power pins, with the
// production builder and, on smaller sizes, with the literal model of the
// connect tests, whose scans visit every raster point and whose name joins
// compare every pair. Each repetition builds the design into a fresh store
// untimed and times buildNets alone, as the processor time of this thread
// (the machine may be busy with other work); the medians of the repetitions
// are the figures to read.
//
//   net_builder_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>

#include "connect/net_builder.h"
#include "connect/object_store.h"
#include "driver/alloc_pool.h"
#include "literal_model.h"
#include "net_builder_design.h"
#include "report/excluded_names.h"

namespace {

using namespace dovla;

double threadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Arguments: the number of tagged nets (and as many power pins), the scan
// step.
void production(benchmark::State& state) {
    const auto size = static_cast<std::int32_t>(state.range(0));
    const auto step = static_cast<std::int32_t>(state.range(1));
    const auto design = bench::taggedNetsAndPowerPins(size, size);
    ExcludedNameList excluded;
    std::int64_t nets = 0;
    for (auto _ : state) {
        AllocPool pool;
        ObjectStore store(pool);
        store.createPointGrid();
        for (const bench::DesignObject& o : design)
            store.addObject(o.kind, o.attr, o.x1, o.y1, o.x2, o.y2,
                            o.hasEnd2 ? SecondEnd::Present : SecondEnd::Absent, o.name.c_str(),
                            o.text.c_str());
        NetBuilder builder(store, excluded, step);
        double start = threadSeconds();
        builder.buildNets();
        state.SetIterationTime(threadSeconds() - start);
        nets = 0;
        for (std::uint32_t i = 0; i < store.nets().size(); ++i)
            nets += !store.nets()[i].empty();
    }
    // Half the tagged nets merge by name and the power pins make two nets.
    state.counters["nets"] = static_cast<double>(nets);
    state.counters["expected"] = static_cast<double>(size / 2 + 2);
}

void literalModel(benchmark::State& state) {
    const auto size = static_cast<std::int32_t>(state.range(0));
    const auto step = static_cast<std::int32_t>(state.range(1));
    const auto design = bench::taggedNetsAndPowerPins(size, size);
    ExcludedNameList excluded;
    for (auto _ : state) {
        testing::literal::Model model(step);
        for (const bench::DesignObject& o : design)
            model.addObject(o.kind, o.attr, o.x1, o.y1, o.x2, o.y2, o.hasEnd2, o.name,
                            o.text.c_str());
        double start = threadSeconds();
        model.buildNets([&](const std::string& name) { return excluded.isExcluded(name.c_str()); });
        state.SetIterationTime(threadSeconds() - start);
    }
}

void productionSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"nets", "step"})
        ->Args({1000, 10})
        ->Args({2000, 10})
        ->Args({4000, 10})
        ->Args({8000, 10})
        ->Args({20000, 10})
        ->Args({20000, 1});
}

void literalSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"nets", "step"})->Args({1000, 10})->Args({2000, 10})->Args({4000, 10});
}

} // namespace

BENCHMARK(production)
    ->Apply(productionSizes)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(literalModel)
    ->Name("literal")
    ->Apply(literalSizes)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
