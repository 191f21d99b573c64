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
    // Crossings arrive lane by lane; within a step a later lane may have crossed earlier.
    auto at = m_vWaiting.end();
    while (at != m_vWaiting.begin() && (at - 1)->time > time)
        --at;
    Vehicle& record = m_vWaiting.insert(at, Crossing{time, vehicle})->vehicle;
    record.setTime(time);
    // The record carries the lane as a traffic file numbers it, within its direction.
    record.lane = directionLaneNumber(vehicle);
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
    for (const Crossing& crossing : m_vWaiting)
        m_pWriter->writeVehicle(crossing.vehicle);
    m_vWaiting.clear();
}

} // namespace tarlo
