#include "BenchSupport.h"

#include "detectors/CStatDetector.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

// One detector of each of the ten kinds on the positive direction, 60 s intervals.
std::vector<CStatDetector> everyKind(const std::string& folder) {
    struct Kind {
        int code, a, b, c;
    };
    const Kind kinds[] = {
        {520, 1500, 0, 0},     {521, 1500, 0, 0},    {522, 1500, 0, 0},    {523, 100, 0, 0},
        {524, 1500, 0, 0},     {525, 1000, 1200, 0}, {526, 1000, 1200, 0}, {527, 500, 100, 2500},
        {528, 500, 100, 2500}, {529, 1000, 1200, 0},
    };
    std::vector<CStatDetector> detectors;
    for (const Kind& kind : kinds) {
        CStatDetector& detector = detectors.emplace_back();
        detector.setDetectorName(kind.code);
        detector.setTimeInterval(60);
        detector.setParamA(kind.a);
        detector.setParamB(kind.b);
        detector.setParamC(kind.c);
        detector.setOutputPath(folder);
    }
    return detectors;
}

// The standard driven scenario with lane changing, with (argument 1) or without (0) the
// ten detectors; the ratio of the two times is the cost of the detectors.
void BM_DetectorRun(benchmark::State& state) {
    const bool withDetectors = state.range(0) != 0;
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    TempDirectory outputs("detectors");
    RunTotals totals;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, true);
        sim.road.roadLength = sim.m_RoadLength;
        if (withDetectors)
            for (const CStatDetector& detector : everyKind(outputs.path().string() + "/"))
                sim.road.addDetector(detector, 2, 1, FORMAT_CASTOR);
        runToEnd(sim, totals);
    }
    reportRun(state, totals);
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
