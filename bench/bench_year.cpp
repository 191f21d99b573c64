#include "BenchScenarios.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace tarlo::bench {
namespace {

constexpr double DAY = 24 * 3600.0;
constexpr double DAYS_PER_YEAR = 250.0; // the working-day calendar of the traffic files

// A day of a 2 + 2-lane motorway: 1000 vehicles per hour in each lane, 15 % trucks.
std::string motorwayDay(const std::filesystem::path& directory) {
    const CSettings settings;
    TrafficGenerator::Options options;
    options.lanesPos = 2;
    options.lanesNeg = 2;
    options.endTime = DAY;
    const std::string file = (directory / "motorway-day.cas").string();
    auto writer = makeFileHandler(FORMAT_CASTOR, settings, 0, "", file);
    TrafficGenerator(settings, options).writeAll(*writer);
    return file;
}

// One day of the year study: the motorway with lane changing, two bridges of four load
// effects each (every output but the time history, which over a year would fill disks)
// and one detector of each kind. A year is 250 such days run one after the other, so the
// day's wall time times 250 is the year's (year_min); the memory must not grow with the
// days, which the day's peak shows.
void BM_YearDay(benchmark::State& state) {
    const CSettings settings;
    const CVehicleTypes types;
    SilentHost host;
    TempDirectory directory("year-day");
    const std::string traffic = motorwayDay(directory.path());
    const std::string outputs = directory.path().string() + "/";
    const CaseMemory memory;
    RunTotals totals;
    double wallSeconds = 0.0;
    for (auto _ : state) {
        Sim sim(settings, host);
        sim.m_FileIn = traffic;
        sim.m_RoadLength = 3000;
        sim.m_SimTimeStep = 0.25;
        sim.m_NoLanes = 4;
        sim.m_NoLanesDirPos = 2;
        sim.m_NoLanesDirNeg = 2;
        sim.road.trafFileLanesPos = 2;
        sim.road.trafFileLanesNeg = 2;
        sim.road.trafFileLanes = 4;
        sim.road.allowLaneChanging = true;
        sim.road.vehicleTypes = &types;
        sim.road.generators = RunGenerators::fromSeed(1);
        sim.road.roadLength = sim.m_RoadLength;
        addEveryDetectorKind(sim, outputs);
        addTwoBridges(sim, outputs, false);
        const auto start = std::chrono::steady_clock::now();
        runToEnd(sim, totals);
        wallSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    reportRun(state, totals, memory);
    state.counters["wall_s"] = wallSeconds;
    state.counters["year_min"] = wallSeconds * DAYS_PER_YEAR / 60.0;
}
BENCHMARK(BM_YearDay)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
