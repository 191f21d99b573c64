#include "BenchSupport.h"

#include "bridges/CBridge.h"
#include "bridges/CInfLineFunction.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

// A 50 m bridge at 1000-1050 m with one load effect per built-in form family (mid-span
// moment, support moment, shear, total load), 10 sub-steps, writing its time history,
// block maxima and statistics.
CBridge standardBridge(const std::string& folder) {
    CBridge bridge(1, 3000, 3, 1000.0, 1050.0);
    for (int i = 0; i < 3; ++i)
        bridge.AddLoadEffect({1.0, 1.0, 1.0});
    const int forms[] = {CInfLineFunction::MidSpanMomentSimple,
                         CInfLineFunction::SupportMomentTwoSpan, CInfLineFunction::LeftShearSimple,
                         CInfLineFunction::TotalLoad};
    for (int i = 0; i < 4; ++i) {
        auto& line = static_cast<CInfLineFunction&>(
            const_cast<CInfluenceLine&>(*bridge.GetLoadEffects()[i]->GetInfLine()));
        line.SetForm(forms[i]);
    }
    bridge.SetStepsPerSimStep(10);
    CEventManager& outputs = bridge.EventManager();
    outputs.setAll(true);
    outputs.setBlockMaxSize(3600.0);
    outputs.setStatsBasic(true);
    outputs.setStatsHist(true);
    bridge.SetOutputPath(folder);
    return bridge;
}

// The standard driven scenario with lane changing, with (argument 1) or without (0) the
// bridge; the ratio of the two times is the cost of the bridge.
void BM_BridgeRun(benchmark::State& state) {
    const bool withBridge = state.range(0) != 0;
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    TempDirectory outputs("bridge");
    RunTotals totals;
    std::uint64_t evaluations = 0;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, true);
        if (withBridge)
            sim.road.addBridge(standardBridge(outputs.path().string() + "/"));
        runToEnd(sim, totals, [&](const Sim& stepped) {
            for (const auto& bridge : stepped.road.getBridges())
                evaluations += bridge->GetVehicles().size() * bridge->GetStepsPerSimStep() *
                               bridge->GetLoadEffects().size();
        });
    }
    reportRun(state, totals);
    state.counters["LE-evaluations/s"] =
        benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BridgeRun)
    ->ArgName("bridge")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
