#include "detectors/CStatDetector.h"
#include "engine/Sim.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace tarlo {
namespace {

using test::CastorRecord;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Segment detectors driven by a constant-velocity run on a 1000 m road of one lane in the
// positive direction, with one-second steps: a vehicle released at step t stands at
// 10 (t - release + 1) m at 10 m/s and is removed in the step that takes it beyond 1010 m.
class SegmentRunTest : public ::testing::Test {
protected:
    static CastorRecord at(unsigned second, unsigned lengthDm = 40) {
        CastorRecord r;
        r.hour = 1;
        r.second = second;
        r.speedDm = 100;
        r.lengthDm = lengthDm;
        return r;
    }

    void addDetector(int kind, int start, int end, int interval) {
        CStatDetector element;
        element.setDetectorName(kind);
        element.setParamA(start);
        element.setParamB(end);
        element.setTimeInterval(interval);
        m_vElements.push_back(element);
        // A copy of an element leaves its output path behind.
        m_vElements.back().setOutputPath(dir.file(""));
    }

    void run(const std::vector<CastorRecord>& records) {
        Sim sim(settings, host);
        sim.m_FileIn = test::writeCastorFile(dir, "traffic.cas", records);
        sim.m_FileType = FORMAT_CASTOR;
        sim.m_NoLanesDirPos = 1;
        sim.m_NoLanesDirNeg = 0;
        sim.m_NoDirections = 1;
        sim.m_NoLanes = 1;
        sim.m_RoadLength = 1000;
        sim.m_SimTimeStep = 1.0;
        sim.road.trafFileLanesPos = 1;
        sim.road.trafFileLanes = 1;
        sim.road.constVelocity = true;
        sim.road.roadLength = 1000;
        for (const CStatDetector& element : m_vElements)
            sim.road.addDetector(element, 1, 0, FORMAT_CASTOR);
        bool ok = false;
        sim.init(ok);
        ASSERT_TRUE(ok);
        bool running = true;
        for (int step = 0; running && step < 1000; ++step)
            sim.step(running);
        EXPECT_FALSE(running);
    }

    CSettings settings;
    test::RecordingHost host;
    test::TempDir dir{"tarlo-segrun"};
    std::vector<CStatDetector> m_vElements;
};

// Vehicle 1 (released at 3600) is removed at 3701, when it reaches 1020 m; vehicle 2
// (released at 3604) is then at 980 m, inside the segment, and still points at it until
// the next acceleration pass, which comes after the rows of the next step are written.
TEST_F(SegmentRunTest, MicroRowsAfterTheLeaderLeftTheRoad) {
    addDetector(526, 950, 1000, 1);
    run({at(0), at(4)});
    const std::string file = readFile(dir.file("Micro_All_Pos_950-1000.csv"));
    const std::size_t from = file.find("\r\n102,");
    ASSERT_NE(from, std::string::npos) << file;
    EXPECT_EQ(file.substr(from + 2), "102,2,1,1,4,970,36,1,36,0\r\n"
                                     "103,2,1,1,4,980,36,1,36,0\r\n"
                                     "104,2,1,1,4,990,0,0,36,0\r\n"
                                     "105\r\n"
                                     "106\r\n");
}

// A 30 m vehicle is removed at 1020 m with its rear at 990 m, before it passes the exit at
// 1000 m: its occupation ends at its removal. A 4 m vehicle after it passes the exit
// before it is removed, and a third one keeps the run going.
TEST_F(SegmentRunTest, OccupancyOfAVehicleRemovedBeforeItsRearPassedTheExit) {
    addDetector(529, 990, 1000, 10);
    run({at(0, 300), at(20), at(60)});
    // The first from 3698 s (front at the entry) to 3701 s (removed); the second from
    // 3718 s to 3719.4 s (rear at the exit), after the row written at the start of the
    // step of 3719 s. The third is inside after the last completed interval.
    EXPECT_EQ(readFile(dir.file("Occup_All_Pos_990-1000.csv")),
              "Occupancy\r\nTime,Lane 1\r\n"
              "10,0\r\n20,0\r\n30,0\r\n40,0\r\n50,0\r\n60,0\r\n70,0\r\n80,0\r\n90,0\r\n"
              "100,0\r\n110,0.3\r\n120,0\r\n130,0.14\r\n140,0\r\n150,0\r\n160,0\r\n");
}

} // namespace
} // namespace tarlo
