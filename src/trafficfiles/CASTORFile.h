#pragma once

#include "trafficfiles/FileHandler.h"

namespace tarlo {

// CASTOR traffic files: weights in tenths of a tonne, space-padded fields and nine axle slots.
class CASTORFile final : public FileHandler {
public:
    CASTORFile(const CSettings& settings, unsigned laneLimit, const std::string& inFile,
               const std::string& outFile);

    bool parseRecord(const std::string& line, Vehicle& vehicle) const override;
    std::string formatRecord(const Vehicle& vehicle) const override;
};

} // namespace tarlo
