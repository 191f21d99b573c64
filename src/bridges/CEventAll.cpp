#include "bridges/CEventAll.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>

#include <utility>

namespace tarlo {

CEventAll::CEventAll(int bridgeID, const LoadEffectList& loadEffects, std::string path,
                     double start, double end, const CSettings& settings, OutputFiles* outputFiles)
    : CEventBase(All, bridgeID, loadEffects, std::move(path), start, end, settings, outputFiles) {
    OpenFile();
}

void CEventAll::OpenFile() {
    if (OpenStream(FileName()))
        WriteHeader("Time", "");
}

void CEventAll::Update(double time, std::span<const double> values) {
    if (!IsOpen())
        return;
    m_Row.clear();
    AppendFixed(m_Row, time, 2, 15);
    m_Row += ',';
    for (const double value : Columns(values)) {
        AppendFixed(m_Row, value, 1, 10);
        m_Row += ',';
    }
    EmitRow();
}

template <class Archive> void CEventAll::serialize(Archive& ar, const unsigned /*version*/) {
    ar& boost::serialization::make_nvp("CEventBase",
                                       boost::serialization::base_object<CEventBase>(*this));
}

template void CEventAll::serialize(boost::archive::xml_oarchive&, unsigned);
template void CEventAll::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
