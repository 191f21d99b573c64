#pragma once

#include "bridges/CEventBase.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace tarlo {

// Base of the block-extreme writers: the time is cut into blocks of m_Blocksize seconds from
// the start time, and each completed block gives one row with the time and value of every
// load effect's extreme in it. The block still open at the end is not written.
class CEventBM : public CEventBase {
public:
    void Initialize(double t0) override;
    void OpenFile() override;
    // Writes the current block's row and moves on to the next block.
    virtual void NextBlock();

    double getBlocksize() const { return m_Blocksize; }
    int getBlockNo() const { return m_BlockNo; }
    double getBlockEnd() const { return m_BlockEnd; }
    const std::vector<std::pair<double, double>>& getBlockExtremes() const {
        return m_vBlockExtremes;
    }
    // The block rows this run has written to the file.
    std::size_t getRowsWritten() const { return m_RowsWritten; }

    template <class Archive> void serialize(Archive& ar, unsigned version);

protected:
    CEventBM() = default;
    // Every load effect starts with time 0 and `startValue`.
    CEventBM(int type, int bridgeID, const LoadEffectList& loadEffects, std::string path,
             double start, double end, double blocksize, double startValue,
             const CSettings& settings, OutputFiles* outputFiles = nullptr);

    void ResetExtremes(double startValue);

    double m_Blocksize = 0.0;
    int m_BlockNo = 1;
    double m_BlockEnd = 0.0;
    // Per load effect: (time, value) of the extreme seen so far in the current block.
    std::vector<std::pair<double, double>> m_vBlockExtremes;
    std::size_t m_RowsWritten = 0;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CEventBM, 0)
