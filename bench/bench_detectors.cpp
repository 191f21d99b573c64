#include "BenchScenarios.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

// The standard driven scenario with lane changing, with (argument 1) or without (0) one
// detector of each of the ten kinds; the ratio of the two times is the cost of the
// detectors.
void BM_DetectorRun(benchmark::State& state) {
    const bool withDetectors = state.range(0) != 0;
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    TempDirectory outputs("detectors");
    standardTrafficFile();
    const CaseMemory memory;
    RunTotals totals;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, true);
        sim.road.roadLength = sim.m_RoadLength;
        if (withDetectors)
            addEveryDetectorKind(sim, outputs.path().string() + "/");
        runToEnd(sim, totals);
    }
    reportRun(state, totals, memory);
}
BENCHMARK(BM_DetectorRun)
    ->ArgName("detectors")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
