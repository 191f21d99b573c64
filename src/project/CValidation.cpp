#include "project/CValidation.h"

#include "bridges/CBridge.h"
#include "bridges/CInfLineDiscrete.h"
#include "bridges/CLoadEffect.h"
#include "detectors/CStatDetector.h"
#include "engine/Lane.h"
#include "platform/Host.h"
#include "project/CRoadFeature.h"
#include "project/CTarloDoc.h"
#include "project/Limits.h"
#include "project/settings/CSettings.h"
#include "trafficfiles/FileHandler.h"
#include "vehicles/CDiscreteDist.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>

namespace tarlo {

namespace {

constexpr const char* noDocumentText = "No document available for validation.";
constexpr const char* swappedText = "Swapped start and end.";
constexpr const char* startsOutsideText = "Starts outside the defined road.";
constexpr const char* endsOutsideText = "Ends outside the defined road.";
constexpr const char* noInfluenceLineText = "No influence line assigned";
constexpr const char* timeIntervalSmallText =
    "The time interval is very small and may cause problems.";

// "Feature 3 - Speed limit at the bridge": the element's 1-based place in its list and name.
std::string elementLabel(const char* kind, std::size_t index, const std::string& description) {
    return std::string(kind) + ' ' + std::to_string(index + 1) + " - " + description;
}

std::string rowText(const char* text, std::size_t row) {
    return text + std::to_string(row + 1) + '.';
}

// "Too many lanes in positive direction: 1000 (at most 99).": a value past its bound.
std::string tooManyText(const std::string& what, long long value, long long most,
                        const std::string& unit = "") {
    return what + ": " + std::to_string(value) + unit + " (at most " + std::to_string(most) + unit +
           ").";
}

// Lane counts that every load effect can hold a weight for, and whose sum is an int.
bool lanesWithinBounds(const CTarloDoc& doc) {
    const auto within = [](int lanes) {
        return lanes >= -limits::maxLanesPerDirection && lanes <= limits::maxLanesPerDirection;
    };
    return within(doc.m_NoLanesDirPos) && within(doc.m_NoLanesDirNeg);
}

const char* directionName(bool positive) {
    return positive ? "positive" : "negative";
}

// The document's element that a copy was taken from, or the copy itself when the document
// holds no element at that place.
template <class T> T& storedElement(std::vector<T>& list, std::size_t index, T& copy) {
    return index < list.size() ? list[index] : copy;
}

// Applies a repair to the copy and to the document's element.
template <class T, class Repair> void repairBoth(T& copy, T& stored, Repair repair) {
    repair(copy);
    if (&stored != &copy)
        repair(stored);
}

// A load effect switched to a discrete line that was never picked holds an empty one.
bool isEmptyDiscrete(const CInfluenceLine& line) {
    if (line.GetType() != CInfluenceLine::IL_DISCRETE)
        return false;
    const auto& discrete = static_cast<const CInfLineDiscrete&>(line);
    return discrete.GetDistances().empty() || discrete.GetOrdinates().empty();
}

bool isFileReadable(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

// The findings of one section: every line goes out under the section's label, and any
// error fails it.
class CValidation::Section {
public:
    Section(CValidation& validation, std::string label)
        : m_Validation(validation), m_Label(std::move(label)) {}

    void error(const std::string& message) {
        note(message);
        m_bOk = false;
    }
    void note(const std::string& message) { m_Validation.writeLine(m_Label, message); }
    // A part checked under a section of its own failed.
    void fail() { m_bOk = false; }

    const std::string& label() const { return m_Label; }
    bool ok() const { return m_bOk; }

private:
    CValidation& m_Validation;
    std::string m_Label;
    bool m_bOk = true;
};

CValidation::CValidation(CTarloDoc* document, const CSettings& settings, Host& host)
    : maxSlope(settings.Road.RoadFeatures.Gradient.MAX_SLOPE),
      speedLimitMin(settings.Road.RoadFeatures.SpeedLimit.SPEEDLIMIT_MIN),
      speedLimitMax(settings.Road.RoadFeatures.SpeedLimit.SPEEDLIMIT_MAX),
      bridgeOnBuffer(settings.Road.BRIDGE_ON_BUFFER),
      minEntrySpace(settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE), m_pDocument(document),
      m_Host(host) {}

void CValidation::writeLine(const std::string& section, const std::string& message) {
    m_Host.appendValidationLine(m_pDocument->getTitle() + "| " + section + "| " + message);
}

bool CValidation::reportMissingDocument() {
    m_Host.appendValidationLine(noDocumentText);
    return false;
}

bool CValidation::validate() {
    if (!m_pDocument)
        return reportMissingDocument();
    bool ok = checkDocument();
    ok = checkConfiguration() && ok;
    ok = checkMetricsDirectory() && ok;
    ok = checkFeatures() && ok;
    ok = checkDetectors() && ok;
    ok = checkBridges() && ok;
    ok = checkInfluenceLines() && ok;
    ok = checkDiscreteDistributions() && ok;
    if (ok)
        writeLine("Overall", "Validation succesful!");
    return ok;
}

bool CValidation::checkDocument() {
    if (!m_pDocument)
        return reportMissingDocument();
    Section section(*this, "Document");
    if (m_pDocument->isModified())
        section.error("Save the *.tlp file before running the simulation.");
    return section.ok();
}

bool CValidation::checkConfiguration() {
    if (!m_pDocument)
        return reportMissingDocument();
    CTarloDoc& doc = *m_pDocument;
    Section section(*this, "Configuration");

    if (!isFileReadable(doc.runPath(doc.m_FileIn)))
        section.error("The input traffic file does not exist.");
    if (doc.m_NoLanes == 0)
        section.error("There cannot be zero lanes in both directions.");
    // Deliberately: lane counts past their bound are refused below and not repaired, as the
    // repair would give every load effect a weight per lane.
    const bool lanesBounded = lanesWithinBounds(doc);
    if (lanesBounded && doc.m_NoLanes != doc.m_NoLanesDirPos + doc.m_NoLanesDirNeg) {
        doc.updateLaneTotals();
        doc.setModified();
        m_Host.refreshViews();
        section.error("Fixed road lane numbers inconsistency - check and save file.");
    }
    if (doc.m_TrafFileNoLanesDirPos + doc.m_TrafFileNoLanesDirNeg == 0)
        section.error("No lanes specified for traffic file.");
    if (doc.m_TrafFileNoLanesDirNeg > doc.m_NoLanesDirNeg)
        section.error("Direction negative: more lanes in traffic file than on road.");
    if (doc.m_TrafFileNoLanesDirPos > doc.m_NoLanesDirPos)
        section.error("Direction positive: more lanes in traffic file than on road.");
    if (doc.m_TrafFileNoLanesDirPos == 0 && doc.m_NoLanesDirPos > 0)
        section.error("Direction positive: no lanes in traffic file for this direction.");
    if (doc.m_TrafFileNoLanesDirNeg == 0 && doc.m_NoLanesDirNeg > 0)
        section.error("Direction negative: no lanes in traffic file for this direction.");
    // A step that is not a number counts as too small.
    if (!(doc.m_SimTimeStep >= 0.01))
        section.error("Very small timestep (< 0.01 s).");
    if (doc.m_SimTimeStep > 1.0)
        section.error("Very large timestep (> 1.0 s).");
    if (doc.m_bConstVelocity)
        section.note("Constant velocity set - vehicle overlaps may occur.");

    // The road builds its lanes from these counts and puts a one-direction road on the
    // positive direction; the traffic file needs a format that has a reader.
    if (doc.m_NoLanesDirPos < 0 || doc.m_NoLanesDirNeg < 0)
        section.error("Negative number of lanes on road.");
    else if (doc.m_NoLanesDirPos == 0 && doc.m_NoLanesDirNeg > 0)
        section.error("A road with one direction must use the positive direction.");
    if (doc.m_TrafFileNoLanesDirPos < 0 || doc.m_TrafFileNoLanesDirNeg < 0)
        section.error("Negative number of lanes in traffic file.");
    if (doc.m_FileType != FORMAT_SAFT && doc.m_FileType != FORMAT_CASTOR &&
        doc.m_FileType != FORMAT_KIRRO)
        section.error("Unknown traffic file format.");

    const auto checkLanes = [&section](const char* what, int lanes) {
        if (lanes > limits::maxLanesPerDirection)
            section.error(tooManyText(what, lanes, limits::maxLanesPerDirection));
    };
    checkLanes("Too many lanes in positive direction", doc.m_NoLanesDirPos);
    checkLanes("Too many lanes in negative direction", doc.m_NoLanesDirNeg);
    checkLanes("Too many lanes in traffic file for positive direction",
               doc.m_TrafFileNoLanesDirPos);
    checkLanes("Too many lanes in traffic file for negative direction",
               doc.m_TrafFileNoLanesDirNeg);
    if (doc.m_RoadLength > limits::maxRoadLength)
        section.error(tooManyText("Road too long", doc.m_RoadLength, limits::maxRoadLength, " m"));
    return section.ok();
}

// Only the last level is made: the folder that holds it must exist. The path is reported
// as the run writes to it (separators as '/', relative to the project's folder).
bool CValidation::checkMetricsDirectory() {
    if (!m_pDocument)
        return reportMissingDocument();
    Section section(*this, "Metrics Directory");
    const std::string path = m_pDocument->runPath(m_pDocument->m_MetricsDir);
    // An empty path is the current folder.
    const std::filesystem::path folder(path.empty() ? std::string(".") : path);
    std::error_code error;
    // An automatic folder was made for this run when its name was chosen.
    const bool madeForRun = !path.empty() && path == m_pDocument->runControl().madeMetricsDir();
    if (madeForRun || std::filesystem::create_directory(folder, error))
        section.note("Directory created: " + path);
    else if (std::filesystem::is_directory(folder, error))
        section.note("Directory exists, existing files will be overwritten: " + path);
    else
        section.error("Directory creation failed: " + path);
    return section.ok();
}

bool CValidation::checkFeatures() {
    if (!m_pDocument)
        return reportMissingDocument();
    // Later features meet the comparisons with their values as entered, before their own
    // start and end are put in order.
    std::vector<CRoadFeature> features = m_pDocument->m_vRoadFeatures;
    bool ok = true;
    for (std::size_t i = 0; i < features.size(); ++i) {
        ok = checkFeature(i, features[i]) && ok;
        ok = compareFeature(i, features) && ok;
    }
    return ok;
}

bool CValidation::checkFeature(std::size_t index, CRoadFeature& feature) {
    if (!m_pDocument)
        return reportMissingDocument();
    CTarloDoc& doc = *m_pDocument;
    CRoadFeature& stored = storedElement(doc.m_vRoadFeatures, index, feature);
    Section section(*this, elementLabel("Feature", index, feature.getDescription()));
    const int length = doc.m_RoadLength;

    if (feature.getStart() > feature.getEnd()) {
        repairBoth(feature, stored, [](CRoadFeature& f) {
            const int start = f.getStart();
            f.setStart(f.getEnd());
            f.setEnd(start);
        });
        m_Host.refreshViews();
        section.note(swappedText);
    }
    const int start = feature.getStart();
    const int end = feature.getEnd();
    if (start > length || start < 0)
        section.error(startsOutsideText);
    if (end > length || end < 0)
        section.error(endsOutsideText);
    if (static_cast<long long>(end) - start < 20)
        section.error("Length less than minimum (20 m).");

    const double adherence = feature.getAdherence();
    if (adherence < 0.0)
        section.error("Adherence must be positive.");
    if (adherence < 0.01)
        section.error("Adherence must be appreciable size.");
    // A value already at unity needs no repair.
    if (adherence > 0.99999 && adherence != 1.0) {
        repairBoth(feature, stored, [](CRoadFeature& f) { f.setAdherence(1.0); });
        m_Host.refreshViews();
        section.note("Adherence set to unity.");
    }

    const double value = feature.getValue();
    if (feature.getType() == CRoadFeature::Gradient && value > maxSlope)
        section.error("Gradient specified is greater than the maximum of " +
                      std::to_string(maxSlope) + "%.");
    switch (feature.getType()) {
    case CRoadFeature::SpeedLimit:
        if (value < speedLimitMin)
            section.error("Speed limit specified is smaller than the minimum of " +
                          std::to_string(speedLimitMin) + " km/h.");
        if (value > speedLimitMax)
            section.error("Speed limit specified is greater than the maximum of " +
                          std::to_string(speedLimitMax) + " km/h.");
        break;
    case CRoadFeature::Obstacle:
        // The value is the lane the obstacle closes; the road can place it only in a lane
        // of its direction. A value that is not a number has a fractional part here.
        if (value != std::floor(value))
            section.error("Fractions of lanes do not exist.");
        if (value < 1.0)
            section.error("Must be in a lane numbered 1 or above.");
        if (feature.getDirPos() && value > doc.m_NoLanesDirPos)
            section.error("Lane is greater than the number of lanes in positive direction.");
        if (!feature.getDirPos() && value > doc.m_NoLanesDirNeg)
            section.error("Lane is greater than the number of lanes in negative direction.");
        // Either would hold traffic back for good, so the run could never end.
        if (!doc.m_AllowLaneChanging)
            section.error("Obstacles need lane changing: without it the lane is closed for good.");
        if ((feature.getDirPos() ? std::min(feature.getStart(), feature.getEnd())
                                 : doc.m_RoadLength - std::max(feature.getStart(),
                                                               feature.getEnd())) <
            minEntrySpace)
            section.error("Obstacle too close to the road entrance: it closes the lane to "
                          "arrivals.");
        break;
    case CRoadFeature::Politeness:
        if (value > 2.0)
            section.error("Politeness value very high (> 2.0).");
        if (value < -2.0)
            section.error("Politeness value very low (< -2.0).");
        break;
    case CRoadFeature::Bias:
        if (value > 2.0)
            section.error("Bias value very high (> 2.0).");
        if (value < -2.0)
            section.error("Bias value very low (< -2.0).");
        break;
    case CRoadFeature::GapControl:
        if (value > 500.0)
            section.error("Gap control value very high (> 500 m).");
        if (value < 5.0)
            section.error("Gap control value very low (< 5 m).");
        break;
    default:
        break;
    }
    return section.ok();
}

// Features of one type must not overlap in a direction; obstacles, widened by 10 m at both
// ends, must leave a lane of their direction open. Features that only touch do not overlap.
bool CValidation::compareFeature(std::size_t index, const std::vector<CRoadFeature>& features) {
    Section section(*this, "Features");
    const CRoadFeature& feature = features[index];
    const long long start = feature.getStart();
    const long long end = feature.getEnd();
    const std::string number = std::to_string(index + 1);
    if (feature.getType() != CRoadFeature::Obstacle) {
        for (std::size_t j = 0; j < features.size(); ++j) {
            const CRoadFeature& other = features[j];
            if (j == index || other.getType() != feature.getType() ||
                other.getDirPos() != feature.getDirPos())
                continue;
            if ((other.getStart() <= start && end <= other.getEnd()) ||
                (start <= other.getStart() && other.getStart() <= end - 1))
                section.error("Feature " + number + " overlaps with Feature " +
                              std::to_string(j + 1) + " - change start and end points.");
        }
        return section.ok();
    }

    int closed = 1;
    for (std::size_t j = 0; j < features.size(); ++j) {
        const CRoadFeature& other = features[j];
        if (j == index || other.getType() != CRoadFeature::Obstacle ||
            other.getDirPos() != feature.getDirPos())
            continue;
        if ((other.getStart() <= start && end <= other.getEnd()) ||
            (start <= other.getStart() && other.getStart() <= end + 20))
            ++closed;
    }
    const int lanes =
        feature.getDirPos() ? m_pDocument->m_NoLanesDirPos : m_pDocument->m_NoLanesDirNeg;
    if (closed >= lanes)
        section.error(std::string("Total ") + directionName(feature.getDirPos()) +
                      " direction closure identified at Feature " + number +
                      " - change obstacle positions.");
    return section.ok();
}

bool CValidation::checkDetectors() {
    if (!m_pDocument)
        return reportMissingDocument();
    std::vector<CStatDetector> detectors = m_pDocument->m_vStatDetectors;
    bool ok = true;
    for (std::size_t i = 0; i < detectors.size(); ++i)
        ok = checkDetector(i, detectors[i]) && ok;
    return ok;
}

bool CValidation::checkDetector(std::size_t index, CStatDetector& detector) {
    if (!m_pDocument)
        return reportMissingDocument();
    CTarloDoc& doc = *m_pDocument;
    CStatDetector& stored = storedElement(doc.m_vStatDetectors, index, detector);
    Section section(*this, elementLabel("Detector", index, detector.getDescription()));
    const int length = doc.m_RoadLength;

    switch (detector.getDetectorType()) {
    case DETECTOR_POINT:
        if (detector.getParamA() > length || detector.getParamA() < 0)
            section.error("Located outside the road length.");
        break;
    case DETECTOR_SEGMENT:
    case DETECTOR_ARRAY: {
        // The end is parameter B of a segment and parameter C of an array.
        const bool segment = detector.getDetectorType() == DETECTOR_SEGMENT;
        const auto endOf = [segment](const CStatDetector& d) {
            return segment ? d.getParamB() : d.getParamC();
        };
        if (detector.getParamA() > endOf(detector)) {
            repairBoth(detector, stored, [segment, &endOf](CStatDetector& d) {
                const int start = d.getParamA();
                d.setParamA(endOf(d));
                if (segment)
                    d.setParamB(start);
                else
                    d.setParamC(start);
            });
            m_Host.refreshViews();
            section.note(swappedText);
        }
        if (detector.getParamA() > length || detector.getParamA() < 0)
            section.error(startsOutsideText);
        if (endOf(detector) > length || endOf(detector) < 0)
            section.error(endsOutsideText);
        if (!segment && detector.getParamB() > length)
            section.error("Interval greater than the road length.");
        break;
    }
    case DETECTOR_LANE_CHANGE:
        if (detector.getDetectorName() == DETECTOR_LANE_CHANGES && detector.getParamA() > 1000)
            section.error("The lane change detector step is very large.");
        break;
    default:
        break;
    }
    // The positions of a space-time detector and the location bins of a lane change
    // detector step by these; a step that is not positive never reaches the end.
    const int kind = detector.getDetectorName();
    if ((kind == DETECTOR_ST_DENSITY || kind == DETECTOR_ST_SMS) && detector.getParamB() <= 0)
        section.error("Interval between positions must be positive.");
    if (kind == DETECTOR_LANE_CHANGES && detector.getParamA() <= 0)
        section.error("The lane change detector step must be positive.");
    // Each position or bin holds a value per lane in every row the detector writes.
    const auto steps = [](long long from, long long to, long long step) {
        return to > from ? (to - from + step - 1) / step + 1 : 1;
    };
    if ((kind == DETECTOR_ST_DENSITY || kind == DETECTOR_ST_SMS) && detector.getParamB() > 0) {
        const long long positions =
            steps(detector.getParamA(), detector.getParamC(), detector.getParamB());
        if (positions > limits::maxDetectorBins)
            section.error(tooManyText("Too many positions", positions, limits::maxDetectorBins));
    }
    if (kind == DETECTOR_LANE_CHANGES && detector.getParamA() > 0) {
        const long long bins = steps(0, length, detector.getParamA());
        if (bins > limits::maxDetectorBins)
            section.error(tooManyText("Too many location bins", bins, limits::maxDetectorBins));
    }

    const int interval = detector.getTimeInterval();
    if (interval <= 0)
        section.error("Time interval must be positive.");
    if (interval <= 1)
        section.error(timeIntervalSmallText);
    if (interval < 10)
        section.note(timeIntervalSmallText);
    return section.ok();
}

bool CValidation::checkBridges() {
    if (!m_pDocument)
        return reportMissingDocument();
    std::vector<CBridge> bridges = m_pDocument->m_vBridges;
    bool ok = true;
    for (std::size_t i = 0; i < bridges.size(); ++i)
        ok = checkBridge(i, bridges[i]) && ok;
    return ok;
}

bool CValidation::checkBridge(std::size_t index, CBridge& bridge) {
    if (!m_pDocument)
        return reportMissingDocument();
    CTarloDoc& doc = *m_pDocument;
    CBridge& stored = storedElement(doc.m_vBridges, index, bridge);
    Section section(*this, elementLabel("Bridge", index, bridge.getDescription()));
    const int length = doc.m_RoadLength;

    if (bridge.GetStart() > bridge.GetEnd()) {
        repairBoth(bridge, stored, [](CBridge& b) {
            const double start = b.GetStart();
            b.SetStart(b.GetEnd());
            b.SetEnd(start);
        });
        m_Host.refreshViews();
        section.note(swappedText);
    }
    const bool startsOnRoad = bridge.GetStart() <= length && bridge.GetStart() >= 0;
    const bool endsOnRoad = bridge.GetEnd() <= length && bridge.GetEnd() >= 0;
    if (!startsOnRoad)
        section.error(startsOutsideText);
    if (!endsOnRoad)
        section.error(endsOutsideText);
    if (bridge.GetSpanLength() < 1.0)
        section.error("Length too small (< 1 m).");
    // Deliberately: a road lane count past its bound is refused by the configuration check
    // and not repaired into the bridge, which would give each load effect a weight per lane.
    if (bridge.GetNoLanes() != doc.m_NoLanes && doc.m_NoLanes <= 2 * limits::maxLanesPerDirection) {
        // The load effects are shared, so their lane weights follow the stored bridge.
        stored.SetNoLanes(doc.m_NoLanes);
        m_Host.refreshViews();
        section.error("No. of lanes on road different to that of the bridge: fixed bridge lanes "
                      "- check IL lane weights.");
    }
    if (bridge.GetNoLE() == 0)
        section.error("Has no load effects.");
    const auto& loadEffects = bridge.GetLoadEffects();
    if (loadEffects.size() > limits::maxLoadEffects)
        section.error(tooManyText("Too many load effects",
                                  static_cast<long long>(loadEffects.size()),
                                  limits::maxLoadEffects));
    for (std::size_t k = 0; k < loadEffects.size(); ++k) {
        if (!loadEffects[k])
            section.error("Load Effect " + std::to_string(k + 1) + " is missing.");
        else if (!checkLoadEffect(section.label(), k, *loadEffects[k], bridge))
            section.fail();
    }

    if (bridge.GetStepsPerSimStep() == 0) {
        repairBoth(bridge, stored, [](CBridge& b) { b.SetStepsPerSimStep(1); });
        m_Host.refreshViews();
        section.note("No. of simulation substeps less than 1, so set to 1");
    }
    if (bridge.GetStepsPerSimStep() > limits::maxSubSteps)
        section.error(tooManyText("Too many simulation substeps", bridge.GetStepsPerSimStep(),
                                  limits::maxSubSteps));
    const double subStep = doc.m_SimTimeStep / bridge.GetStepsPerSimStep();
    if (subStep > 0.5)
        section.error("Bridge calculation time step too large (> 0.5 s) - change overall "
                      "simulation step or the number of bridge sub-steps.");
    if (subStep < 0.005)
        section.error("Bridge calculation time step too small (< 0.005 s) - change overall "
                      "simulation step or the number of bridge sub-steps.");

    const CEventManager& outputs = bridge.EventManager();
    if (!outputs.hasOutput())
        section.error(
            "No output selected for the bridge - choose at least one of the output types");
    const auto checkBlockSize = [&section](double size) {
        if (size < 300.0)
            section.note("Very small blocksize (< 5 mins)");
        if (size < 1.0)
            section.error("Block size too small (< 1 s)");
        if (size > 86400.0)
            section.note("Large blocksize (> 1 day)");
    };
    if (outputs.getBMax())
        checkBlockSize(outputs.getBlockMaxSize());
    if (outputs.getBMin())
        checkBlockSize(outputs.getBlockMinSize());
    const std::string countText = "No. of specified thresholds and no. of load effects differ";
    if (outputs.getPOT()) {
        const std::vector<double>& thresholds = outputs.getThreshOver();
        if (thresholds.size() != static_cast<std::size_t>(std::max(bridge.GetNoLE(), 0)))
            section.error(countText);
        for (std::size_t k = 0; k < thresholds.size(); ++k)
            if (thresholds[k] < 1e-5)
                section.note("Negative or zero threshold set for load effect " +
                             std::to_string(k + 1) + ".");
    }
    if (outputs.getPUT()) {
        const std::vector<double>& thresholds = outputs.getThreshUnder();
        if (thresholds.size() != static_cast<std::size_t>(std::max(bridge.GetNoLE(), 0)))
            section.error(countText);
        for (std::size_t k = 0; k < thresholds.size(); ++k)
            if (thresholds[k] > -1e-5)
                section.note("Positive or zero threshold set for load effect " +
                             std::to_string(k + 1) + ".");
    }

    // The negative direction finds the bridge through the road length the bridge keeps,
    // which the configuration may have changed since the bridge was made.
    const auto roadLength = static_cast<unsigned>(std::max(length, 0));
    repairBoth(bridge, stored, [roadLength](CBridge& b) { b.SetRoadLength(roadLength); });
    if (startsOnRoad && endsOnRoad)
        noteBridgeZone(section, bridge);
    return section.ok();
}

// A vehicle is listed by a bridge when its front crosses the buffer before the bridge, so a
// direction whose entrance already lies within that buffer never lists a vehicle. A zone
// that reaches past the removal point loses its vehicles when the road removes them.
void CValidation::noteBridgeZone(Section& section, const CBridge& bridge) {
    const double removal = m_pDocument->m_RoadLength + Lane::exitDistance;
    for (const bool positive : {true, false}) {
        const int lanes = positive ? m_pDocument->m_NoLanesDirPos : m_pDocument->m_NoLanesDirNeg;
        if (lanes < 1)
            continue;
        const std::string direction = std::string("Direction ") + directionName(positive) + ": ";
        if (bridge.ZoneStart(positive) - bridgeOnBuffer <= 0.0)
            section.note(direction +
                         "bridge starts within the bridge-on buffer of the road entrance - "
                         "vehicles of this direction are not counted on it.");
        if (bridge.ZoneEnd(positive) + bridgeOnBuffer > removal)
            section.note(direction +
                         "bridge zone reaches beyond the road end (length + 10 m) - vehicles "
                         "leave the bridge where they leave the road.");
    }
}

bool CValidation::checkLoadEffect(const std::string& bridgeSection, std::size_t index,
                                  CLoadEffect& loadEffect, const CBridge& bridge) {
    if (!m_pDocument)
        return reportMissingDocument();
    CTarloDoc& doc = *m_pDocument;
    Section section(*this, bridgeSection + "| " +
                               elementLabel("Load Effect", index, loadEffect.getDescription()));
    const std::vector<double>& weights = loadEffect.LaneWeights();
    if (static_cast<long long>(weights.size()) != doc.m_NoLanes)
        section.error("Does not have the same number of lanes as the road.");
    for (std::size_t lane = 0; lane < weights.size(); ++lane) {
        const std::string prefix = "Lane Weight " + std::to_string(lane) + "| ";
        const double w = weights[lane];
        if (w > 1.0)
            section.note(prefix + "Has a weight greater than 1.0");
        if (w < -1.0)
            section.note(prefix + "Has a weight less than -1.0");
        if (w > -1e-5 && w < 1e-5)
            section.note(prefix + "Has zero weight");
    }

    const std::shared_ptr<CInfluenceLine>& line = loadEffect.GetInfLine();
    if (!line) {
        section.error(noInfluenceLineText);
        return section.ok();
    }
    loadEffect.SetBridgeExtent(bridge.GetStart(), bridge.GetEnd());
    if (isEmptyDiscrete(*line))
        section.error(noInfluenceLineText);
    else if (std::fabs(line->GetLength() - bridge.GetSpanLength()) > 1e-5)
        section.note("Influence line and bridge length different.");
    return section.ok();
}

bool CValidation::checkInfluenceLines() {
    if (!m_pDocument)
        return reportMissingDocument();
    const std::vector<CInfLineDiscrete> lines = m_pDocument->m_vInfLines;
    bool ok = true;
    for (std::size_t i = 0; i < lines.size(); ++i)
        ok = checkInfluenceLine(i, lines[i]) && ok;
    return ok;
}

bool CValidation::checkInfluenceLine(std::size_t index, const CInfLineDiscrete& line) {
    if (!m_pDocument)
        return reportMissingDocument();
    Section section(*this, elementLabel("Influence Line", index, line.getDescription()));
    const std::vector<double>& distances = line.GetDistances();
    const std::vector<double>& ordinates = line.GetOrdinates();
    if (distances.size() != ordinates.size())
        section.error("Distance and ordinate vectors different lengths.");
    const std::size_t rows = std::min(distances.size(), ordinates.size());
    std::size_t zeroRows = 0;
    for (std::size_t row = 0; row < rows; ++row)
        if (distances[row] == 0.0 && ordinates[row] == 0.0)
            ++zeroRows;
    if (zeroRows > 1)
        section.error("Multiple zero entries in distance and ordinate vectors");
    for (std::size_t row = 0; row < distances.size(); ++row)
        if (distances[row] < 0.0)
            section.error(rowText("Distance < 0 at row ", row));
    double previous = -1e-5;
    for (std::size_t row = 0; row < distances.size(); ++row) {
        if (!(distances[row] > previous))
            section.error(rowText("Distance not in ascending order at row ", row));
        previous = distances[row];
    }
    if (distances.empty() || ordinates.empty())
        section.error(noInfluenceLineText);
    const std::size_t points = std::max(distances.size(), ordinates.size());
    if (points > limits::maxPoints)
        section.error(tooManyText("Too many points", static_cast<long long>(points),
                                  static_cast<long long>(limits::maxPoints)));
    return section.ok();
}

bool CValidation::checkDiscreteDistributions() {
    if (!m_pDocument)
        return reportMissingDocument();
    const std::vector<CDiscreteDist> dists = m_pDocument->m_vDiscreteDists;
    bool ok = true;
    for (std::size_t i = 0; i < dists.size(); ++i)
        ok = checkDiscreteDistribution(i, dists[i]) && ok;
    return ok;
}

bool CValidation::checkDiscreteDistribution(std::size_t index, const CDiscreteDist& dist) {
    if (!m_pDocument)
        return reportMissingDocument();
    Section section(*this, elementLabel("Discrete Distribution", index, dist.getDescription()));
    const std::vector<double>& data = dist.getData();
    const std::vector<double>& pmf = dist.getPMF();
    if (data.size() != pmf.size())
        section.error("Data and PMF different lengths.");
    const std::size_t rows = std::min(data.size(), pmf.size());
    for (std::size_t row = 0; row < rows; ++row)
        if (data[row] == 0.0 && pmf[row] == 0.0)
            section.error(rowText("Data and PMF zero at row ", row));
    double sum = 0.0;
    for (std::size_t row = 0; row < pmf.size(); ++row) {
        if (!(pmf[row] > 0.0 && pmf[row] <= 1.0))
            section.error(rowText("PMF <= 0 or > 1.0 at row ", row));
        sum += pmf[row];
    }
    for (std::size_t row = 0; row < data.size(); ++row)
        if (data[row] < 0.0)
            section.error(rowText("Data < 0 at row ", row));
    if (!(sum <= 1.000001 && sum >= 0.999999))
        section.error("PMF does not sum to 1.0.");
    double previous = 0.0;
    for (std::size_t row = 0; row < data.size(); ++row) {
        if (!(data[row] > previous))
            section.error(rowText("Data not in ascending order at row ", row));
        previous = data[row];
    }
    const std::size_t points = std::max(data.size(), pmf.size());
    if (points > limits::maxPoints)
        section.error(tooManyText("Too many points", static_cast<long long>(points),
                                  static_cast<long long>(limits::maxPoints)));
    return section.ok();
}

void installValidation(CTarloDoc& document, Host& host) {
    document.runControl().setValidation([&document, &host](const CSettings& settings) {
        return CValidation(&document, settings, host).validate();
    });
}

} // namespace tarlo
