#include "detectors/Detector.h"

#include "detectors/ArrayDetector.h"
#include "detectors/SegmentDetector.h"

#include <algorithm>
#include <locale>
#include <new>

namespace tarlo {

Detector::Detector(int category, int kind, const DetectorParams& params)
    : m_Category(category), m_Kind(kind), m_VehicleFilter(params.filter),
      m_RoadLength(params.roadLength), m_DirPos(params.positive), m_Lanes(params.lanes),
      m_Interval(params.interval),
      m_BufferSize(std::size_t{std::max(1u, params.fileBufferMB)} << 20),
      m_OutputDir(params.outputDir), m_pOutputFiles(params.outputFiles) {}

Detector::~Detector() {
    if (m_Output.is_open())
        m_Output.close();
}

void Detector::removeOccupant(const Vehicle& vehicle) {
    const auto it = std::find(m_vVehicles.begin(), m_vVehicles.end(), &vehicle);
    if (it != m_vVehicles.end())
        m_vVehicles.erase(it);
}

void Detector::react(const Vehicle& vehicle, double p0, double p1, double t) {
    switch (m_Category) {
    case DETECTOR_POINT:
        // The watched stretch is the point itself, so the move reaches it.
        if (accepts(vehicle))
            vehiclePassed(vehicle, t);
        break;
    case DETECTOR_SEGMENT: {
        auto& segment = static_cast<SegmentDetector&>(*this);
        const double entry = segment.entry();
        const double exit = segment.exit();
        if (p0 <= entry && p1 >= entry) {
            if (accepts(vehicle))
                vehiclePassed(vehicle, t);
            // Carried through the whole segment in one step: it is not inside at the end.
            if (p1 >= exit)
                removeOccupant(vehicle);
        } else if (p0 < exit && p1 >= exit) {
            removeOccupant(vehicle);
        }
        segment.afterMove(vehicle, t);
        break;
    }
    case DETECTOR_ARRAY:
        if (accepts(vehicle))
            static_cast<ArrayDetector&>(*this).gatherCrossings(vehicle, p0, p1);
        break;
    default:
        break;
    }
}

std::string Detector::fileName(std::string_view prefix, std::string_view tail) const {
    std::string name = m_OutputDir;
    name += prefix;
    name += filterToken(m_VehicleFilter);
    name += m_DirPos ? "_Pos_" : "_Neg_";
    name += tail;
    return name;
}

void Detector::openStream(OutputFileStream& stream, const std::string& name, bool buffered) {
    if (stream.is_open())
        stream.close();
    stream.clear();
    // A stream takes a buffer only before its file is opened. Without the memory it keeps
    // its own small one. The stream writes the buffer before it reads it: no need to clear it.
    if (buffered) {
        if (!m_pBuffer)
            m_pBuffer.reset(new (std::nothrow) char[m_BufferSize]);
        if (m_pBuffer)
            stream.rdbuf()->pubsetbuf(m_pBuffer.get(), static_cast<std::streamsize>(m_BufferSize));
    }
    stream.imbue(std::locale::classic());
    stream.setRecord(m_pOutputFiles);
    stream.open(name);
    m_vFileNames.push_back(name);
}

} // namespace tarlo
