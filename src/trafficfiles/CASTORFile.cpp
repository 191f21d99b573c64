#include "trafficfiles/CASTORFile.h"

namespace tarlo {

namespace {
constexpr unsigned kAxleSlots = 9;
// Weights are held in tenths of a tonne.
constexpr double kTenthTonne = 0.981;
} // namespace

CASTORFile::CASTORFile(const CSettings& settings, unsigned laneLimit, const std::string& inFile,
                       const std::string& outFile)
    : FileHandler(FORMAT_CASTOR, settings, laneLimit, inFile, outFile) {}

bool CASTORFile::parseRecord(const std::string& line, Vehicle& vehicle) const {
    FieldReader field(line);
    vehicle.resetPositionState();
    vehicle.head = field(0, 4);
    readTimeStamp(field, 4, vehicle);
    vehicle.speed = field(18, 3) / 10.0;
    vehicle.gvw = field(21, 4) * kTenthTonne;
    vehicle.length = field(25, 3) / 10.0;
    const int noAxles = field(28, 1);
    vehicle.direction = field(29, 1);
    vehicle.lane = field(30, 1);
    vehicle.auxCode = field(31, 3) / 10;
    vehicle.dirPositive = vehicle.direction == 1;
    if (!field.ok() || noAxles < 0)
        return false;
    vehicle.noAxles = static_cast<unsigned>(noAxles);
    vehicle.axles.assign(vehicle.noAxles, Axle{});
    for (unsigned i = 0; i < vehicle.noAxles; ++i) {
        vehicle.axles[i].weight = field(34 + 5 * i, 3) * kTenthTonne;
        vehicle.axles[i].spacing = field(37 + 5 * i, 2) / 10.0;
    }
    placeAxles(vehicle);
    return field.ok();
}

std::string CASTORFile::formatRecord(const Vehicle& vehicle) const {
    std::string record;
    record.reserve(80);
    RecordWriter write(record, ' ');
    write(vehicle.head, 4);
    writeTimeStamp(write, vehicle);
    write(nearest(vehicle.speed * 10), 3);
    write(nearest(vehicle.gvw / kTenthTonne), 4);
    write(nearest(vehicle.length * 10), 3);
    write(vehicle.noAxles, 1);
    write(vehicle.direction, 1);
    write(vehicle.lane, 1);
    write(vehicle.auxCode * 10LL, 3);
    for (unsigned i = 0; i < kAxleSlots; ++i) {
        const Axle axle = axleAt(vehicle, i);
        write(nearest(axle.weight / kTenthTonne), 3);
        if (i + 1 < kAxleSlots)
            write(nearest(axle.spacing * 10), 2);
    }
    return record;
}

} // namespace tarlo
