#pragma once

#include "bridges/CEventBase.h"

#include <cstddef>
#include <vector>

namespace tarlo {

// Base of the threshold writers: one row for every value beyond its load effect's threshold,
// under the time-history header.
class CEventPT : public CEventBase {
public:
    void OpenFile() override;

    // One row: the time, then values[k] alone in the column of load effect k.
    void WriteRow(double time, std::span<const double> values, std::size_t k);

    const std::vector<double>& getThresholds() const { return m_vThresh; }
    // The rows this run has written for each load effect, in load-effect order.
    const std::vector<std::size_t>& getRowsWritten() const { return m_vRowsWritten; }

    template <class Archive> void serialize(Archive& ar, unsigned version);

protected:
    CEventPT() = default;
    CEventPT(int type, int bridgeID, const LoadEffectList& loadEffects,
             std::vector<double> thresholds, std::string path, double start, double end,
             const CSettings& settings, OutputFiles* outputFiles = nullptr);

    // The load effects that have both a value and a threshold.
    std::size_t Compared(std::span<const double> values) const {
        return std::min(Columns(values).size(), m_vThresh.size());
    }

    std::vector<double> m_vThresh;
    std::vector<std::size_t> m_vRowsWritten;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CEventPT, 0)
