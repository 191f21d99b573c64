#pragma once

#include "bridges/CEventPT.h"

#include <boost/serialization/export.hpp>

namespace tarlo {

// Writes every value strictly values below its load effect's threshold, one row each.
class CEventPUT : public CEventPT {
public:
    // For loading: no file.
    CEventPUT() = default;
    // Creates the file and writes its header.
    CEventPUT(int bridgeID, const LoadEffectList& loadEffects, std::vector<double> thresholds,
              std::string path, double start, double end, const CSettings& settings,
              OutputFiles* outputFiles = nullptr);

    void Update(double time, std::span<const double> values) override;

    template <class Archive> void serialize(Archive& ar, unsigned version);
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CEventPUT, 0)
BOOST_CLASS_EXPORT_KEY2(tarlo::CEventPUT, "CEventPUT")
