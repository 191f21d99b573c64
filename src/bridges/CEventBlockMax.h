#pragma once

#include "bridges/CEventBM.h"

#include <boost/serialization/export.hpp>

namespace tarlo {

// Block maxima of every load effect; a tie keeps the earlier time.
class CEventBlockMax : public CEventBM {
public:
    // A block in which a load effect got no value reports time 0 and this value for it.
    static constexpr double StartValue = -1e12;

    // For loading: no file.
    CEventBlockMax() = default;
    // Creates the file and writes its header.
    CEventBlockMax(int bridgeID, const LoadEffectList& loadEffects, std::string path, double start,
                   double end, double blocksize, const CSettings& settings,
                   OutputFiles* outputFiles = nullptr);

    // A time past the block end closes one block, then the values join the current block.
    void Update(double time, std::span<const double> values) override;
    void NextBlock() override;

    template <class Archive> void serialize(Archive& ar, unsigned version);
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CEventBlockMax, 0)
BOOST_CLASS_EXPORT_KEY2(tarlo::CEventBlockMax, "CEventBlockMax")
