#include "bridges/CEventPUT.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>

#include <utility>

namespace tarlo {

CEventPUT::CEventPUT(int bridgeID, const LoadEffectList& loadEffects,
                     std::vector<double> thresholds, std::string path, double start, double end,
                     const CSettings& settings, OutputFiles* outputFiles)
    : CEventPT(PUT, bridgeID, loadEffects, std::move(thresholds), std::move(path), start, end,
               settings, outputFiles) {
    OpenFile();
}

void CEventPUT::Update(double time, std::span<const double> values) {
    if (!IsOpen())
        return;
    const std::size_t compared = Compared(values);
    for (std::size_t k = 0; k < compared; ++k)
        if (m_vThresh[k] > values[k])
            WriteRow(time, values, k);
}

template <class Archive> void CEventPUT::serialize(Archive& ar, const unsigned /*version*/) {
    ar& boost::serialization::make_nvp("CEventPT",
                                       boost::serialization::base_object<CEventPT>(*this));
}

template void CEventPUT::serialize(boost::archive::xml_oarchive&, unsigned);
template void CEventPUT::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
