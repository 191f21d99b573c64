#include "engine/Road.h"

#include "platform/Host.h"
#include "project/settings/CSettings.h"
#include "vehicles/CIDMParameterSet.h"
#include "vehicles/CVehicleType.h"
#include "vehicles/CVehicleTypes.h"

#include <algorithm>
#include <cstdio>

namespace tarlo {

Road::Road(const CSettings& settings, Host& host)
    : m_Settings(settings), m_Host(host),
      minEntrySpace(settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE) {
    dirNeg.positive = false;
}

void Road::setupFile(int format, int lanes, const std::string& fileName) {
    m_FileName = fileName;
    fileReader = makeFileHandler(format, m_Settings, static_cast<unsigned>(lanes), fileName, "");
}

void Road::addBridge(const CBridge& bridge) { bridges.push_back(std::make_unique<CBridge>(bridge)); }

double Road::init(bool& ok) {
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
    dirPos.init(m_Settings, 0, std::vector<double>(noLanesPos, roadLength), runBridges);
    for (Lane& lane : dirPos.lanes)
        lanes.push_back(&lane);
    if (noDirections == 2) {
        dirNeg.init(m_Settings, noLanesPos, std::vector<double>(noLanesNeg, roadLength),
                    runBridges);
        for (Lane& lane : dirNeg.lanes)
            lanes.push_back(&lane);
    }
    return pending.empty() ? 0.0 : pending.front()->getTime();
}

// The first block of the traffic file; a file without a vehicle cannot start a run.
bool Road::readFirstBlock() {
    if (!fileReader || !fileReader->inputOpen()) {
        m_Host.showMessage("Cannot read the traffic file:\n" + m_FileName, MessageIcon::Error);
        return false;
    }
    for (auto& vehicle : fileReader->readFirstBlock()) {
        if (!prepareVehicle(*vehicle))
            return false;
        pending.push_back(std::move(vehicle));
    }
    if (pending.empty()) {
        m_Host.showMessage("The traffic file holds no vehicles:\n" + m_FileName,
                           MessageIcon::Error);
        return false;
    }
    return true;
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
    for (const auto& bridge : bridges)
        bridge->Finish();
    return true;
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
    dirPos.clear();
    dirNeg.clear();
    fileReader.reset();
    endOfFile = false;
    releasedCount = 0;
    progress = 0;
    lanes.clear();
    pending.clear();
    bridges.clear();
}

} // namespace tarlo
