#include "bridges/CEventBM.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/utility.hpp>
#include <boost/serialization/vector.hpp>

#include <algorithm>

namespace tarlo {

CEventBM::CEventBM(int type, int bridgeID, const LoadEffectList& loadEffects, std::string path,
                   double start, double end, double blocksize, double startValue,
                   const CSettings& settings, OutputFiles* outputFiles)
    : CEventBase(type, bridgeID, loadEffects, std::move(path), start, end, settings, outputFiles),
      m_Blocksize(blocksize), m_BlockEnd(blocksize),
      m_vBlockExtremes(loadEffects.size(), {0.0, startValue}) {}

void CEventBM::Initialize(double t0) {
    m_BlockNo = 1;
    m_RowsWritten = 0;
    m_BlockEnd = t0 + m_Blocksize;
}

void CEventBM::OpenFile() {
    if (OpenStream(FileName()))
        WriteHeader("Block", "Time (s),");
}

void CEventBM::NextBlock() {
    if (IsOpen()) {
        m_Row.clear();
        const std::string number = std::to_string(m_BlockNo);
        m_Row.append(number.size() < 5 ? 5 - number.size() : 0, ' ');
        m_Row += number;
        m_Row += ',';
        for (const auto& [time, value] : m_vBlockExtremes) {
            AppendFixed(m_Row, time, 2, 15);
            m_Row += ',';
            AppendFixed(m_Row, value, 1, 10);
            m_Row += ',';
        }
        EmitRow();
        ++m_RowsWritten;
    }
    ++m_BlockNo;
    m_BlockEnd += m_Blocksize;
}

void CEventBM::ResetExtremes(double startValue) {
    std::fill(m_vBlockExtremes.begin(), m_vBlockExtremes.end(), std::pair{0.0, startValue});
}

template <class Archive> void CEventBM::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("CEventBase", boost::serialization::base_object<CEventBase>(*this));
    ar& make_nvp("m_Blocksize", m_Blocksize);
    ar& make_nvp("m_BlockNo", m_BlockNo);
    ar& make_nvp("m_BlockEnd", m_BlockEnd);
    ar& make_nvp("m_vBlockExtremes", m_vBlockExtremes);
}

template void CEventBM::serialize(boost::archive::xml_oarchive&, unsigned);
template void CEventBM::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
