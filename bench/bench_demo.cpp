#include "BenchSupport.h"

#include "project/ProjectFile.h"
#include "project/RunControl.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace tarlo::bench {
namespace {

constexpr double DAY = 24 * 3600.0;

// A day of the example's traffic: 1000 vehicles per hour in each lane of 2 + 1 lanes, 15 %
// trucks, as the example's three hours were generated.
std::string dayOfTraffic(const std::filesystem::path& directory) {
    const CSettings settings;
    TrafficGenerator::Options options;
    options.endTime = DAY;
    const std::string file = (directory / "day.cas").string();
    auto writer = makeFileHandler(FORMAT_CASTOR, settings, 0, "", file);
    TrafficGenerator(settings, options).writeAll(*writer);
    return file;
}

// The example project (road features, ten detectors, two bridges with every output) run
// over a day of traffic by the run set-up of the program, writing all its files. The
// lane closure queues the traffic, so the run lasts well beyond the day of arrivals.
void BM_DemoDay(benchmark::State& state) {
    const CSettings settings;
    SilentHost host;
    TempDirectory directory("demo-day");
    const std::string traffic = dayOfTraffic(directory.path());
    const std::filesystem::path metrics = directory.path() / "metrics";
    std::filesystem::create_directories(metrics);

    const CaseMemory memory;
    RunTotals totals;
    double wallSeconds = 0.0;
    for (auto _ : state) {
        ProjectFields project;
        if (!ProjectFile::load(project, TARLO_EXAMPLES "/demo/demo.tlp").ok) {
            state.SkipWithError("the example project cannot be read");
            return;
        }
        project.m_FileIn = traffic;
        project.m_MetricsDir = metrics.string() + "/";
        project.m_bAutoDir = false;
        Sim sim(settings, host);
        RunControl control(project, sim, settings, host, [] { return std::string("demo"); });
        const auto start = std::chrono::steady_clock::now();
        stepToEnd(sim, control.initSimulation(), totals);
        wallSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    reportRun(state, totals, memory);
    state.counters["wall_s"] = wallSeconds;
    state.counters["simulated_h"] = totals.simulatedSeconds / 3600.0;
}
BENCHMARK(BM_DemoDay)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace tarlo::bench
