#include "BenchScenarios.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

// The standard driven scenario with lane changing, with (argument 1) or without (0) two
// bridges of four load effects each and every output; the ratio of the two times is the
// cost of the bridges.
void BM_BridgeRun(benchmark::State& state) {
    const bool withBridges = state.range(0) != 0;
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    TempDirectory outputs("bridge");
    standardTrafficFile();
    const CaseMemory memory;
    RunTotals totals;
    std::uint64_t evaluations = 0;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, true);
        if (withBridges)
            addTwoBridges(sim, outputs.path().string() + "/", true);
        runToEnd(sim, totals, [&](const Sim& stepped) {
            for (const auto& bridge : stepped.road.getBridges())
                evaluations += bridge->GetVehicles().size() * bridge->GetStepsPerSimStep() *
                               bridge->GetLoadEffects().size();
        });
    }
    reportRun(state, totals, memory);
    state.counters["LE-evaluations/s"] =
        benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BridgeRun)
    ->ArgName("bridges")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
