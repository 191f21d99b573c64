#include "bridges/CEventPT.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/vector.hpp>

#include <utility>

namespace tarlo {

CEventPT::CEventPT(int type, int bridgeID, const LoadEffectList& loadEffects,
                   std::vector<double> thresholds, std::string path, double start, double end,
                   const CSettings& settings, OutputFiles* outputFiles)
    : CEventBase(type, bridgeID, loadEffects, std::move(path), start, end, settings, outputFiles),
      m_vThresh(std::move(thresholds)), m_vRowsWritten(loadEffects.size(), 0) {}

void CEventPT::OpenFile() {
    if (OpenStream(FileName()))
        WriteHeader("Time", "");
}

void CEventPT::WriteRow(double time, std::span<const double> values, std::size_t k) {
    if (!IsOpen() || k >= Columns(values).size())
        return;
    m_Row.clear();
    AppendFixed(m_Row, time, 2, 15);
    m_Row += ',';
    m_Row.append(k, ',');
    AppendFixed(m_Row, values[k], 1, 10);
    m_Row.append(static_cast<std::size_t>(m_NoLE) - k - 1, ',');
    EmitRow();
    ++m_vRowsWritten[k];
}

template <class Archive> void CEventPT::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("CEventBase", boost::serialization::base_object<CEventBase>(*this));
    ar& make_nvp("m_vThresh", m_vThresh);
}

template void CEventPT::serialize(boost::archive::xml_oarchive&, unsigned);
template void CEventPT::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
