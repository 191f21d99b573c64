#include "BenchSupport.h"

#include <benchmark/benchmark.h>

namespace tarlo::bench {
namespace {

constexpr std::uint64_t VEHICLES = 1000000;

// One CASTOR file of a million vehicles for the whole benchmark run.
const std::string& castorFile() {
    static TempDirectory directory("read");
    static const std::string path =
        generateTrafficFile(directory.path(), "million.cas", VEHICLES, FORMAT_CASTOR);
    return path;
}

// One pass over the file through the reader, as a simulation reads its traffic.
void BM_ReadCastor(benchmark::State& state) {
    const std::string& path = castorFile();
    const CSettings settings;
    std::uint64_t records = 0;
    for (auto _ : state) {
        auto reader = makeFileHandler(FORMAT_CASTOR, settings, 0xFFFFFFFE, path, "");
        bool endOfFile = false;
        while (!endOfFile)
            if (auto vehicle = reader->readNextVehicle(endOfFile)) {
                benchmark::DoNotOptimize(vehicle->gvw);
                ++records;
            }
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
    state.counters["records"] = static_cast<double>(records / state.iterations());
    state.counters["peak_rss_MiB"] = peakResidentBytes() / (1024.0 * 1024.0);
}
BENCHMARK(BM_ReadCastor)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// Writing the same million vehicles straight from the generator.
void BM_GenerateCastor(benchmark::State& state) {
    TempDirectory directory("generate");
    for (auto _ : state)
        generateTrafficFile(directory.path(), "generated.cas", VEHICLES, FORMAT_CASTOR);
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(VEHICLES * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_rss_MiB"] = peakResidentBytes() / (1024.0 * 1024.0);
}
BENCHMARK(BM_GenerateCastor)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarlo::bench
