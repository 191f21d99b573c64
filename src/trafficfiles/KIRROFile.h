#pragma once

#include "trafficfiles/FileHandler.h"

namespace tarlo {

// Kirro traffic files: CASTOR-like records with a two-digit axle count, a 0/1 direction digit
// and twenty axle slots.
class KIRROFile final : public FileHandler {
public:
    KIRROFile(const CSettings& settings, unsigned laneLimit, const std::string& inFile,
              const std::string& outFile);

    bool parseRecord(const std::string& line, Vehicle& vehicle) const override;
    std::string formatRecord(const Vehicle& vehicle) const override;
};

} // namespace tarlo
