#include "detectors/CStatDetector.h"
#include "engine/Sim.h"
#include "project/RunFixture.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"
#include "trafficfiles/FileHandler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace tarlo {
namespace {

using test::CastorRecord;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

CStatDetector detectorElement(int kind, int x, bool positive, const std::string& folder) {
    CStatDetector element;
    element.setDetectorName(kind);
    element.setParamA(x);
    element.setDirPos(positive);
    element.setTimeInterval(60);
    element.setOutputPath(folder);
    return element;
}

class SimWithDetectors : public ::testing::Test {
protected:
    static CastorRecord at(unsigned second, unsigned direction = 1, unsigned lane = 1) {
        CastorRecord r;
        r.hour = 1;
        r.second = second;
        r.direction = direction;
        r.lane = lane;
        return r;
    }

    CSettings settings;
    test::RecordingHost host;
    test::TempDir dir{"tarlo-sim-detectors"};
};

// A constant-velocity run (25 m/s, 0.25 s steps) on a 1000 m road of 2 + 1 lanes; the
// detectors stand at x = 510, so a vehicle released at time a crosses the positive
// direction's position at a + 20.15 s and the negative one's at a + 19.35 s.
TEST_F(SimWithDetectors, DetectorsFollowARunToItsEnd) {
    Sim sim(settings, host);
    sim.m_FileIn = test::writeCastorFile(dir, "traffic.cas",
                                         {at(0, 1, 1), at(10, 1, 2), at(30, 2, 1), at(70, 1, 1)});
    sim.m_FileType = FORMAT_CASTOR;
    sim.m_NoLanesDirPos = 2;
    sim.m_NoLanesDirNeg = 1;
    sim.m_NoLanes = 3;
    sim.m_RoadLength = 1000;
    sim.m_SimTimeStep = 0.25;
    sim.road.trafFileLanesPos = 2;
    sim.road.trafFileLanesNeg = 1;
    sim.road.trafFileLanes = 3;
    sim.road.constVelocity = true;
    sim.road.roadLength = 1000;

    const std::string folder = dir.file("");
    for (const CStatDetector& element : {detectorElement(DETECTOR_FLOW_DENSITY, 510, true, folder),
                                         detectorElement(DETECTOR_OUTPUT, 510, true, folder),
                                         detectorElement(DETECTOR_OUTPUT, 510, false, folder)})
        sim.road.addDetector(element, 2, 1, FORMAT_CASTOR);
    ASSERT_EQ(sim.road.getDetectors(true).size(), 2u);
    ASSERT_EQ(sim.road.getDetectors(false).size(), 1u);

    bool ok = false;
    sim.init(ok);
    ASSERT_TRUE(ok);
    bool running = true;
    for (int steps = 0; running && steps < 2000; ++steps)
        sim.step(running);
    ASSERT_FALSE(running);

    // One interval completed (60 s after the start); the last vehicle crossed after it.
    const std::string flow = readFile(folder + "FD_All_Pos_510.csv");
    EXPECT_EQ(flow.substr(flow.find("\r\n", flow.find("\r\n") + 2) + 2),
              "60,0.666667,60,90,90,0.666667,60,90,90,1.33333,120,90,90\r\n");

    // Every crossing vehicle once, stamped with its crossing time, including the last.
    struct Expected {
        double time;
        int direction, lane;
    };
    auto readBack = [&](const std::string& name) {
        std::vector<Expected> records;
        auto reader = makeFileHandler(FORMAT_CASTOR, settings, 9, folder + name, "");
        bool end = false;
        while (auto vehicle = reader->readNextVehicle(end))
            records.push_back({vehicle->getTime(), vehicle->direction, vehicle->lane});
        return records;
    };
    const std::vector<Expected> positive = readBack("Veh_All_Pos_510.txt");
    const std::vector<Expected> expected = {{3620.15, 1, 1}, {3630.15, 1, 2}, {3690.15, 1, 1}};
    ASSERT_EQ(positive.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(positive[i].time, expected[i].time, 1e-6) << i;
        EXPECT_EQ(positive[i].direction, expected[i].direction) << i;
        EXPECT_EQ(positive[i].lane, expected[i].lane) << i;
    }
    const std::vector<Expected> negative = readBack("Veh_All_Neg_510.txt");
    ASSERT_EQ(negative.size(), 1u);
    EXPECT_NEAR(negative[0].time, 3649.35, 1e-6);
    EXPECT_EQ(negative[0].direction, 2);
    EXPECT_EQ(negative[0].lane, 1);

    sim.road.clear();
    EXPECT_TRUE(sim.road.getDetectors(true).empty());
    EXPECT_TRUE(sim.road.getDetectors(false).empty());
}

class RunControlWithDetectors : public test::RunFixture {
protected:
    RunControlWithDetectors() {
        config.m_bAutoDir = false;
        config.m_MetricsDir = dir.file("");
        CStatDetector element;
        element.setParamA(50);
        element.setTimeInterval(1);
        config.m_vStatDetectors = {element};
        useTraffic({at(1)});
    }
};

TEST_F(RunControlWithDetectors, DetectorsWriteIntoTheMetricsFolder) {
    run.runInvisible();
    run.waitForInvisibleRun();
    const std::string flow = readFile(dir.file("FD_All_Pos_50.csv"));
    EXPECT_NE(flow.find("\r\n1,"), std::string::npos) << flow;
    EXPECT_EQ(config.m_vStatDetectors[0].getOutputPath(), dir.file(""));
}

TEST_F(RunControlWithDetectors, MutedDetectorsWriteNothing) {
    run.toggleMuteDetectors();
    run.runInvisible();
    run.waitForInvisibleRun();
    EXPECT_FALSE(std::filesystem::exists(dir.file("FD_All_Pos_50.csv")));
}

} // namespace
} // namespace tarlo
