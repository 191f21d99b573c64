#pragma once

#include "trafficfiles/FileHandler.h"

namespace tarlo {

// SAFT traffic files: one lane, weights in kN, zero-padded fields and exactly the vehicle's
// axles.
class SAFTFile final : public FileHandler {
public:
    SAFTFile(const CSettings& settings, unsigned laneLimit, const std::string& inFile,
             const std::string& outFile);

    bool parseRecord(const std::string& line, Vehicle& vehicle) const override;
    std::string formatRecord(const Vehicle& vehicle) const override;
};

} // namespace tarlo
