#include "bridges/CEventBlockMin.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>

#include <algorithm>
#include <utility>

namespace tarlo {

CEventBlockMin::CEventBlockMin(int bridgeID, const LoadEffectList& loadEffects, std::string path,
                               double start, double end, double blocksize,
                               const CSettings& settings, OutputFiles* outputFiles)
    : CEventBM(BlockMin, bridgeID, loadEffects, std::move(path), start, end, blocksize, StartValue,
               settings, outputFiles) {
    OpenFile();
}

void CEventBlockMin::Update(double time, std::span<const double> values) {
    if (time > m_BlockEnd)
        NextBlock();
    const std::size_t n = std::min(Columns(values).size(), m_vBlockExtremes.size());
    for (std::size_t i = 0; i < n; ++i)
        if (values[i] < m_vBlockExtremes[i].second)
            m_vBlockExtremes[i] = {time, values[i]};
}

void CEventBlockMin::NextBlock() {
    CEventBM::NextBlock();
    ResetExtremes(StartValue);
}

template <class Archive> void CEventBlockMin::serialize(Archive& ar, const unsigned /*version*/) {
    ar& boost::serialization::make_nvp("CEventBM",
                                       boost::serialization::base_object<CEventBM>(*this));
}

template void CEventBlockMin::serialize(boost::archive::xml_oarchive&, unsigned);
template void CEventBlockMin::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
