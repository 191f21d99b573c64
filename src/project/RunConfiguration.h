#pragma once

#include "bridges/CBridge.h"
#include "detectors/CStatDetector.h"
#include "project/CRoadFeature.h"
#include "vehicles/CVehicleTypes.h"

#include <algorithm>
#include <cctype>
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
    // Stored, edited and handed to a run, which does not use it.
    bool m_OutputCarsToFile = true;
    std::shared_ptr<CVehicleTypes> m_pVehicleTypes = std::make_shared<CVehicleTypes>();
    std::vector<CBridge> m_vBridges;
    std::vector<CStatDetector> m_vStatDetectors;
    std::vector<CRoadFeature> m_vRoadFeatures;
    // The seed of the run's random generators; without one the clock chooses it.
    std::optional<std::uint32_t> m_Seed;
    // The folder of the project file; empty for a project never saved (the current folder).
    std::string m_ProjectFolder;

    // A path of the project as a run opens it. Projects made on Windows separate folders
    // with a backslash, which counts as '/'; a relative path lies in the project's folder.
    std::string runPath(const std::string& path) const {
        std::string result = path;
        std::replace(result.begin(), result.end(), '\\', '/');
        const bool drive = result.size() >= 2 && result[1] == ':' &&
                           std::isalpha(static_cast<unsigned char>(result[0]));
        if (m_ProjectFolder.empty() || drive || result.starts_with('/'))
            return result;
        return m_ProjectFolder + '/' + result;
    }
};

} // namespace tarlo
