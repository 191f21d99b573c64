#include "detectors/OutputDetector.h"

#include <string>

namespace tarlo {

OutputDetector::OutputDetector(const DetectorParams& params, int x, int format,
                               const CSettings& settings)
    : PointDetector(DETECTOR_OUTPUT, params, x),
      m_FileName(fileName("Veh_", std::to_string(globalPosition()) + ".txt")) {
    const int code = format == FORMAT_SAFT || format == FORMAT_CASTOR ? format : FORMAT_KIRRO;
    m_pWriter = makeFileHandler(code, settings, 0, "", m_FileName);
    m_vFileNames.push_back(m_FileName);
    if (!m_pWriter->outputOpen()) {
        m_bClosed = true;
        if (m_pOutputFiles)
            m_pOutputFiles->reportFailed(m_FileName);
    }
}

OutputDetector::~OutputDetector() {
    writeWaiting();
    closeFile();
}

void OutputDetector::vehiclePassed(const Vehicle& vehicle, double t) {
    // A vehicle that stood on the position at the end of its last step was taken then.
    const double p0 = vehicle.previousPosition;
    if (!(p0 < m_Position || (m_Position == 0 && vehicle.position > p0)))
        return;
    const double time = crossingTime(vehicle, t);
    const std::size_t slot = m_vOrder.size();
    if (slot < m_vSlots.size()) {
        m_vSlots[slot].time = time;
        m_vSlots[slot].vehicle = vehicle;
    } else {
        m_vSlots.push_back(Crossing{time, vehicle});
    }
    Vehicle& record = m_vSlots[slot].vehicle;
    record.setTime(time);
    // The record carries the lane as a traffic file numbers it, within its direction.
    record.lane = directionLaneNumber(vehicle);
    // Crossings arrive lane by lane; within a step a later lane may have crossed earlier.
    auto at = m_vOrder.end();
    while (at != m_vOrder.begin() && m_vSlots[*(at - 1)].time > time)
        --at;
    m_vOrder.insert(at, slot);
}

void OutputDetector::writeInterval() {
    writeWaiting();
}

void OutputDetector::finish() {
    writeWaiting();
    closeFile();
}

void OutputDetector::closeFile() {
    if (m_bClosed)
        return;
    m_bClosed = true;
    const bool complete = m_pWriter->finishOutput();
    if (!m_pOutputFiles)
        return;
    if (complete)
        m_pOutputFiles->reportWritten(m_FileName);
    else
        m_pOutputFiles->reportFailed(m_FileName);
}

void OutputDetector::writeWaiting() {
    for (const std::size_t slot : m_vOrder)
        m_pWriter->writeVehicle(m_vSlots[slot].vehicle);
    m_vOrder.clear();
}

} // namespace tarlo
