#pragma once

#include "engine/Sim.h"
#include "project/RunConfiguration.h"
#include "project/RunControl.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tarlo::test {

// A document's run control over a constant-velocity 100 m road; the tick starts at t0.
class RunFixture : public ::testing::Test {
protected:
    static constexpr std::uint32_t t0 = 1000;
    static constexpr const char* prefix = "09/12/26 14:30:00| Doc.tlp";

    RunFixture() {
        host.tick = t0;
        config.m_bConstVelocity = true;
        config.m_RoadLength = 100;
        config.m_Seed = 42;
        // Relative paths, as the default traffic file's and with it the automatic metrics
        // folder, lie in the temporary folder rather than the test's working folder.
        config.m_ProjectFolder = std::filesystem::path(dir.file("Doc.tlp")).parent_path().string();
    }

    // A vehicle arriving at hh:mm:ss of day 1, month 1, year 0.
    static CastorRecord at(unsigned hour, unsigned minute = 0, unsigned second = 0) {
        CastorRecord r;
        r.hour = hour;
        r.minute = minute;
        r.second = second;
        return r;
    }

    void useTraffic(const std::vector<CastorRecord>& records) {
        config.m_FileIn = writeCastorFile(dir, "traffic.cas", records);
    }

    // The output lines without the time stamp and document name.
    std::vector<std::string> lines() {
        std::vector<std::string> texts;
        for (const std::string& line : host.output()) {
            EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
            texts.push_back(line.substr(std::string(prefix).size()));
        }
        return texts;
    }

    bool wrote(const std::string& text) {
        const std::vector<std::string> texts = lines();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& message : host.messages)
            texts.push_back(message.text);
        return texts;
    }

    void expectIdleAndEmpty() {
        EXPECT_FALSE(run.m_bRunning);
        EXPECT_FALSE(run.m_bVisibleRun);
        EXPECT_FALSE(run.m_bInvisibleRun);
        EXPECT_FALSE(run.m_bPaused);
        EXPECT_EQ(sim.time, 0.0);
        EXPECT_EQ(sim.road.pendingCount(), 0u);
        EXPECT_TRUE(sim.road.getVehicles().empty());
        EXPECT_TRUE(run.m_LaneSnapshot.empty());
        EXPECT_EQ(run.m_LastProgress, 0);
    }

    TempDir dir{"tarlo-run"};
    CSettings settings;
    RecordingHost host;
    Sim sim{settings, host};
    RunConfiguration config;
    RunControl run{config, sim, settings, host, [] { return std::string("Doc.tlp"); }};
};

inline const std::string initProblemText = "A problem occurred initializing the simulation\n"
                                           "and it cannot be run. Please check the input.";

} // namespace tarlo::test
