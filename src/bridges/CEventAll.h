#pragma once

#include "bridges/CEventBase.h"

#include <boost/serialization/export.hpp>

namespace tarlo {

// The time history: one row per calculated set of values, every load effect in its column.
class CEventAll : public CEventBase {
public:
    // For loading: no file.
    CEventAll() = default;
    // Creates the file and writes its header.
    CEventAll(int bridgeID, const LoadEffectList& loadEffects, std::string path, double start,
              double end, const CSettings& settings, OutputFiles* outputFiles = nullptr);

    void Update(double time, std::span<const double> values) override;
    void OpenFile() override;

    template <class Archive> void serialize(Archive& ar, unsigned version);
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CEventAll, 0)
BOOST_CLASS_EXPORT_KEY2(tarlo::CEventAll, "CEventAll")
