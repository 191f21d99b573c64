#include "detectors/SpaceTimeSMSDetector.h"

#include "detectors/SpaceTimeDensityDetector.h"

#include <string>

namespace tarlo {

SpaceTimeSMSDetector::SpaceTimeSMSDetector(const DetectorParams& params, int first, int spacing,
                                           int last)
    : ArrayDetector(DETECTOR_ST_SMS, params, first, spacing, last) {
    openOutput();
}

void SpaceTimeSMSDetector::openOutput() {
    openStream(m_Output,
               fileName("STSMS_", std::to_string(m_First) + "-" + std::to_string(m_Last) + ".csv"));
    writeSpaceTimeHeader(m_Output, m_Lanes, m_vPositions);
}

void SpaceTimeSMSDetector::writeInterval() {
    writeSpaceTimeRow(m_Output, endOfIntervalTime(), *this, m_Statistics,
                      &LaneStatistics::spaceMeanSpeeds);
    clearCrossings();
}

} // namespace tarlo
