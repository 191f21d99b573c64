#pragma once

#include "bridges/CBridge.h"
#include "detectors/Detector.h"
#include "engine/Direction.h"
#include "engine/OutputFiles.h"
#include "engine/features/RoadSegment.h"
#include "trafficfiles/FileHandler.h"
#include "vehicles/RandomGenerator.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tarlo {

class CSettings;
class CRoadFeature;
class CStatDetector;
class CVehicleTypes;
class Host;
class Lane;
class Obstacle;
class Vehicle;

// The vehicles of every lane, in road lane order. The lists are the caller's; the
// vehicles stay the road's.
using LaneSnapshot = std::vector<std::vector<Vehicle*>>;

// Everything that moves during a run: the two directions with their lanes, the queue of
// vehicles read but not yet released, and the traffic file reader.
//
// Road lane numbers run 1..N over the whole road: the positive direction's lanes first,
// inside lane first; direction lane f of the negative direction is road lane N - f + 1, so
// the two outside lanes meet in the middle.
class Road {
public:
    Road(const CSettings& settings, Host& host);

    // Opens the traffic file: 101 CASTOR, 100 SAFT, 102 Kirro; any other code opens none.
    void setupFile(int format, int lanes, const std::string& fileName);
    // A run copy of the bridge joins the road.
    void addBridge(const CBridge& bridge);
    // The runtime detector of the element joins the detectors of its direction, which has
    // lanesPos or lanesNeg lanes, and is returned; an element without a runtime class adds
    // none (null). Needs roadLength and vehicleTypes set; format is the traffic file format
    // of output files.
    const Detector* addDetector(const CStatDetector& element, int lanesPos, int lanesNeg,
                                int format);
    // The runtime segment of a road-feature element joins the segments of its direction; an
    // element of another type adds none. The segment takes the road's vehicle types and the
    // run's road-feature generator.
    void addRoadFeature(const CRoadFeature& element);
    // Builds directions and lanes, reads the first block and places the obstacles in their
    // lanes; returns the first arrival time.
    double init(bool& ok);
    // Checks the vehicle's lane against the traffic-file and road lanes and maps it to the
    // road lane number; shows the lane message and returns false on a mismatch.
    bool prepareVehicle(Vehicle& vehicle);
    // Releases the pending vehicles whose time has come, strictly in file order.
    void injectVehicles(double t);
    // One time step; true when the run is over.
    bool update(double t);
    LaneSnapshot getVehicles() const;
    void clear();

    std::size_t pendingCount() const { return pending.size(); }
    // The vehicles released and not yet gone, obstacles aside.
    int vehicleCount() const;
    unsigned lineCount() const { return fileReader ? fileReader->getNoLines() : 0; }
    // The run's bridges, the one that starts furthest along first.
    const std::vector<std::unique_ptr<CBridge>>& getBridges() const { return bridges; }
    const Lane& lane(int roadLane) const { return *lanes[roadLane - 1]; }
    // The run's detectors of one direction, in element order.
    const std::vector<std::unique_ptr<Detector>>& getDetectors(bool positive) const {
        return positive ? detectorsPos : detectorsNeg;
    }

    // The run's road segments of one direction, sorted by start from init on. Until init
    // they include the obstacles; init hands those to their lanes.
    const std::vector<std::unique_ptr<RoadSegment>>& getSegments(bool positive) const {
        return positive ? segmentsPos : segmentsNeg;
    }

    // Copies of the run configuration, set before init.
    bool constVelocity = false;
    bool driveOnRight = true;
    bool allowLaneChanging = true;
    const CVehicleTypes* vehicleTypes = nullptr;
    int trafFileLanes = 0;
    int trafFileLanesPos = 0;
    int trafFileLanesNeg = 0;
    double timeStep = 0.0;
    int noDirections = 2;
    int noLanes = 0;
    int noLanesPos = 0;
    int noLanesNeg = 0;
    int roadLength = 0;

    // What became of the files the run's detectors and bridges wrote. Declared before them,
    // so that it outlives them, and kept when the road is cleared, so that it can be read
    // once the run has ended; the next run set-up empties it.
    OutputFiles outputFiles;

    int progress = 0;
    bool endOfFile = false;
    // Reading the traffic file stopped at a read error: the run lacks the rest of it.
    bool trafficReadFailed = false;
    int releasedCount = 0;
    // The random generators of the run, seeded by the run set-up.
    RunGenerators generators;

private:
    void release(std::unique_ptr<Vehicle> vehicle, Lane& lane);
    void readNext();
    bool readFirstBlock();
    void showReadError();
    std::vector<std::unique_ptr<Obstacle>> arrangeSegments();
    bool placeObstacles(std::vector<std::unique_ptr<Obstacle>> obstacles);
    bool mapObstacleLane(Obstacle& obstacle);

    const CSettings& m_Settings;
    Host& m_Host;
    std::string m_FileName;
    // The traffic file is a pipe or the like, which a run cannot count before it starts.
    bool m_bStreamInput = false;
    double minEntrySpace;
    Direction dirPos;
    Direction dirNeg;
    std::unique_ptr<FileHandler> fileReader;
    std::deque<std::unique_ptr<Vehicle>> pending;
    std::vector<Lane*> lanes;
    std::vector<std::unique_ptr<Detector>> detectorsPos;
    std::vector<std::unique_ptr<Detector>> detectorsNeg;
    std::vector<std::unique_ptr<RoadSegment>> segmentsPos;
    std::vector<std::unique_ptr<RoadSegment>> segmentsNeg;
    std::vector<std::unique_ptr<CBridge>> bridges;
};

} // namespace tarlo
