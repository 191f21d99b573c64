#include "BenchSupport.h"

#include "engine/Sim.h"
#include "vehicles/CVehicleTypes.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

// Four hours of 1000 vehicles per hour and lane with 15 % trucks, on 2 + 1 lanes.
const std::string& fourHourFile() {
    static TempDirectory directory("driving");
    static const std::string path = [] {
        const CSettings settings;
        TrafficGenerator::Options options;
        options.endTime = 4 * 3600.0;
        const std::string file = (directory.path() / "four-hours.cas").string();
        auto writer = makeFileHandler(FORMAT_CASTOR, settings, 0, "", file);
        TrafficGenerator(settings, options).writeAll(*writer);
        return file;
    }();
    return path;
}

// The standard scenario: a 3000 m road, 0.25 s steps, the default vehicle types and their
// drivers; the argument switches lane changing.
void BM_DrivenRun(benchmark::State& state) {
    const std::string& path = fourHourFile();
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    std::uint64_t vehicleSteps = 0;
    double simulatedSeconds = 0.0;
    for (auto _ : state) {
        Sim sim(settings, host);
        sim.m_FileIn = path;
        sim.m_RoadLength = 3000;
        sim.m_SimTimeStep = 0.25;
        sim.road.trafFileLanesPos = 2;
        sim.road.trafFileLanesNeg = 1;
        sim.road.trafFileLanes = 3;
        sim.road.allowLaneChanging = state.range(0) != 0;
        sim.road.vehicleTypes = &types;
        sim.road.generators = RunGenerators::fromSeed(1);
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
BENCHMARK(BM_DrivenRun)
    ->ArgName("lane_changing")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
