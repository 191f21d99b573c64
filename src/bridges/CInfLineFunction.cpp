#include "bridges/CInfLineFunction.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>

#include <algorithm>
#include <array>

namespace tarlo {

namespace {

constexpr std::array<CInfLineFunction::FormEntry, 7> FormTable = {{
    {CInfLineFunction::MidSpanMomentSimple, "Mid-span BM, simply-supported beam"},
    {CInfLineFunction::SupportMomentTwoSpan, "Central support BM, two-span beam"},
    {CInfLineFunction::LeftShearSimple, "Left hand shear, simply-supported beam"},
    {CInfLineFunction::RightShearSimple, "Right hand shear, simply-supported beam"},
    {CInfLineFunction::RightShearTwoSpan, "Right hand shear, two-span beam"},
    {CInfLineFunction::LeftShearTwoSpan, "Left hand shear, two-span beam"},
    {CInfLineFunction::TotalLoad, "Total load on beam"},
}};

// Support moment of a two-span beam with spans a for a load at u from its outer support;
// a² and 4a² come from the caller, who works them out once per line.
inline double supportMoment(double u, double aa, double fourAA) {
    return (aa - u * u) * u / fourAA;
}

// Calls `evaluate` with the ordinate of the form as a function of x: zero outside the line,
// and any code other than 610..615 evaluated as the total load. What depends on the length
// alone is worked out here, once, and not for every abscissa.
template <class Evaluate> double withOrdinate(int form, double L, Evaluate evaluate) {
    if (form < CInfLineFunction::MidSpanMomentSimple || form > CInfLineFunction::LeftShearTwoSpan)
        return evaluate([L](double x) { return x < 0.0 || x > L ? 0.0 : 1.0; });
    // A beam of no length carries no moment and no shear (and would divide by zero below).
    if (L <= 0.0)
        return evaluate([](double) { return 0.0; });
    const double a = L / 2.0;
    const double aa = a * a;
    const double fourAA = 4.0 * a * a;
    const double perA = 1.0 / a;
    switch (form) {
    case CInfLineFunction::MidSpanMomentSimple: {
        const double left = 1.0 - a / L;
        return evaluate([=](double x) {
            if (x < 0.0 || x > L)
                return 0.0;
            return x < a ? left * x : (1.0 - x / L) * a;
        });
    }
    case CInfLineFunction::SupportMomentTwoSpan:
        return evaluate([=](double x) {
            if (x < 0.0 || x > L)
                return 0.0;
            return x < a ? supportMoment(x, aa, fourAA) : supportMoment(L - x, aa, fourAA);
        });
    case CInfLineFunction::LeftShearSimple:
        return evaluate([=](double x) { return x < 0.0 || x > L ? 0.0 : 1.0 - x / L; });
    case CInfLineFunction::RightShearSimple:
        return evaluate([=](double x) { return x < 0.0 || x > L ? 0.0 : x / L; });
    case CInfLineFunction::RightShearTwoSpan:
        return evaluate([=](double x) {
            // The only form whose ends lie outside it.
            if (x < 0.0 || x > L || x == 0.0 || x == L)
                return 0.0;
            return x < a ? (a - supportMoment(x, aa, fourAA) - x) * perA
                         : -supportMoment(L - x, aa, fourAA) * perA;
        });
    default: // LeftShearTwoSpan
        return evaluate([=](double x) {
            if (x < 0.0 || x > L)
                return 0.0;
            return x < a ? -supportMoment(x, aa, fourAA) * perA
                         : (a - supportMoment(L - x, aa, fourAA) - (L - x)) * perA;
        });
    }
}

} // namespace

CInfLineFunction::CInfLineFunction() : CInfLineFunction(TotalLoad, 100.0) {}

CInfLineFunction::CInfLineFunction(int form, double length)
    : CInfluenceLine(IL_FUNCTION, length), m_ILform(form) {}

std::shared_ptr<CInfluenceLine> CInfLineFunction::Clone() const {
    return std::make_shared<CInfLineFunction>(*this);
}

double CInfLineFunction::GetOrdinate(double x) const {
    return withOrdinate(m_ILform, m_Length, [x](auto ordinate) { return ordinate(x); });
}

double CInfLineFunction::WeightedSum(std::span<const double> abscissae,
                                     std::span<const double> weights) const {
    return withOrdinate(m_ILform, m_Length, [&](auto ordinate) {
        double sum = 0.0;
        for (std::size_t k = 0; k < abscissae.size(); ++k)
            sum += ordinate(abscissae[k]) * weights[k];
        return sum;
    });
}

bool CInfLineFunction::SetFormByName(std::string_view name) {
    const std::optional<int> code = FindForm(name);
    if (!code)
        return false;
    SetForm(*code);
    return true;
}

std::span<const CInfLineFunction::FormEntry> CInfLineFunction::Forms() {
    return FormTable;
}

std::optional<int> CInfLineFunction::FindForm(std::string_view name) {
    const auto it = std::find_if(FormTable.begin(), FormTable.end(),
                                 [name](const FormEntry& entry) { return entry.name == name; });
    if (it == FormTable.end())
        return std::nullopt;
    return it->code;
}

std::string_view CInfLineFunction::FormName(int code) {
    if (code < MidSpanMomentSimple || code > TotalLoad)
        return {};
    return FormTable[code - MidSpanMomentSimple].name;
}

template <class Archive> void CInfLineFunction::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("CInfluenceLine", boost::serialization::base_object<CInfluenceLine>(*this));
    ar& make_nvp("m_ILform", m_ILform);
    // The class decides the kind, whatever a hand-edited file says.
    if constexpr (Archive::is_loading::value)
        m_Type = IL_FUNCTION;
}

template void CInfLineFunction::serialize(boost::archive::xml_oarchive&, unsigned);
template void CInfLineFunction::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
