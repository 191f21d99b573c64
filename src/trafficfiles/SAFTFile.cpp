#include "trafficfiles/SAFTFile.h"

namespace tarlo {

namespace {
// SAFT files carry no head code of their own.
constexpr unsigned kSaftHead = 20005;
} // namespace

SAFTFile::SAFTFile(const CSettings& settings, unsigned laneLimit, const std::string& inFile,
                   const std::string& outFile)
    : FileHandler(FORMAT_SAFT, settings, laneLimit, inFile, outFile) {}

bool SAFTFile::parseRecord(const std::string& line, Vehicle& vehicle) const {
    FieldReader field(line);
    vehicle.resetPositionState();
    vehicle.serialNo = field(0, 5);
    vehicle.head = kSaftHead;
    readTimeStamp(field, 10, vehicle);
    vehicle.speed = field(24, 3) / 10.0;
    vehicle.gvw = field(27, 4);
    vehicle.length = field(31, 3) / 10.0;
    const int noAxles = field(34, 1);
    // A SAFT file holds one lane of one direction.
    vehicle.direction = 1;
    vehicle.lane = 1;
    vehicle.dirPositive = true;
    if (!field.ok() || noAxles < 0)
        return false;
    vehicle.noAxles = static_cast<unsigned>(noAxles);
    vehicle.axles.assign(vehicle.noAxles, Axle{});
    for (unsigned i = 0; i < vehicle.noAxles; ++i) {
        vehicle.axles[i].weight = field(35 + 5 * i, 3);
        // The last axle has no spacing.
        if (i + 1 < vehicle.noAxles)
            vehicle.axles[i].spacing = field(38 + 5 * i, 2) / 10.0;
    }
    placeAxles(vehicle);
    return field.ok();
}

std::string SAFTFile::formatRecord(const Vehicle& vehicle) const {
    std::string record;
    record.reserve(40 + 5 * std::size_t{vehicle.noAxles});
    RecordWriter write(record, '0');
    write(vehicle.serialNo, 5);
    write(vehicle.head, 5);
    writeTimeStamp(write, vehicle);
    write(nearest(vehicle.speed * 10), 3);
    write(nearest(vehicle.gvw), 4);
    write(nearest(vehicle.length * 10), 3);
    write(vehicle.noAxles, 1);
    for (unsigned i = 0; i < vehicle.noAxles; ++i) {
        const Axle axle = axleAt(vehicle, i);
        write(nearest(axle.weight), 3);
        if (i + 1 < vehicle.noAxles)
            write(nearest(axle.spacing * 10), 2);
    }
    return record;
}

} // namespace tarlo
