#include "RunFixture.h"

#include <algorithm>
#include <random>
#include <thread>
#include <vector>

namespace tarlo::test {
namespace {

using RunStressTest = RunFixture;

// Invisible runs stopped at many moments of their set-up and of their steps, with the
// commands an idle or running document allows in between. Built with ThreadSanitizer this
// shows that the worker and the user-interface thread share no field unguarded; in any
// build, that every run is stopped once and leaves the document idle with an empty road.
TEST_F(RunStressTest, InvisibleRunsStoppedAtAnyMoment) {
    // Enough lines that opening the file takes a while, and a last vehicle nine years on:
    // far more steps than any run here is let take.
    std::vector<CastorRecord> records;
    for (unsigned i = 0; i < 2000; ++i)
        records.push_back(at(1, i / 60 % 60, i % 60));
    CastorRecord late = at(1);
    late.year = 9;
    records.push_back(late);
    useTraffic(records);
    config.m_bAutoDir = false;
    config.m_MetricsDir = dir.file("");

    std::mt19937 random(20261210);
    const auto below = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
    // Lets the worker go on for a while: reads of a shared field, no system call.
    const auto spin = [this](unsigned reads) {
        for (; reads > 0; --reads)
            run.m_SimTime.load();
    };
    const auto idle = [this] {
        host.tick += 60;
        run.idleTick(host.tick);
    };
    constexpr int runs = 200;
    for (int i = 0; i < runs; ++i) {
        SCOPED_TRACE(i);
        run.runInvisible();
        ASSERT_TRUE(run.m_bInvisibleRun);
        switch (below(4)) {
        case 0: // at once, in the set-up as a rule
            break;
        case 1: // after a while, in the set-up or the first steps
            spin(below(20000));
            break;
        case 2: // once the run is stepping
            while (run.m_SimTime.load() == 0.0)
                std::this_thread::yield();
            spin(below(20000));
            break;
        default: // while the user interface goes on with its own work
            for (unsigned n = below(20); n > 0; --n) {
                idle();
                run.singleStep();
            }
        }
        if (below(2) == 0)
            run.stopSimulation();
        else
            run.interruptRun();
        // Commands of an idle document, while a stopped worker may still be finishing.
        if (below(2) == 0)
            run.toggleMuteDetectors();
        if (below(2) == 0)
            run.toggleMuteBridges();
        idle();
        EXPECT_TRUE(run.canRunInvisible());
    }
    run.waitForWorker();

    const std::vector<std::string> texts = lines();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "| Simulation stopped"), runs);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "| Simulation initialization failed"), 0);
    expectIdleAndEmpty();
}

} // namespace
} // namespace tarlo::test
