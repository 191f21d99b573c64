#include "bridges/CEventPOT.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>

#include <utility>

namespace tarlo {

CEventPOT::CEventPOT(int bridgeID, const LoadEffectList& loadEffects,
                     std::vector<double> thresholds, std::string path, double start, double end,
                     const CSettings& settings, OutputFiles* outputFiles)
    : CEventPT(POT, bridgeID, loadEffects, std::move(thresholds), std::move(path), start, end,
               settings, outputFiles) {
    OpenFile();
}

void CEventPOT::Update(double time, std::span<const double> values) {
    if (!IsOpen())
        return;
    const std::size_t compared = Compared(values);
    for (std::size_t k = 0; k < compared; ++k)
        if (values[k] > m_vThresh[k])
            WriteRow(time, values, k);
}

template <class Archive> void CEventPOT::serialize(Archive& ar, const unsigned /*version*/) {
    ar& boost::serialization::make_nvp("CEventPT",
                                       boost::serialization::base_object<CEventPT>(*this));
}

template void CEventPOT::serialize(boost::archive::xml_oarchive&, unsigned);
template void CEventPOT::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
