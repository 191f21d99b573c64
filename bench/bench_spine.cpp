#include "BenchSupport.h"

#include "engine/Sim.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

const std::string& millionVehicleFile() {
    static TempDirectory directory("spine");
    static const std::string path =
        generateTrafficFile(directory.path(), "million.cas", 1000000, FORMAT_CASTOR);
    return path;
}

// The whole million-vehicle file on a 3000 m road with 2 + 1 lanes, 0.25 s steps, every
// vehicle keeping its file speed.
void BM_ConstantVelocityRun(benchmark::State& state) {
    const std::string& path = millionVehicleFile();
    const CSettings settings;
    SilentHost host;
    RunTotals totals;
    for (auto _ : state) {
        Sim sim(settings, host);
        sim.m_FileIn = path;
        sim.m_FileType = FORMAT_CASTOR;
        sim.m_RoadLength = 3000;
        sim.m_SimTimeStep = 0.25;
        sim.road.trafFileLanesPos = 2;
        sim.road.trafFileLanesNeg = 1;
        sim.road.trafFileLanes = 3;
        sim.road.constVelocity = true;
        runToEnd(sim, totals);
    }
    reportRun(state, totals);
}
BENCHMARK(BM_ConstantVelocityRun)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
