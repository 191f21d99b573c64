#include "BenchScenarios.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

// The standard driven scenario with lane changing, with two bridges of four load effects
// each and every output, calculated 1 or 10 times per simulation step (the argument), or
// without bridges (0); the ratio of the times is the cost of the bridges.
void BM_BridgeRun(benchmark::State& state) {
    const auto subSteps = static_cast<unsigned>(state.range(0));
    const bool withBridges = subSteps > 0;
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
            addTwoBridges(sim, outputs.path().string() + "/", true, subSteps);
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
    ->ArgName("bridge_substeps")
    ->Arg(1)
    ->Arg(10)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
