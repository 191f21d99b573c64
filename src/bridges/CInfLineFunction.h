#pragma once

#include "bridges/CInfluenceLine.h"

#include <boost/serialization/export.hpp>

#include <optional>
#include <span>
#include <string_view>

namespace tarlo {

// A built-in line: one of seven closed-form shapes of a simply supported or a two-span
// continuous beam (two equal spans of half the length), scaled to the line's length.
class CInfLineFunction final : public CInfluenceLine {
public:
    enum Form : int {
        MidSpanMomentSimple = 610,
        SupportMomentTwoSpan = 611,
        LeftShearSimple = 612,
        RightShearSimple = 613,
        RightShearTwoSpan = 614,
        LeftShearTwoSpan = 615,
        TotalLoad = 616
    };

    struct FormEntry {
        int code;
        std::string_view name;
    };

    // "Total load on beam" over 100 m.
    CInfLineFunction();
    CInfLineFunction(int form, double length);

    std::shared_ptr<CInfluenceLine> Clone() const override;
    // Zero outside the line; any code other than 610..615 evaluates as the total load.
    double GetOrdinate(double x) const override;
    double WeightedSum(std::span<const double> abscissae,
                       std::span<const double> weights) const override;
    Reach Support() const override { return {0.0, m_Length}; }

    int GetForm() const { return m_ILform; }
    void SetForm(int code) { m_ILform = code; }
    // Chooses the form shown under this name; false, and the form unchanged, for an unknown
    // name.
    bool SetFormByName(std::string_view name);
    // Empty for a code that has no name.
    std::string_view GetFormName() const { return FormName(m_ILform); }
    // Load effects stretch their built-in line over the bridge at the start of a run.
    void SetLength(double length) { m_Length = length; }

    // The seven forms in code order, as the form choice lists show them.
    static std::span<const FormEntry> Forms();
    static std::optional<int> FindForm(std::string_view name);
    static std::string_view FormName(int code);

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    int m_ILform;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CInfLineFunction, 0)
BOOST_CLASS_EXPORT_KEY2(tarlo::CInfLineFunction, "CInfLineFunction")
