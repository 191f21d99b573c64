#pragma once

#include "project/CElement.h"

#include <boost/serialization/export.hpp>
#include <boost/serialization/version.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace tarlo {

// A stretch of one direction of the road where driving changes: a speed limit, a gradient,
// an obstacle closing a lane, politeness or bias for lane changing, a lane-change ban or gap
// control. It applies to one class of vehicles and is obeyed by a share of the drivers.
// Positions are global (measured along the positive direction), in whole metres; the
// meaning of the value depends on the type (km/h, per cent, lane number, m/s², m).
class CRoadFeature : public CElement {
public:
    enum FeatureType : int {
        SpeedLimit = 400,
        Gradient = 401,
        Obstacle = 402,
        Politeness = 403,
        Bias = 404,
        LaneChangeBan = 405,
        GapControl = 406
    };
    enum VehicleFilter : int {
        AllVehicles = 100,
        AllTrucks = 101,
        Cars = 102,
        SmallTrucks = 103,
        LargeTrucks = 104,
        Cranes = 105,
        LowLoaders = 106,
        UserDefined = 107
    };

    // "Feature": a speed limit of 120 km/h on 0 to 1000 m of the positive direction, for
    // every vehicle, obeyed by all drivers.
    CRoadFeature();
    // Copies the description, the element type and the persisted fields.
    CRoadFeature(const CRoadFeature& other);
    CRoadFeature& operator=(const CRoadFeature& other);

    // The seven type labels ("Speed Limit" … "Gap Control") and the eight vehicle filter
    // labels ("All Vehicles" … "User-defined"), in code order.
    const std::vector<std::string>& getTypeLabels() const { return m_vTypeLabels; }
    const std::vector<std::string>& getVehicleLabels() const { return m_vVehicleLabels; }
    // The label of a type (400..406) or filter (100..107) code; empty for any other code.
    std::string typeLabel(int code) const;
    std::string vehicleLabel(int code) const;
    // The code of the first label equal to the text; 0 when no label is.
    int typeCode(std::string_view label) const;
    int vehicleCode(std::string_view label) const;
    // The value a newly added feature of the type starts with; 0 for any other code.
    static double defaultValue(int type);

    int getType() const { return m_Type; }
    void setType(int type) { m_Type = type; }
    double getValue() const { return m_Value; }
    void setValue(double value) { m_Value = value; }
    int getStart() const { return m_Start; }
    void setStart(int start) { m_Start = start; }
    int getEnd() const { return m_End; }
    void setEnd(int end) { m_End = end; }
    bool getDirPos() const { return m_DirPos; }
    void setDirPos(bool positive) { m_DirPos = positive; }
    int getFeatVehType() const { return m_FeatVehType; }
    void setFeatVehType(int filter) { m_FeatVehType = filter; }
    double getAdherence() const { return m_Adherence; }
    void setAdherence(double adherence) { m_Adherence = adherence; }

    // Class version 2 added the vehicle filter and the adherence; features of older files
    // keep the values of a new feature.
    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    void fillLabels();

    std::vector<std::string> m_vTypeLabels;
    std::vector<std::string> m_vVehicleLabels;
    int m_FeatVehType = AllVehicles;
    int m_Type = SpeedLimit;
    double m_Value = 120.0;
    int m_End = 1000;
    int m_Start = 0;
    bool m_DirPos = true;
    double m_Adherence = 1.0;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CRoadFeature, 2)
BOOST_CLASS_EXPORT_KEY2(tarlo::CRoadFeature, "CRoadFeature")
