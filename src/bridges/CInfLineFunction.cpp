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

// Support moment of a two-span beam with spans a for a load at u from its outer support.
inline double supportMoment(double u, double a) {
    return (a * a - u * u) * u / (4.0 * a * a);
}

} // namespace

CInfLineFunction::CInfLineFunction() : CInfLineFunction(TotalLoad, 100.0) {}

CInfLineFunction::CInfLineFunction(int form, double length)
    : CInfluenceLine(IL_FUNCTION, length), m_ILform(form) {}

std::shared_ptr<CInfluenceLine> CInfLineFunction::Clone() const {
    return std::make_shared<CInfLineFunction>(*this);
}

double CInfLineFunction::GetOrdinate(double x) const {
    const double L = m_Length;
    if (x < 0.0 || x > L)
        return 0.0;
    if (m_ILform < MidSpanMomentSimple || m_ILform > LeftShearTwoSpan)
        return 1.0;
    // Here 0 <= x <= L; a beam of no length carries no moment and no shear (and would
    // divide by zero below).
    if (L <= 0.0)
        return 0.0;
    const double a = L / 2.0;
    switch (m_ILform) {
    case MidSpanMomentSimple:
        return x < a ? (1.0 - a / L) * x : (1.0 - x / L) * a;
    case SupportMomentTwoSpan:
        return x < a ? supportMoment(x, a) : supportMoment(L - x, a);
    case LeftShearSimple:
        return 1.0 - x / L;
    case RightShearSimple:
        return x / L;
    case RightShearTwoSpan:
        // The only form whose ends lie outside it.
        if (x == 0.0 || x == L)
            return 0.0;
        return x < a ? (a - supportMoment(x, a) - x) * (1.0 / a)
                     : -supportMoment(L - x, a) * (1.0 / a);
    default: // LeftShearTwoSpan
        return x < a ? -supportMoment(x, a) * (1.0 / a)
                     : (a - supportMoment(L - x, a) - (L - x)) * (1.0 / a);
    }
}

double CInfLineFunction::WeightedSum(std::span<const double> abscissae,
                                     std::span<const double> weights) const {
    double sum = 0.0;
    for (std::size_t k = 0; k < abscissae.size(); ++k)
        sum += CInfLineFunction::GetOrdinate(abscissae[k]) * weights[k];
    return sum;
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
