// Times buildNets on designs of many tagged nets and power pins, with the
// production builder and, on smaller sizes, with the plain builder whose
// scans visit every raster point and whose name joins compare every pair.
// Each repetition builds the design into a fresh store untimed and times
// buildNets alone, as the processor time of this thread (the machine may be
// busy with other work); the medians of the repetitions are the figures to
// read.
//
//   net_builder_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>

#include "connect/net_builder.h"
#include "connect/object_store.h"
#include "driver/alloc_pool.h"
#include "net_builder_design.h"
#include "reference_net_builder.h"
#include "report/excluded_names.h"

namespace {

using namespace dovla;

double threadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Nets that hold at least one member: what is left after the merges.
std::int64_t liveNets(ObjectStore& store) {
    std::int64_t count = 0;
    RingNode* ring = store.netRing();
    for (RingNode* node = ring->next; node != ring; node = node->next)
        count += !ringIsEmpty(static_cast<RingNode*>(node->data));
    return count;
}

// Arguments: the number of tagged nets (and as many power pins), the scan
// step.
template <typename Builder> void buildNets(benchmark::State& state) {
    const auto size = static_cast<std::int32_t>(state.range(0));
    const auto step = static_cast<std::int32_t>(state.range(1));
    ExcludedNameList excluded;
    std::int64_t nets = 0;
    for (auto _ : state) {
        AllocPool pool;
        ObjectStore store(pool);
        store.createPointGrid(96000, 64000);
        bench::addTaggedNetsAndPowerPins(store, size, size);
        Builder builder(store, excluded, step);
        double start = threadSeconds();
        builder.buildNets();
        state.SetIterationTime(threadSeconds() - start);
        nets = liveNets(store);
    }
    // Half the tagged nets merge by name and the power pins make two nets.
    state.counters["nets"] = static_cast<double>(nets);
    state.counters["expected"] = static_cast<double>(size / 2 + 2);
}

void production(benchmark::internal::Benchmark* b) {
    b->ArgNames({"nets", "step"})
        ->Args({1000, 10})
        ->Args({2000, 10})
        ->Args({4000, 10})
        ->Args({8000, 10})
        ->Args({20000, 10})
        ->Args({20000, 1});
}

void reference(benchmark::internal::Benchmark* b) {
    b->ArgNames({"nets", "step"})
        ->Args({1000, 10})
        ->Args({2000, 10})
        ->Args({4000, 10})
        ->Args({8000, 10})
        ->Args({4000, 1});
}

} // namespace

BENCHMARK(buildNets<dovla::NetBuilder>)
    ->Name("production")
    ->Apply(production)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(buildNets<dovla::testing::ReferenceNetBuilder>)
    ->Name("reference")
    ->Apply(reference)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
