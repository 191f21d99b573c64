#include "detectors/SpaceTimeDensityDetector.h"

#include "detectors/NumberText.h"

#include <string>
#include <vector>

namespace tarlo {

SpaceTimeDensityDetector::SpaceTimeDensityDetector(const DetectorParams& params, int first,
                                                   int spacing, int last)
    : ArrayDetector(DETECTOR_ST_DENSITY, params, first, spacing, last) {
    openOutput();
}

void SpaceTimeDensityDetector::openOutput() {
    openStream(m_Output,
               fileName("STD_", std::to_string(m_First) + "-" + std::to_string(m_Last) + ".csv"));
    writeSpaceTimeHeader(m_Output, m_Lanes, m_vPositions);
}

void SpaceTimeDensityDetector::writeInterval() {
    writeSpaceTimeRow(m_Output, endOfIntervalTime(), *this, m_Statistics,
                      &LaneStatistics::densities);
    clearCrossings();
}

void writeSpaceTimeHeader(std::ostream& out, int lanes, const std::vector<int>& positions) {
    const std::string columns(positions.size(), ',');
    out << "Time (s),";
    for (int i = 1; i <= lanes; ++i)
        out << "Lane " << i << columns;
    out << "Totals\r\n";
    out << ' ';
    for (int i = 0; i <= lanes; ++i)
        for (int position : positions)
            out << ',' << position;
    out << "\r\n";
}

void writeSpaceTimeRow(std::ostream& out, double time, ArrayDetector& detector,
                       LaneStatistics& statistics, LaneStatistic statistic) {
    const std::size_t n = static_cast<std::size_t>(detector.lanes());
    const std::size_t positions = detector.positions().size();
    // Rows: the lanes, then the totals; columns: the positions.
    std::vector<std::vector<double>> table(n + 1, std::vector<double>(positions, 0.0));
    std::vector<double> lanes;
    double total = 0.0;
    for (std::size_t j = 0; j < positions; ++j) {
        statistics.collect(detector.crossings(j));
        (statistics.*statistic)(lanes, total);
        for (std::size_t i = 0; i < n && i < lanes.size(); ++i)
            table[i][j] = lanes[i];
        table[n][j] = total;
    }
    out << Number{time};
    for (const std::vector<double>& row : table)
        for (double value : row)
            out << ',' << Number{value};
    out << "\r\n";
}

} // namespace tarlo
