#pragma once

#include "bridges/CInfluenceLine.h"
#include "project/CElement.h"

#include <boost/serialization/export.hpp>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace tarlo {

// A user table of (distance, ordinate) points, interpolated linearly. It is also a project
// element of its own; load effects hold copies of it, known afterwards by m_ID only. Its
// length is always its last distance.
class CInfLineDiscrete final : public CInfluenceLine, public CElement {
public:
    // Ordinates within this distance of the line's end read as the last ordinate.
    static constexpr double EndTolerance = 0.001;

    // "Discrete IL" with no points.
    CInfLineDiscrete();
    // Five points at 0, 10, 20, 30 and 40 m, all ordinates 1.
    CInfLineDiscrete(int id, std::string name);

    std::shared_ptr<CInfluenceLine> Clone() const override;
    // Zero before the first distance and beyond the end; a line without points is zero
    // everywhere, and only points that have both a distance and an ordinate are used.
    double GetOrdinate(double x) const override;
    double WeightedSum(std::span<const double> abscissae,
                       std::span<const double> weights) const override;
    Reach Support() const override;

    int GetID() const { return m_ID; }
    void SetID(int id) { m_ID = id; }
    int GetNoPoints() const { return m_NoPoints; }
    const std::vector<double>& GetDistances() const { return m_vDistance; }
    const std::vector<double>& GetOrdinates() const { return m_vOrdinate; }

    void SetDistances(std::vector<double> distances);
    void SetOrdinates(std::vector<double> ordinates);
    void SetPoints(std::vector<double> distances, std::vector<double> ordinates);
    // The point editors; an index outside the table changes nothing.
    void SetDistance(std::size_t index, double distance);
    void SetOrdinate(std::size_t index, double ordinate);
    void AddPoint(double distance, double ordinate);
    void DeletePoint(std::size_t index);

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    // Re-establishes the point count, the length and the evaluation view after any change.
    void Update();

    int m_ID = 0;
    int m_NoPoints = 0;
    std::vector<double> m_vDistance;
    std::vector<double> m_vOrdinate;
    // Evaluation view: the number of complete points, and whether their distances never
    // decrease, in which case the interval is found by bisection.
    std::size_t m_Usable = 0;
    bool m_bAscending = true;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CInfLineDiscrete, 0)
BOOST_CLASS_EXPORT_KEY2(tarlo::CInfLineDiscrete, "CInfLineDiscrete")
