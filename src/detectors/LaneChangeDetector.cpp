#include "detectors/LaneChangeDetector.h"

#include "detectors/NumberText.h"

#include <algorithm>
#include <iomanip>

namespace tarlo {

namespace {
const char* typeToken(int vehicleClass) {
    constexpr const char* tokens[] = {"Car", "SmallTr", "LargeTr", "Crane", "Lowload", "UserDef"};
    return vehicleClass >= 0 && vehicleClass < 6 ? tokens[vehicleClass] : "";
}
} // namespace

// <prefix><vt>_<dir>.csv: unlike the other detectors' names, no position follows.
std::string LaneChangeDetector::laneChangeFileName(std::string_view prefix) const {
    std::string name = m_OutputDir;
    name += prefix;
    name += filterToken(m_VehicleFilter);
    name += m_DirPos ? "_Pos.csv" : "_Neg.csv";
    return name;
}

LaneChangeDetector::LaneChangeDetector(const DetectorParams& params, int binWidth,
                                       const CVehicleTypes* vehicleTypes)
    : Detector(DETECTOR_LANE_CHANGE, DETECTOR_LANE_CHANGES, params),
      m_Statistics(params.lanes, params.interval, vehicleTypes), m_BinWidth(binWidth) {
    // A width that is not positive would never reach L; such a detector is refused when it
    // is created from its element.
    for (long long b = 0; binWidth > 0 && b < m_RoadLength; b += binWidth)
        m_vBinBoundaries.push_back(static_cast<int>(b));
    m_vBinBoundaries.push_back(m_RoadLength);
    m_vBinCounts.assign(m_vBinBoundaries.size(), 0);
    openOutput();
}

void LaneChangeDetector::finish() {
    for (OutputFileStream* stream : {&m_Verbose, &m_SpaceTime, &m_Rates, &m_Composition})
        if (stream->is_open())
            stream->close();
}

void LaneChangeDetector::openOutput() {
    if (writesComposition()) {
        openStream(m_Composition, laneChangeFileName("LC_Comp_"), false);
        m_Composition << "LANE CHANGE - COMPOSITION OF EVENTS";
        endRow(m_Composition);
        m_Composition << "Time Interval,Car Changes,SmallTr Changes,LargeTr Changes,"
                         "Crane Changes,LowLoad Changes,User Def. Veh. Changes";
        endRow(m_Composition);
    }

    openStream(m_Verbose, laneChangeFileName("LC_All_"), false);
    m_Verbose << std::fixed << std::setprecision(2);
    m_Verbose << "LANE CHANGE - VERBOSE OUTPUT OF EVENTS";
    endRow(m_Verbose);
    m_Verbose << "Time,Position,From Lane,To Lane,Right/Left,Type";
    endRow(m_Verbose);
    endRow(m_Verbose);
    m_Verbose.flush();

    openStream(m_SpaceTime, laneChangeFileName("LC_ST_"), false);
    m_SpaceTime << "LANE CHANGE - SPACE TIME OF EVENTS";
    endRow(m_SpaceTime);
    m_SpaceTime << "Left To Right,,Right To Left";
    endRow(m_SpaceTime);
    m_SpaceTime << "Time (s),Location (m),Time (s),Location (m)";
    endRow(m_SpaceTime);

    openStream(m_Rates, laneChangeFileName("LC_Rate_"), false);
    m_Rates << "LANE CHANGE - RATES BY LOCATION AND TIME";
    endRow(m_Rates);
    m_Rates << "Time (s),Location (m)";
    endRow(m_Rates);
    m_Rates << ',';
    for (int boundary : m_vBinBoundaries)
        m_Rates << boundary << ',';
    endRow(m_Rates);
}

void LaneChangeDetector::recordEvent(const LaneChangeEvent& event) {
    if (!filterAccepts(m_VehicleFilter, event.vehicleClass))
        return;
    m_vEvents.push_back(event);
    ++m_Count;
}

void LaneChangeDetector::writeInterval() {
    writeVerbose();
    writeComposition();
    writeSpaceTime();
    writeRates();
    clearInterval();
}

void LaneChangeDetector::clearInterval() {
    m_Count = 0;
    std::fill(m_vBinCounts.begin(), m_vBinCounts.end(), 0);
    m_vEvents.clear();
}

void LaneChangeDetector::writeVerbose() {
    for (const LaneChangeEvent& event : m_vEvents) {
        m_Verbose << FixedTwo{event.time} << " ," << event.position << " ," << event.fromLane
                  << " ," << event.toLane << " ," << (event.left ? "Left" : "Right") << " ,"
                  << typeToken(event.vehicleClass);
        endRow(m_Verbose);
    }
}

void LaneChangeDetector::writeComposition() {
    if (!writesComposition())
        return;
    m_Statistics.reset();
    for (const LaneChangeEvent& event : m_vEvents)
        m_Statistics.add(event.sample);
    std::vector<int> counts;
    m_Statistics.composition(counts);
    m_Composition << Number{endOfIntervalTime()};
    for (int count : counts)
        m_Composition << ',' << count;
    endRow(m_Composition);
}

void LaneChangeDetector::writeSpaceTime() {
    for (const LaneChangeEvent& event : m_vEvents) {
        if (event.left)
            m_SpaceTime << ",,";
        m_SpaceTime << Number{event.time} << ',' << event.position;
        endRow(m_SpaceTime);
    }
}

std::size_t LaneChangeDetector::binOf(int position) const {
    const auto it = std::upper_bound(m_vBinBoundaries.begin(), m_vBinBoundaries.end(), position);
    const auto bin = static_cast<std::size_t>(it - m_vBinBoundaries.begin());
    return std::min(bin, m_vBinBoundaries.size() - 1);
}

void LaneChangeDetector::writeRates() {
    for (const LaneChangeEvent& event : m_vEvents)
        ++m_vBinCounts[binOf(event.position)];
    const double hourKm = (m_Interval / 3600.0) * (m_BinWidth / 1000.0);
    m_Rates << Number{m_ElapsedTime};
    for (int count : m_vBinCounts)
        m_Rates << ',' << Number{count / hourKm};
    endRow(m_Rates);
}

} // namespace tarlo
