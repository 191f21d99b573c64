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
    std::uint64_t vehicleSteps = 0;
    double simulatedSeconds = 0.0;
    for (auto _ : state) {
        Sim sim(settings, host);
        prepareStandardScenario(sim, types, state.range(0) != 0);
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
