#include "bridges/CEventManager.h"

#include "bridges/CEventAll.h"
#include "bridges/CEventBlockMax.h"
#include "bridges/CEventBlockMin.h"
#include "bridges/CEventPOT.h"
#include "bridges/CEventPUT.h"
#include "bridges/CEventStats.h"
#include "project/CElement.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/vector.hpp>

#include <algorithm>
#include <utility>

namespace tarlo {

void CEventManager::SetOutput(int bridgeID, std::string path, double bridgeStart, double bridgeEnd,
                              LoadEffectList loadEffects) {
    m_ID = bridgeID;
    m_Path = std::move(path);
    m_BridgeStart = bridgeStart;
    m_BridgeEnd = bridgeEnd;
    m_vLoadEffects = std::move(loadEffects);
}

void CEventManager::Initialize(double t0, const CSettings& settings, OutputFiles* outputFiles) {
    m_vTally.assign(m_vLoadEffects.size(), LoadEffectTally{});
    if (m_bStats) {
        m_pStats.reset();
        m_pStats =
            std::make_shared<CEventStats>(m_ID, m_vLoadEffects, m_bStatsBasic, m_bStatsHist, m_Path,
                                          m_BridgeStart, m_BridgeEnd, settings, outputFiles);
        m_pStats->Initialize(t0);
    }
    if (m_bAll) {
        m_pAll.reset();
        m_pAll = std::make_shared<CEventAll>(m_ID, m_vLoadEffects, m_Path, m_BridgeStart,
                                             m_BridgeEnd, settings, outputFiles);
        m_pAll->Initialize(t0);
    }
    if (m_bBMax) {
        m_pBlockMax.reset();
        m_pBlockMax =
            std::make_shared<CEventBlockMax>(m_ID, m_vLoadEffects, m_Path, m_BridgeStart,
                                             m_BridgeEnd, m_BlockMaxSize, settings, outputFiles);
        m_pBlockMax->Initialize(t0);
    }
    if (m_bBMin) {
        m_pBlockMin.reset();
        m_pBlockMin =
            std::make_shared<CEventBlockMin>(m_ID, m_vLoadEffects, m_Path, m_BridgeStart,
                                             m_BridgeEnd, m_BlockMinSize, settings, outputFiles);
        m_pBlockMin->Initialize(t0);
    }
    if (m_bPOT) {
        m_pPOT.reset();
        m_pPOT = std::make_shared<CEventPOT>(m_ID, m_vLoadEffects, m_vThreshOver, m_Path,
                                             m_BridgeStart, m_BridgeEnd, settings, outputFiles);
        m_pPOT->Initialize(t0);
    }
    if (m_bPUT) {
        m_pPUT.reset();
        m_pPUT = std::make_shared<CEventPUT>(m_ID, m_vLoadEffects, m_vThreshUnder, m_Path,
                                             m_BridgeStart, m_BridgeEnd, settings, outputFiles);
        m_pPUT->Initialize(t0);
    }
}

void CEventManager::Update(double time, std::span<const double> values) {
    const std::size_t tallied = std::min(values.size(), m_vTally.size());
    for (std::size_t i = 0; i < tallied; ++i)
        m_vTally[i].add(time, values[i]);
    if (m_bStats && m_pStats)
        m_pStats->Update(time, values);
    if (m_bAll && m_pAll)
        m_pAll->Update(time, values);
    if (m_bBMax && m_pBlockMax)
        m_pBlockMax->Update(time, values);
    if (m_bBMin && m_pBlockMin)
        m_pBlockMin->Update(time, values);
    if (m_bPOT && m_pPOT)
        m_pPOT->Update(time, values);
    if (m_bPUT && m_pPUT)
        m_pPUT->Update(time, values);
}

void CEventManager::Finish() {
    if (m_bStats && m_pStats)
        m_pStats->Finish();
    if (m_bAll && m_pAll)
        m_pAll->Finish();
    if (m_bBMax && m_pBlockMax)
        m_pBlockMax->Finish();
    if (m_bBMin && m_pBlockMin)
        m_pBlockMin->Finish();
    if (m_bPOT && m_pPOT)
        m_pPOT->Finish();
    if (m_bPUT && m_pPUT)
        m_pPUT->Finish();
}

namespace {
// The row count of a selected output whose writer exists; none otherwise.
template <class Writer>
std::optional<std::size_t> blockRows(bool selected, const std::shared_ptr<Writer>& writer) {
    if (!selected || !writer)
        return std::nullopt;
    return writer->getRowsWritten();
}

template <class Writer>
std::optional<std::size_t> thresholdRows(bool selected, const std::shared_ptr<Writer>& writer,
                                         std::size_t index) {
    if (!selected || !writer)
        return std::nullopt;
    const std::vector<std::size_t>& rows = writer->getRowsWritten();
    return index < rows.size() ? rows[index] : 0;
}
} // namespace

std::vector<LoadEffectTally> CEventManager::Tally() const {
    std::vector<LoadEffectTally> tally = m_vTally;
    tally.resize(m_vLoadEffects.size());
    for (std::size_t i = 0; i < tally.size(); ++i) {
        LoadEffectTally& effect = tally[i];
        if (m_vLoadEffects[i])
            effect.description = m_vLoadEffects[i]->getDescription();
        effect.blockMaxima = blockRows(m_bBMax, m_pBlockMax);
        effect.blockMinima = blockRows(m_bBMin, m_pBlockMin);
        effect.peaksOver = thresholdRows(m_bPOT, m_pPOT, i);
        effect.peaksUnder = thresholdRows(m_bPUT, m_pPUT, i);
    }
    return tally;
}

void CEventManager::setStatsBasic(bool on) {
    m_bStatsBasic = on;
    m_bStats = m_bStatsBasic || m_bStatsHist;
}

void CEventManager::setStatsHist(bool on) {
    m_bStatsHist = on;
    m_bStats = m_bStatsBasic || m_bStatsHist;
}

void CEventManager::setBlockMaxSize(double seconds) {
    m_BlockMaxSize = seconds;
    m_bBMax = true;
}

void CEventManager::setBlockMinSize(double seconds) {
    m_BlockMinSize = seconds;
    m_bBMin = true;
}

bool CEventManager::setThreshOver(std::size_t index, double threshold) {
    if (index >= m_vThreshOver.size())
        return false;
    m_vThreshOver[index] = threshold;
    m_bPOT = true;
    return true;
}

bool CEventManager::setThreshUnder(std::size_t index, double threshold) {
    if (index >= m_vThreshUnder.size())
        return false;
    m_vThreshUnder[index] = threshold;
    m_bPUT = true;
    return true;
}

void CEventManager::AddLoadEffectThresholds() {
    m_vThreshOver.push_back(0.0);
    m_vThreshUnder.push_back(0.0);
}

void CEventManager::DeleteLoadEffectThresholds(std::size_t index) {
    if (index < m_vThreshOver.size())
        m_vThreshOver.erase(m_vThreshOver.begin() + static_cast<std::ptrdiff_t>(index));
    if (index < m_vThreshUnder.size())
        m_vThreshUnder.erase(m_vThreshUnder.begin() + static_cast<std::ptrdiff_t>(index));
}

template <class Archive> void CEventManager::save(Archive& ar, const unsigned /*version*/) const {
    using boost::serialization::make_nvp;
    ar << make_nvp("m_bAll", m_bAll);
    ar << make_nvp("m_bStats", m_bStats);
    ar << make_nvp("m_bStatsBasic", m_bStatsBasic);
    ar << make_nvp("m_bStatsHist", m_bStatsHist);
    ar << make_nvp("m_bBMax", m_bBMax);
    ar << make_nvp("m_BlockMaxSize", m_BlockMaxSize);
    ar << make_nvp("m_bBMin", m_bBMin);
    ar << make_nvp("m_BlockMinSize", m_BlockMinSize);
    ar << make_nvp("m_bPOT", m_bPOT);
    ar << make_nvp("m_vThreshOver", m_vThreshOver);
    ar << make_nvp("m_bPUT", m_bPUT);
    ar << make_nvp("m_vThreshUnder", m_vThreshUnder);
    ar << make_nvp("m_ID", m_ID);
}

template <class Archive> void CEventManager::load(Archive& ar, const unsigned version) {
    using boost::serialization::make_nvp;
    if (version >= 2) {
        ar >> make_nvp("m_bAll", m_bAll);
        ar >> make_nvp("m_bStats", m_bStats);
        ar >> make_nvp("m_bStatsBasic", m_bStatsBasic);
        ar >> make_nvp("m_bStatsHist", m_bStatsHist);
        ar >> make_nvp("m_bBMax", m_bBMax);
        ar >> make_nvp("m_BlockMaxSize", m_BlockMaxSize);
        ar >> make_nvp("m_bBMin", m_bBMin);
        ar >> make_nvp("m_BlockMinSize", m_BlockMinSize);
        ar >> make_nvp("m_bPOT", m_bPOT);
        ar >> make_nvp("m_vThreshOver", m_vThreshOver);
        ar >> make_nvp("m_bPUT", m_bPUT);
        ar >> make_nvp("m_vThreshUnder", m_vThreshUnder);
        if (version >= 3)
            ar >> make_nvp("m_ID", m_ID);
        return;
    }
    // Before block minima and under-thresholds existed: one block size, one threshold list.
    ar >> make_nvp("m_bAll", m_bAll);
    ar >> make_nvp("m_bBM", m_bBMax);
    ar >> make_nvp("m_bPOT", m_bPOT);
    ar >> make_nvp("m_Blocksize", m_BlockMaxSize);
    ar >> make_nvp("m_vThresh", m_vThreshOver);
    if (version >= 1) {
        ar >> make_nvp("m_bStats", m_bStats);
        ar >> make_nvp("m_bStatsBasic", m_bStatsBasic);
        ar >> make_nvp("m_bStatsHist", m_bStatsHist);
    }
    if (!m_vThreshOver.empty() && m_vThreshUnder.empty())
        m_vThreshUnder.assign(m_vThreshOver.size(), 0.0);
}

template void CEventManager::save(boost::archive::xml_oarchive&, unsigned) const;
template void CEventManager::load(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
