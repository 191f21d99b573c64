#pragma once

#include "detectors/DetectorCodes.h"
#include "project/CElement.h"

#include <boost/serialization/version.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace tarlo {

// A detector as the project holds it: what it measures (its kind, and with it its
// category), on which direction, for which vehicles, how often it writes, and where it
// stands (the meaning of the three parameters depends on the kind):
//   520, 521, 522, 524  A = position x
//   525, 526, 529       A = segment start x, B = segment end x
//   527, 528            A = first position x, B = spacing (m), C = last position x
//   523                 A = width of the location bins (m)
// Positions are global (measured along the positive direction), in whole metres.
class CStatDetector : public CElement {
public:
    CStatDetector();
    // Copies the description and the persisted fields; the output path stays empty.
    CStatDetector(const CStatDetector& other);
    CStatDetector& operator=(const CStatDetector& other);

    // The ten kind labels ("Flow & Density" … "Occupancy") and the eight filter labels
    // ("All Vehicles" … "User-defined"), in code order.
    const std::vector<std::string>& getTypeLabels() const { return m_vTypeLabels; }
    const std::vector<std::string>& getVehicleLabels() const { return m_vVehicleLabels; }
    // The label of a kind (520..529) or filter (500..507) code; empty for any other code.
    std::string kindLabel(int code) const;
    std::string filterLabel(int code) const;
    // The code of the first label equal to the text; 0 when no label is.
    int kindCode(std::string_view label) const;
    int filterCode(std::string_view label) const;

    int getDetectorType() const { return m_DetectorType; }
    int getDetectorName() const { return m_DetectorName; }
    // Sets the kind and derives the category from it; a code that is no kind keeps the
    // category as it was.
    void setDetectorName(int kind);
    int getDetectorVehicleType() const { return m_DetectorVehicleType; }
    void setDetectorVehicleType(int filter) { m_DetectorVehicleType = filter; }
    bool getDirPos() const { return m_DirPos; }
    void setDirPos(bool positive) { m_DirPos = positive; }
    int getTimeInterval() const { return m_TimeInterval; }
    void setTimeInterval(int seconds) { m_TimeInterval = seconds; }
    int getParamA() const { return m_ParamA; }
    int getParamB() const { return m_ParamB; }
    int getParamC() const { return m_ParamC; }
    void setParamA(int value) { m_ParamA = value; }
    void setParamB(int value) { m_ParamB = value; }
    void setParamC(int value) { m_ParamC = value; }
    // The folder prefix of the runtime detector's files, set by the run set-up.
    const std::string& getOutputPath() const { return m_OutputPath; }
    void setOutputPath(std::string path) { m_OutputPath = std::move(path); }

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    void fillLabels();

    std::vector<std::string> m_vTypeLabels;
    std::vector<std::string> m_vVehicleLabels;
    std::string m_OutputPath;
    int m_DetectorType = DETECTOR_POINT;
    int m_DetectorName = DETECTOR_FLOW_DENSITY;
    int m_DetectorVehicleType = FILTER_ALL_VEHICLES;
    bool m_DirPos = true;
    int m_TimeInterval = 60;
    int m_ParamA = 1000;
    int m_ParamB = 0;
    int m_ParamC = 0;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CStatDetector, 1)
