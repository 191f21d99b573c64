#pragma once

#include "engine/Sim.h"
#include "platform/Host.h"
#include "project/settings/CSettings.h"
#include "trafficfiles/FileHandler.h"
#include "trafficfiles/TrafficGenerator.h"
#include "vehicles/CVehicleTypes.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace tarlo::bench {

// A host that says nothing: the benchmark measures the simulation alone.
class SilentHost : public Host {
public:
    void appendOutputLine(const std::string&) override {}
    void appendValidationLine(const std::string&) override {}
    MessageAnswer showMessage(const std::string&, MessageIcon, MessageButtons) override {
        return MessageAnswer::Ok;
    }
    void setStatusText(const std::string&) override {}
    void resetStatusPane() override {}
    void resetLoadEffectView() override {}
    void postRunNotification(RunNotification) override {}
    void refreshViews() override {}
    void showStepValues(const std::string&, double) override {}
    std::uint32_t tickMs() override { return 0; }
    std::tm localTime() override { return {}; }
};

// A field of /proc/self/status in bytes ("VmHWM", "VmRSS"), or -1 where there is none.
inline double statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) * 1024.0; // reported in kB
    return -1.0;
}

// Peak resident memory of the process in bytes: VmHWM from /proc/self/status, or the
// maximum resident set size from getrusage where there is no /proc.
inline double peakResidentBytes() {
    const double peak = statusBytes("VmHWM");
    if (peak >= 0.0)
        return peak;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0; // kilobytes on Linux
}

// The memory of one benchmark case alone, although the cases share a process: made at the
// start of the case, it resets the process's peak resident size to the current one (Linux
// clear_refs), so that the peak read at the end is the case's own and its growth is the
// memory the case took.
class CaseMemory {
public:
    CaseMemory() {
        std::ofstream("/proc/self/clear_refs") << "5";
        m_Start = statusBytes("VmRSS");
    }
    double peakMiB() const { return peakResidentBytes() / (1024.0 * 1024.0); }
    double growthMiB() const { return (peakResidentBytes() - m_Start) / (1024.0 * 1024.0); }

private:
    double m_Start = 0.0;
};

// A directory of its own under the system's temporary folder, removed with the object;
// `tag` keeps the directories of one process apart.
class TempDirectory {
public:
    explicit TempDirectory(const std::string& tag)
        : m_Path(std::filesystem::temp_directory_path() /
                 ("tarlo-bench-" + tag + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_Path);
    }
    ~TempDirectory() {
        std::error_code ec;
        std::filesystem::remove_all(m_Path, ec);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return m_Path; }

private:
    std::filesystem::path m_Path;
};

// Writes `vehicles` vehicles of synthetic traffic (two lanes in direction 1, one in
// direction 2, 15 % trucks) in the format to `directory`/`name`; returns the file's path.
inline std::string generateTrafficFile(const std::filesystem::path& directory,
                                       const std::string& name, std::uint64_t vehicles,
                                       int format = FORMAT_CASTOR, std::uint64_t seed = 1) {
    const CSettings settings;
    TrafficGenerator::Options options;
    if (format == FORMAT_SAFT) {
        options.lanesPos = 1;
        options.lanesNeg = 0;
        options.head = 20005;
    }
    options.seed = seed;
    options.maxVehicles = vehicles;
    options.endTime = 2.0e9; // within the 100 years a record can hold
    const std::string path = (directory / name).string();
    auto writer = makeFileHandler(format, settings, 0, "", path);
    TrafficGenerator generator(settings, options);
    generator.writeAll(*writer);
    return path;
}

// The traffic of the standard scenario: four hours of 1000 vehicles per hour and lane with
// 15 % trucks on 2 + 1 lanes, generated once per process.
inline const std::string& standardTrafficFile() {
    static TempDirectory directory("standard");
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

// The standard scenario on a simulation: a 3000 m road with 2 + 1 lanes, 0.25 s steps, the
// given vehicle types and their drivers, a fixed seed.
inline void prepareStandardScenario(Sim& sim, const CVehicleTypes& types, bool laneChanging) {
    sim.m_FileIn = standardTrafficFile();
    sim.m_RoadLength = 3000;
    sim.m_SimTimeStep = 0.25;
    sim.road.trafFileLanesPos = 2;
    sim.road.trafFileLanesNeg = 1;
    sim.road.trafFileLanes = 3;
    sim.road.allowLaneChanging = laneChanging;
    sim.road.vehicleTypes = &types;
    sim.road.generators = RunGenerators::fromSeed(1);
}

// What runs of a benchmark add up to.
struct RunTotals {
    std::uint64_t vehicleSteps = 0;
    double simulatedSeconds = 0.0;
};

// Steps a simulation whose run has been set up (`running` as its set-up answered) to its
// end as an invisible run does, counting the vehicles on the road after every step;
// `afterStep` sees the simulation after each step.
template <class AfterStep = void (*)(const Sim&)>
void stepToEnd(
    Sim& sim, bool running, RunTotals& totals, AfterStep afterStep = [](const Sim&) {}) {
    const double start = sim.time;
    while (running) {
        sim.advance(running);
        totals.vehicleSteps += static_cast<std::uint64_t>(sim.road.vehicleCount());
        afterStep(sim);
    }
    totals.simulatedSeconds += sim.time - start;
    sim.road.clear();
}

// Runs a prepared simulation to its end, as stepToEnd does.
template <class AfterStep = void (*)(const Sim&)>
void runToEnd(
    Sim& sim, RunTotals& totals, AfterStep afterStep = [](const Sim&) {}) {
    bool ok = false;
    sim.init(ok);
    stepToEnd(sim, ok, totals, afterStep);
}

// The rates every run benchmark reports, and the case's peak memory and its growth.
inline void reportRun(benchmark::State& state, const RunTotals& totals, const CaseMemory& memory) {
    state.counters["vehicle-steps/s"] =
        benchmark::Counter(static_cast<double>(totals.vehicleSteps), benchmark::Counter::kIsRate);
    state.counters["sim-s/wall-s"] =
        benchmark::Counter(totals.simulatedSeconds, benchmark::Counter::kIsRate);
    state.counters["peak_rss_MiB"] = memory.peakMiB();
    state.counters["rss_growth_MiB"] = memory.growthMiB();
}

} // namespace tarlo::bench
