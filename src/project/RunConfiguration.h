#pragma once

#include "bridges/CBridge.h"
#include "vehicles/CVehicleTypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarlo {

// The project fields that a run set-up reads, with the defaults of a new project.
struct RunConfiguration {
    std::string m_FileIn = "Traffic.in";
    std::string m_MetricsDir = "\\Metrics";
    bool m_bAutoDir = true;
    std::uint16_t m_FileType = 101; // CASTOR
    int m_NoDirections = 2;
    int m_NoLanes = 3;
    int m_NoLanesDirPos = 2;
    int m_NoLanesDirNeg = 1;
    int m_TrafFileNoLanesDirPos = 1;
    int m_TrafFileNoLanesDirNeg = 1;
    double m_SimTimeStep = 0.25;
    int m_RoadLength = 3000;
    bool m_AllowLaneChanging = true;
    bool m_bConstVelocity = false;
    bool m_DriveOnRight = true;
    std::shared_ptr<CVehicleTypes> m_pVehicleTypes = std::make_shared<CVehicleTypes>();
    std::vector<CBridge> m_vBridges;
    // The seed of the run's random generators; without one the clock chooses it.
    std::optional<std::uint32_t> m_Seed;
};

} // namespace tarlo
