#include "trafficfiles/KIRROFile.h"

namespace tarlo {

namespace {
constexpr unsigned kAxleSlots = 20;
// Weights are held in tenths of a tonne.
constexpr double kTenthTonne = 0.981;
} // namespace

KIRROFile::KIRROFile(const CSettings& settings, unsigned laneLimit, const std::string& inFile,
                     const std::string& outFile)
    : FileHandler(FORMAT_KIRRO, settings, laneLimit, inFile, outFile) {}

bool KIRROFile::parseRecord(const std::string& line, Vehicle& vehicle) const {
    FieldReader field(line);
    vehicle.resetPositionState();
    vehicle.head = field(0, 4);
    readTimeStamp(field, 4, vehicle);
    vehicle.speed = field(18, 3) / 10.0;
    vehicle.gvw = field(21, 4) * kTenthTonne;
    vehicle.length = field(25, 3) / 10.0;
    const int noAxles = field(28, 2);
    // The file numbers the directions 0 and 1.
    vehicle.direction = field(30, 1) + 1;
    vehicle.lane = field(31, 1);
    vehicle.auxCode = field(32, 3) / 10;
    vehicle.dirPositive = vehicle.direction == 1;
    // A negative axle count ("-1") is no record.
    if (!field.ok() || noAxles < 0)
        return false;
    vehicle.noAxles = static_cast<unsigned>(noAxles);
    vehicle.axles.assign(vehicle.noAxles, Axle{});
    for (unsigned i = 0; i < vehicle.noAxles; ++i) {
        vehicle.axles[i].weight = field(35 + 6 * i, 3) * kTenthTonne;
        vehicle.axles[i].spacing = field(38 + 6 * i, 3) / 10.0;
    }
    placeAxles(vehicle);
    return field.ok();
}

std::string KIRROFile::formatRecord(const Vehicle& vehicle) const {
    std::string record;
    record.reserve(160);
    RecordWriter write(record, ' ');
    write(vehicle.head, 4);
    writeTimeStamp(write, vehicle);
    write(nearest(vehicle.speed * 10), 3);
    write(nearest(vehicle.gvw / kTenthTonne), 4);
    write(nearest(vehicle.length * 10), 3);
    write(vehicle.noAxles, 2);
    write(vehicle.direction - 1, 1);
    write(vehicle.lane, 1);
    write(vehicle.auxCode * 10LL, 3);
    for (unsigned i = 0; i < kAxleSlots; ++i) {
        const Axle axle = axleAt(vehicle, i);
        write(nearest(axle.weight / kTenthTonne), 3);
        if (i + 1 < kAxleSlots)
            write(nearest(axle.spacing * 10), 3);
    }
    return record;
}

} // namespace tarlo
