#include "engine/Road.h"

#include "detectors/CStatDetector.h"
#include "detectors/DetectorFactory.h"
#include "engine/features/Obstacle.h"
#include "engine/features/SegmentFactory.h"
#include "platform/Host.h"
#include "project/settings/CSettings.h"
#include "vehicles/CIDMParameterSet.h"
#include "vehicles/CVehicleType.h"
#include "vehicles/CVehicleTypes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tarlo {

Road::Road(const CSettings& settings, Host& host)
    : m_Settings(settings), m_Host(host),
      minEntrySpace(settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE) {
    dirNeg.positive = false;
}

namespace {
// Pipes, FIFOs, sockets and terminals give their bytes once, as they come.
bool isStreamFile(const std::string& name) {
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(name, error).type();
    return type == std::filesystem::file_type::fifo || type == std::filesystem::file_type::socket ||
           type == std::filesystem::file_type::character;
}
} // namespace

void Road::setupFile(int format, int lanes, const std::string& fileName) {
    m_FileName = fileName;
    // Opening a FIFO would wait for a writer, only for the run to refuse it.
    m_bStreamInput = isStreamFile(fileName);
    fileReader = m_bStreamInput ? nullptr
                                : makeFileHandler(format, m_Settings, static_cast<unsigned>(lanes),
                                                  fileName, "");
}

void Road::addBridge(const CBridge& bridge) { bridges.push_back(std::make_unique<CBridge>(bridge)); }

const Detector* Road::addDetector(const CStatDetector& element, int lanesPos, int lanesNeg,
                                  int format) {
    const bool positive = element.getDirPos();
    std::unique_ptr<Detector> detector =
        makeDetector(element, positive ? lanesPos : lanesNeg, roadLength, vehicleTypes, format,
                     m_Settings, &outputFiles);
    if (!detector)
        return nullptr;
    auto& detectors = positive ? detectorsPos : detectorsNeg;
    detectors.push_back(std::move(detector));
    return detectors.back().get();
}

void Road::addRoadFeature(const CRoadFeature& element) {
    std::unique_ptr<RoadSegment> segment =
        makeRoadSegment(element, m_Settings, vehicleTypes, generators.feature);
    if (segment)
        (segment->dirPositive ? segmentsPos : segmentsNeg).push_back(std::move(segment));
}

namespace {
template <class T> std::vector<T*> pointersTo(const std::vector<std::unique_ptr<T>>& owned) {
    std::vector<T*> pointers;
    pointers.reserve(owned.size());
    for (const auto& item : owned)
        pointers.push_back(item.get());
    return pointers;
}
} // namespace

double Road::init(bool& ok) {
    std::vector<std::unique_ptr<Obstacle>> obstacles = arrangeSegments();
    std::sort(bridges.begin(), bridges.end(),
              [](const auto& a, const auto& b) { return a->GetStart() > b->GetStart(); });
    std::vector<CBridge*> runBridges;
    for (const auto& bridge : bridges)
        runBridges.push_back(bridge.get());

    ok = readFirstBlock();

    for (Direction* direction : {&dirPos, &dirNeg}) {
        direction->timeStep = timeStep;
        direction->driveOnRight = driveOnRight;
        direction->allowLaneChanging = allowLaneChanging;
        direction->length = roadLength;
    }
    dirPos.init(m_Settings, 0, std::vector<double>(noLanesPos, roadLength), runBridges,
                pointersTo(detectorsPos), pointersTo(segmentsPos));
    for (Lane& lane : dirPos.lanes)
        lanes.push_back(&lane);
    if (noDirections == 2) {
        dirNeg.init(m_Settings, noLanesPos, std::vector<double>(noLanesNeg, roadLength), runBridges,
                    pointersTo(detectorsNeg), pointersTo(segmentsNeg));
        for (Lane& lane : dirNeg.lanes)
            lanes.push_back(&lane);
    }
    if (!placeObstacles(std::move(obstacles)))
        ok = false;
    return pending.empty() ? 0.0 : pending.front()->getTime();
}

// Gives every segment its direction positions and sorts each list by start, equal starts
// in the order the features were added. The obstacles leave the lists: they belong in their
// lanes, and a crossing of their stretch changes no driver. Returns them, positive
// direction first.
std::vector<std::unique_ptr<Obstacle>> Road::arrangeSegments() {
    std::vector<std::unique_ptr<Obstacle>> obstacles;
    for (auto* segments : {&segmentsPos, &segmentsNeg}) {
        for (const auto& segment : *segments)
            segment->locate(roadLength);
        std::stable_sort(segments->begin(), segments->end(),
                         [](const auto& a, const auto& b) { return a->start < b->start; });
        for (auto& segment : *segments) {
            if (auto* obstacle = dynamic_cast<Obstacle*>(segment.get())) {
                segment.release();
                obstacles.emplace_back(obstacle);
            }
        }
        std::erase(*segments, nullptr);
    }
    return obstacles;
}

// Each obstacle joins its lane as a static occupant, after every occupant at or ahead of
// its position. An obstacle whose lane the road does not have stops the set-up; it and
// the obstacles not yet placed are destroyed.
bool Road::placeObstacles(std::vector<std::unique_ptr<Obstacle>> obstacles) {
    for (auto& obstacle : obstacles) {
        if (!mapObstacleLane(*obstacle))
            return false;
        obstacle->vehicleNo = static_cast<unsigned>(releasedCount);
        obstacle->driveOnRight = driveOnRight;
        obstacle->laneChangeAllowed = false;
        obstacle->laneChangeTimer = 0.0;
        Lane& lane = *lanes[obstacle->lane - 1];
        lane.placeStatic(std::move(obstacle));
    }
    return true;
}

// The road lane of an obstacle. Its direction lane must exist on the road; the traffic
// file's lane count does not limit it.
bool Road::mapObstacleLane(Obstacle& obstacle) {
    const bool positive = obstacle.Vehicle::dirPositive;
    const int directionLane = obstacle.lane;
    const int directionLanes = positive ? noLanesPos : (noDirections == 2 ? noLanesNeg : 0);
    if (directionLane >= 1 && directionLane <= directionLanes) {
        const int roadLane = positive ? directionLane : noLanes - directionLane + 1;
        if (roadLane >= 1 && roadLane <= static_cast<int>(lanes.size()) &&
            lanes[roadLane - 1]->positive == positive) {
            obstacle.roadLanes = noLanes;
            obstacle.lane = roadLane;
            return true;
        }
    }
    char text[160];
    std::snprintf(text, sizeof text,
                  "The obstacle lane does not exist on the specified road\n"
                  "Obstacle lane: %d\tDirection: %d",
                  directionLane, positive ? 1 : 0);
    m_Host.showMessage(text, MessageIcon::Exclamation);
    return false;
}

// The first block of the traffic file; a file without a vehicle cannot start a run. Every
// message names the file in its first line.
bool Road::readFirstBlock() {
    // The progress of a run is the share of the file's lines read, so they are counted
    // before the run starts, which a pipe does not allow.
    if (m_bStreamInput || (fileReader && fileReader->inputOpen() && !fileReader->readFailed() &&
                           !fileReader->lineCountKnown())) {
        m_Host.showMessage("Cannot run from the traffic file " + m_FileName +
                               "\nIt is a pipe or a FIFO, which can be read only once; a run "
                               "needs a file that it can count first.",
                           MessageIcon::Error);
        return false;
    }
    if (!fileReader || !fileReader->inputOpen()) {
        m_Host.showMessage("Cannot read the traffic file " + m_FileName, MessageIcon::Error);
        return false;
    }
    for (auto& vehicle : fileReader->readFirstBlock()) {
        if (!prepareVehicle(*vehicle))
            return false;
        pending.push_back(std::move(vehicle));
    }
    if (fileReader->readFailed()) {
        showReadError();
        return false;
    }
    if (pending.empty()) {
        m_Host.showMessage("The traffic file " + m_FileName + " holds no vehicles.",
                           MessageIcon::Error);
        return false;
    }
    return true;
}

void Road::showReadError() {
    m_Host.showMessage("Cannot read the traffic file " + m_FileName + " beyond line " +
                           std::to_string(fileReader->getNoRead()) +
                           "\nA read error stopped the reading. No more vehicles will be read in.",
                       MessageIcon::Error);
}

bool Road::prepareVehicle(Vehicle& vehicle) {
    vehicle.roadLanes = noLanes;
    const int fileLane = vehicle.lane;
    bool okFile, okRoad;
    if (vehicle.dirPositive) {
        okFile = fileLane <= trafFileLanesPos;
        okRoad = fileLane >= 1 && fileLane <= noLanesPos;
    } else {
        okFile = fileLane <= trafFileLanesNeg;
        okRoad = fileLane >= 1 && fileLane <= noLanesNeg;
        vehicle.lane = noLanes - fileLane + 1;
    }
    if (okFile && okRoad)
        return true;

    std::string message;
    if (!okFile)
        message += "The vehicle lane in the traffic file is greater than that specified in the "
                   "Simulation Configuration\n";
    if (!okRoad)
        message += "The vehicle lane in the traffic file does not exist on the specified road\n";
    char details[128];
    std::snprintf(details, sizeof details, "Vehicle no: %d\tlane: %d\tDirection: %d\n",
                  static_cast<int>(vehicle.vehicleNo), vehicle.lane, vehicle.dirPositive ? 1 : 0);
    message += details;
    message += "No more vehicles will be read in.";
    m_Host.showMessage(message, MessageIcon::Exclamation);
    return false;
}

void Road::injectVehicles(double t) {
    while (!pending.empty()) {
        Vehicle& next = *pending.front();
        Lane& lane = *lanes[next.lane - 1];
        if (lane.entrySpace < minEntrySpace || next.getTime() > t)
            return;
        std::unique_ptr<Vehicle> vehicle = std::move(pending.front());
        pending.pop_front();
        release(std::move(vehicle), lane);
        readNext();
    }
}

void Road::release(std::unique_ptr<Vehicle> vehicle, Lane& lane) {
    ++releasedCount;
    // Without a type set (a bare simulation spine) the vehicle stays unclassified and
    // keeps its speed.
    if (vehicleTypes) {
        const CVehicleType* type = vehicleTypes->classify(*vehicle);
        vehicle->type = type;
        vehicle->vehicleClass = type->getClass();
        vehicle->driver = type->getIDMParams()->createDriver(generators.distribution, m_Settings);
    }
    vehicle->constVelocity = constVelocity;
    vehicle->roadLength = roadLength;
    vehicle->driveOnRight = driveOnRight;
    vehicle->laneChangeAllowed = false;
    vehicle->laneChangeTimer = 0.0;
    lane.appendVehicle(std::move(vehicle));
}

void Road::readNext() {
    std::unique_ptr<Vehicle> next = fileReader->readNextVehicle(endOfFile);
    // The run goes on with the vehicles read, as after a lane mismatch.
    if (fileReader->readFailed() && !trafficReadFailed) {
        trafficReadFailed = true;
        showReadError();
    }
    const unsigned lines = fileReader->getNoLines();
    if (lines > 0)
        progress = static_cast<int>(100.0 * fileReader->getNoRead() / lines + 0.5);
    if (!next)
        return;
    if (prepareVehicle(*next))
        pending.push_back(std::move(next));
    else
        endOfFile = true;
}

bool Road::update(double t) {
    const bool finishedPos = dirPos.update(t);
    const bool finishedNeg = noDirections == 2 ? dirNeg.update(t) : true;
    for (const auto& bridge : bridges)
        bridge->Update(t);
    if (!(finishedPos && finishedNeg && endOfFile && pending.empty()))
        return false;
    for (const auto& detector : detectorsPos)
        detector->finish();
    for (const auto& detector : detectorsNeg)
        detector->finish();
    for (const auto& bridge : bridges)
        bridge->Finish();
    return true;
}

int Road::vehicleCount() const {
    int count = 0;
    for (const Lane* lane : lanes)
        count += static_cast<int>(lane->vehicles.size()) - lane->staticCount;
    return count;
}

LaneSnapshot Road::getVehicles() const {
    LaneSnapshot snapshot;
    snapshot.reserve(lanes.size());
    dirPos.appendVehicles(snapshot);
    if (noDirections == 2)
        dirNeg.appendVehicles(snapshot);
    return snapshot;
}

void Road::clear() {
    // Detectors go first: the output detector writes what still waits as it closes.
    detectorsPos.clear();
    detectorsNeg.clear();
    dirPos.clear();
    dirNeg.clear();
    // The obstacles went to their lanes at init and have gone with them.
    segmentsPos.clear();
    segmentsNeg.clear();
    fileReader.reset();
    endOfFile = false;
    trafficReadFailed = false;
    releasedCount = 0;
    progress = 0;
    lanes.clear();
    pending.clear();
    bridges.clear();
}

} // namespace tarlo
