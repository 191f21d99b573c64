#pragma once

#include <boost/serialization/access.hpp>
#include <boost/serialization/version.hpp>

#include <string>
#include <string_view>
#include <utility>

namespace tarlo {

// Base of every project element: its name in the element tree and its element type code.
class CElement {
public:
    enum Type : int {
        Configuration = 10,
        RoadFeature = 11,
        Detector = 12,
        Bridge = 13,
        LoadEffect = 14,
        InfluenceLine = 15,
        DiscreteDistribution = 16,
        VehicleType = 17,
        IDMParameter = 18
    };

    CElement() = default;
    CElement(int elementType, std::string description);
    virtual ~CElement() = default;

    const std::string& getDescription() const { return m_Description; }
    void setDescription(std::string description) { m_Description = std::move(description); }
    int getElementType() const { return m_ElementType; }
    std::string_view getTypeLabel() const { return typeLabel(m_ElementType); }

    // "Configuration" … "IDM Parameter"; "Unknown" for any other code.
    static std::string_view typeLabel(int elementType);

    template <class Archive> void serialize(Archive& ar, unsigned version);

protected:
    std::string m_Description;
    int m_ElementType = 0;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CElement, 0)
