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
    RunTotals totals;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, state.range(0) != 0);
        runToEnd(sim, totals);
    }
    reportRun(state, totals);
}
BENCHMARK(BM_DrivenRun)
    ->ArgName("lane_changing")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
