#include "BenchSupport.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

// The standard scenario: a 3000 m road, 0.25 s steps, the default vehicle types and their
// drivers; the argument switches lane changing.
void BM_DrivenRun(benchmark::State& state) {
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    standardTrafficFile();
    const CaseMemory memory;
    RunTotals totals;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, state.range(0) != 0);
        runToEnd(sim, totals);
    }
    reportRun(state, totals, memory);
}
BENCHMARK(BM_DrivenRun)
    ->ArgName("lane_changing")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// The standard scenario with every vehicle keeping its file speed; the argument switches
// lane changing (vehicles then drive through each other and the lanes are out of order).
void BM_ConstantVelocityRun(benchmark::State& state) {
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    standardTrafficFile();
    const CaseMemory memory;
    RunTotals totals;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, state.range(0) != 0);
        sim.road.constVelocity = true;
        runToEnd(sim, totals);
    }
    reportRun(state, totals, memory);
}
BENCHMARK(BM_ConstantVelocityRun)
    ->ArgName("lane_changing")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// The standard scenario with lane changing on roads of 3, 12, 24 and 48 km (the argument,
// in km): the cost per vehicle-step should not grow with the road.
void BM_RoadLength(benchmark::State& state) {
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    standardTrafficFile();
    const CaseMemory memory;
    RunTotals totals;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, true);
        sim.m_RoadLength = static_cast<int>(state.range(0) * 1000);
        runToEnd(sim, totals);
    }
    reportRun(state, totals, memory);
}
BENCHMARK(BM_RoadLength)
    ->ArgName("km")
    ->Arg(3)
    ->Arg(12)
    ->Arg(24)
    ->Arg(48)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
