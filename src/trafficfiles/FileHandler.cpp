#include "trafficfiles/FileHandler.h"

#include "project/settings/CSettings.h"
#include "trafficfiles/CASTORFile.h"
#include "trafficfiles/KIRROFile.h"
#include "trafficfiles/SAFTFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <new>

namespace tarlo {

namespace {
constexpr unsigned kReadNothing = 0xFFFFFFFF;
constexpr std::size_t kCountChunk = 1 << 16;
} // namespace

FileHandler::FileHandler(int format, const CSettings& settings, unsigned laneLimit,
                         const std::string& inFile, const std::string& outFile)
    : m_Format(format), m_LaneLimit(laneLimit), m_Prototype(settings) {
    if (!inFile.empty() || !outFile.empty()) {
        const std::size_t size = std::size_t{std::max(1u, settings.General.FILE_BUFFER_MB)} << 20;
        // Without the memory the streams keep their own small buffers.
        m_pBuffer.reset(new (std::nothrow) char[size]);
        // The buffer serves one stream: the input when there is one, else the output.
        std::streambuf* user = !inFile.empty() ? static_cast<std::streambuf*>(m_In.rdbuf())
                                               : static_cast<std::streambuf*>(m_Out.rdbuf());
        if (m_pBuffer)
            user->pubsetbuf(m_pBuffer.get(), static_cast<std::streamsize>(size));
    }
    openInput(inFile);
    if (!outFile.empty())
        m_Out.open(outFile, std::ios::out | std::ios::trunc | std::ios::binary);
}

FileHandler::~FileHandler() {
    m_Out.close();
    m_In.close();
}

void FileHandler::openInput(const std::string& inFile) {
    if (inFile.empty())
        return;
    m_In.open(inFile, std::ios::in | std::ios::binary);
    if (!m_In.is_open())
        return;
    // Deliberately: an input that cannot be rewound (a pipe) is not counted when it is
    // opened, since the count would consume it and leave nothing to read; it is read once,
    // its lines counted as they come.
    std::streambuf* in = m_In.rdbuf();
    if (in->pubseekoff(0, std::ios::cur, std::ios::in) == std::streampos(-1))
        return;
    if (!countLines()) {
        m_bReadFailed = true;
        m_In.setstate(std::ios::badbit);
        return;
    }
    m_bLinesCounted = true;
    if (in->pubseekpos(0, std::ios::in) != std::streampos(0))
        m_In.setstate(std::ios::failbit);
}

bool FileHandler::countLines() {
    std::streambuf* in = m_In.rdbuf();
    std::size_t lines = 0;
    char last = '\n';
    // The stream buffer reports a read error by throwing; the engine raises none.
    try {
        std::vector<char> chunk(kCountChunk);
        for (std::streamsize n; (n = in->sgetn(chunk.data(), kCountChunk)) > 0;) {
            const char* end = chunk.data() + n;
            for (const char* p = chunk.data();
                 (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p)
                ++lines;
            last = end[-1];
        }
    } catch (const std::exception&) {
        return false;
    }
    // A last line without line end is a line too.
    if (last != '\n')
        ++lines;
    m_NoLines = static_cast<unsigned>(lines);
    return true;
}

void FileHandler::writeVehicle(const Vehicle& vehicle) {
    if (!m_Out.is_open())
        return;
    std::string record = formatRecord(vehicle);
    record += "\r\n";
    m_Out.write(record.data(), static_cast<std::streamsize>(record.size()));
}

std::unique_ptr<Vehicle> FileHandler::readVehicle(std::string& line) {
    // Running into the end of the input without a character is no line. Deliberately: the
    // stream's bad state (a read error) also ends the reading, but is kept as a failure
    // instead of passing for the end of the file.
    if (!readLine(line)) {
        if (m_In.bad())
            m_bReadFailed = true;
        line.clear();
        return nullptr;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++m_NoRead;
    if (line.empty())
        return nullptr;
    auto vehicle = std::make_unique<Vehicle>(m_Prototype);
    if (!parseRecord(line, *vehicle))
        return nullptr;
    vehicle->vehicleNo = m_NoRead;
    return vehicle;
}

bool FileHandler::readLine(std::string& line) {
    m_In.getline(m_LineChars, m_LineLimit + 1);
    std::streamsize kept = m_In.gcount();
    if (m_In.bad())
        return false;
    if (m_In.fail()) {
        // No character at all: the end of the input.
        if (kept == 0)
            return false;
        // Deliberately: a line longer than any record (a damaged or foreign file) is not
        // read whole, which could take all memory; its first m_LineLimit characters count
        // as the line, and the rest is skipped to the line end.
        m_In.clear();
        m_In.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        if (m_In.bad())
            return false;
    } else if (!m_In.eof()) {
        // The line end was taken too.
        --kept;
    }
    line.assign(m_LineChars, static_cast<std::size_t>(kept));
    return true;
}

std::unique_ptr<Vehicle> FileHandler::readNextVehicle(bool& endOfFile) {
    // A handler that reads nothing has no input to wait for.
    if (m_LaneLimit == kReadNothing) {
        endOfFile = true;
        return nullptr;
    }
    while (!endOfFile) {
        auto vehicle = readVehicle(m_Line);
        endOfFile = !m_In.good();
        if (vehicle && static_cast<unsigned>(vehicle->lane) <= m_LaneLimit)
            return vehicle;
    }
    return nullptr;
}

std::vector<std::unique_ptr<Vehicle>> FileHandler::readFirstBlock() {
    std::vector<std::unique_ptr<Vehicle>> block;
    bool endOfFile = false;
    // A vehicle from a last line without line end arrives with endOfFile set; keep it.
    for (unsigned i = 0; i < m_BlockSize && !endOfFile; ++i)
        if (auto vehicle = readNextVehicle(endOfFile))
            block.push_back(std::move(vehicle));
    return block;
}

void FileHandler::RecordWriter::operator()(long long value, int width) {
    const bool negative = value < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(value) : value;
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const int length = static_cast<int>(end - digits) + (negative ? 1 : 0);
    const std::size_t padding = width > length ? static_cast<std::size_t>(width - length) : 0;
    // Zero padding goes between the sign and the digits, space padding before the sign.
    if (m_Pad == ' ')
        m_Out.append(padding, ' ');
    if (negative)
        m_Out.push_back('-');
    if (m_Pad != ' ')
        m_Out.append(padding, m_Pad);
    m_Out.append(digits, static_cast<std::size_t>(end - digits));
}

long long FileHandler::nearest(double x) {
    const double r = std::trunc(x + 0.5);
    return std::abs(r) < 9.0e18 ? static_cast<long long>(r) : 0;
}

Axle FileHandler::axleAt(const Vehicle& vehicle, unsigned slot) {
    return slot < vehicle.noAxles && slot < vehicle.axles.size() ? vehicle.axles[slot] : Axle{};
}

void FileHandler::readTimeStamp(FieldReader& field, std::size_t column, Vehicle& vehicle) {
    vehicle.day = field(column, 2);
    vehicle.month = field(column + 2, 2);
    vehicle.year = field(column + 4, 2);
    vehicle.hour = field(column + 6, 2);
    vehicle.minute = field(column + 8, 2);
    vehicle.second = field(column + 10, 2);
    vehicle.hundredths = field(column + 12, 2);
}

void FileHandler::writeTimeStamp(RecordWriter& write, const Vehicle& vehicle) {
    for (const unsigned value : {vehicle.day, vehicle.month, vehicle.year, vehicle.hour,
                                 vehicle.minute, vehicle.second, vehicle.hundredths})
        write(value, 2);
}

void FileHandler::placeAxles(Vehicle& vehicle) {
    double position = 0.0;
    for (Axle& axle : vehicle.axles) {
        axle.position = position;
        position += axle.spacing;
    }
}

std::unique_ptr<FileHandler> makeFileHandler(int format, const CSettings& settings,
                                             unsigned laneLimit, const std::string& inFile,
                                             const std::string& outFile) {
    switch (format) {
    case FORMAT_SAFT:
        return std::make_unique<SAFTFile>(settings, laneLimit, inFile, outFile);
    case FORMAT_CASTOR:
        return std::make_unique<CASTORFile>(settings, laneLimit, inFile, outFile);
    case FORMAT_KIRRO:
        return std::make_unique<KIRROFile>(settings, laneLimit, inFile, outFile);
    default:
        return nullptr;
    }
}

} // namespace tarlo
