#pragma once

#include "bridges/CEventBase.h"
#include "bridges/LoadEffectTally.h"

#include <boost/serialization/access.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/version.hpp>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tarlo {

class CEventAll;
class CEventBlockMax;
class CEventBlockMin;
class CEventPOT;
class CEventPUT;
class CEventStats;
class CSettings;

// The outputs a bridge writes, with their parameters, and during a run one writer per selected
// output. Copies share the writers: the run copy of a bridge and the document's bridge write to
// the same files.
class CEventManager {
public:
    CEventManager() = default;
    virtual ~CEventManager() = default;
    CEventManager(const CEventManager&) = default;
    CEventManager& operator=(const CEventManager&) = default;

    // What the writers of the next run need from the bridge: its number, the output folder (the
    // start of every file name, so it ends with the path separator), its start and end, and its
    // load effects.
    void SetOutput(int bridgeID, std::string path, double bridgeStart, double bridgeEnd,
                   LoadEffectList loadEffects);

    // Run start: a new writer for each selected output, with its file and header, each given
    // the start time t0. The writers take their buffer size from the settings and report
    // their files to the run's record (may be null).
    void Initialize(double t0, const CSettings& settings, OutputFiles* outputFiles = nullptr);
    // One calculated set of values, one per load effect, handed to every selected writer.
    void Update(double time, std::span<const double> values);
    // End of the run. A second call changes no file.
    void Finish();
    // What this run made of each load effect so far, in load-effect order: the extremes of
    // the values handed in since Initialize and the rows of the block and threshold files.
    std::vector<LoadEffectTally> Tally() const;

    // The editors of the bridge's output page keep the flags consistent with the values.
    void setStatsBasic(bool on);
    void setStatsHist(bool on);
    void setAll(bool on) { m_bAll = on; }
    void setBMax(bool on) { m_bBMax = on; }
    void setBlockMaxSize(double seconds);
    void setBMin(bool on) { m_bBMin = on; }
    void setBlockMinSize(double seconds);
    void setPOT(bool on) { m_bPOT = on; }
    void setPUT(bool on) { m_bPUT = on; }
    // Entering a threshold of an existing load effect (0-based) selects the output; false when
    // the list has no such entry.
    bool setThreshOver(std::size_t index, double threshold);
    bool setThreshUnder(std::size_t index, double threshold);

    // The bridge keeps both threshold lists as long as its load-effect list.
    void AddLoadEffectThresholds();
    void DeleteLoadEffectThresholds(std::size_t index);

    int getID() const { return m_ID; }
    const std::string& getPath() const { return m_Path; }
    double getBridgeStart() const { return m_BridgeStart; }
    double getBridgeEnd() const { return m_BridgeEnd; }
    const LoadEffectList& getLoadEffects() const { return m_vLoadEffects; }
    bool getStats() const { return m_bStats; }
    bool getStatsBasic() const { return m_bStatsBasic; }
    bool getStatsHist() const { return m_bStatsHist; }
    bool getAll() const { return m_bAll; }
    bool getBMax() const { return m_bBMax; }
    bool getBMin() const { return m_bBMin; }
    bool getPOT() const { return m_bPOT; }
    bool getPUT() const { return m_bPUT; }
    double getBlockMaxSize() const { return m_BlockMaxSize; }
    double getBlockMinSize() const { return m_BlockMinSize; }
    const std::vector<double>& getThreshOver() const { return m_vThreshOver; }
    const std::vector<double>& getThreshUnder() const { return m_vThreshUnder; }
    // True when any output is selected.
    bool hasOutput() const { return m_bStats || m_bAll || m_bBMax || m_bBMin || m_bPOT || m_bPUT; }

private:
    friend class boost::serialization::access;

    template <class Archive> void save(Archive& ar, unsigned version) const;
    template <class Archive> void load(Archive& ar, unsigned version);
    BOOST_SERIALIZATION_SPLIT_MEMBER()

    int m_ID = 0;
    std::string m_Path;
    double m_BridgeStart = 0.0;
    double m_BridgeEnd = 0.0;
    LoadEffectList m_vLoadEffects;
    std::shared_ptr<CEventStats> m_pStats;
    std::shared_ptr<CEventAll> m_pAll;
    std::shared_ptr<CEventBlockMax> m_pBlockMax;
    std::shared_ptr<CEventBlockMin> m_pBlockMin;
    std::shared_ptr<CEventPOT> m_pPOT;
    std::shared_ptr<CEventPUT> m_pPUT;
    bool m_bStats = false;
    bool m_bStatsBasic = false;
    bool m_bStatsHist = false;
    bool m_bAll = false;
    bool m_bBMax = false;
    bool m_bBMin = false;
    bool m_bPOT = false;
    bool m_bPUT = false;
    double m_BlockMaxSize = 0.0;
    double m_BlockMinSize = 0.0;
    std::vector<double> m_vThreshOver;
    std::vector<double> m_vThreshUnder;
    // The extremes of the current run, one per load effect; the counts come from the writers.
    std::vector<LoadEffectTally> m_vTally;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CEventManager, 3)
