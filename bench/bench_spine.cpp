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
    std::uint64_t vehicleSteps = 0;
    double simulatedSeconds = 0.0;
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
        bool ok = false;
        sim.init(ok);
        const double start = sim.time;
        bool running = ok;
        while (running) {
            for (const auto& lane : sim.step(running))
                vehicleSteps += lane.size();
        }
        simulatedSeconds += sim.time - start;
        sim.road.clear();
    }
    state.counters["vehicle-steps/s"] =
        benchmark::Counter(static_cast<double>(vehicleSteps), benchmark::Counter::kIsRate);
    state.counters["sim-s/wall-s"] =
        benchmark::Counter(simulatedSeconds, benchmark::Counter::kIsRate);
    state.counters["peak_rss_MiB"] = peakResidentBytes() / (1024.0 * 1024.0);
}
BENCHMARK(BM_ConstantVelocityRun)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
