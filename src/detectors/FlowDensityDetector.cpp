#include "detectors/FlowDensityDetector.h"

#include "detectors/NumberText.h"

#include <string>

namespace tarlo {

FlowDensityDetector::FlowDensityDetector(const DetectorParams& params, int x)
    : MetricsDetector(DETECTOR_FLOW_DENSITY, params, x) {
    m_Statistics.reset();
    openOutput();
}

void FlowDensityDetector::openOutput() {
    openStream(m_Output, fileName("FD_", std::to_string(globalPosition()) + ".csv"));
    m_Output << " ,";
    for (int i = 1; i <= m_Lanes; ++i)
        m_Output << "Lane " << i << ", , , ,";
    m_Output << "Totals";
    endRow(m_Output);
    m_Output << "Time (s)";
    for (int i = 0; i <= m_Lanes; ++i)
        m_Output << ",Density (veh/km),Flow (veh/hr),Space Mean Speed (km/h),"
                    "Time Mean Speed (km/h)";
    endRow(m_Output);
}

void FlowDensityDetector::vehiclePassed(const Vehicle& vehicle, double /*t*/) {
    m_vGathered.push_back(vehicle);
}

void FlowDensityDetector::writeInterval() {
    std::vector<double> density, flow, sms, tms;
    double densityTotal = 0.0, flowTotal = 0.0, smsTotal = 0.0, tmsTotal = 0.0;
    m_Statistics.collect(m_vGathered);
    m_Statistics.densities(density, densityTotal);
    m_Statistics.flows(flow, flowTotal);
    m_Statistics.spaceMeanSpeeds(sms, smsTotal);
    m_Statistics.timeMeanSpeeds(tms, tmsTotal);

    m_Output << Number{endOfIntervalTime()};
    for (int i = 0; i < m_Lanes; ++i)
        m_Output << ',' << Number{density[i]} << ',' << Number{flow[i]} << ',' << Number{sms[i]}
                 << ',' << Number{tms[i]};
    m_Output << ',' << Number{densityTotal} << ',' << Number{flowTotal} << ',' << Number{smsTotal}
             << ',' << Number{tmsTotal};
    endRow(m_Output);
    clearInterval();
}

void FlowDensityDetector::clearInterval() {
    m_vGathered.clear();
}

} // namespace tarlo
