#include "detectors/DetectorFactory.h"

#include "detectors/CStatDetector.h"
#include "detectors/CompositionDetector.h"
#include "detectors/FlowDensityDetector.h"
#include "detectors/HeadwayDetector.h"
#include "detectors/LaneChangeDetector.h"
#include "detectors/MacroStatsSegDet.h"
#include "detectors/MicroStatsSegDet.h"
#include "detectors/OccupancyDet.h"
#include "detectors/OutputDetector.h"
#include "detectors/SpaceTimeDensityDetector.h"
#include "detectors/SpaceTimeSMSDetector.h"
#include "project/settings/CSettings.h"

namespace tarlo {

DetectorParams detectorParams(const CStatDetector& element, int lanes, int roadLength,
                              const CSettings& settings, OutputFiles* outputFiles) {
    DetectorParams params;
    params.positive = element.getDirPos();
    params.lanes = lanes;
    params.filter = element.getDetectorVehicleType();
    params.interval = element.getTimeInterval();
    params.roadLength = roadLength;
    params.outputDir = element.getOutputPath();
    params.fileBufferMB = settings.General.FILE_BUFFER_MB;
    params.outputFiles = outputFiles;
    return params;
}

std::unique_ptr<Detector> makeDetector(const CStatDetector& element, int lanes, int roadLength,
                                       const CVehicleTypes* vehicleTypes, int format,
                                       const CSettings& settings, OutputFiles* outputFiles) {
    const DetectorParams params = detectorParams(element, lanes, roadLength, settings, outputFiles);
    const int a = element.getParamA();
    switch (element.getDetectorName()) {
    case DETECTOR_FLOW_DENSITY:
        return std::make_unique<FlowDensityDetector>(params, a);
    case DETECTOR_HEADWAY:
        return std::make_unique<HeadwayDetector>(params, a);
    case DETECTOR_COMPOSITION:
        return std::make_unique<CompositionDetector>(params, a, vehicleTypes);
    case DETECTOR_OUTPUT:
        return std::make_unique<OutputDetector>(params, a, format, settings);
    case DETECTOR_MACRO_SEGMENT:
        return std::make_unique<MacroStatsSegDet>(params, a, element.getParamB());
    case DETECTOR_MICRO_SEGMENT:
        return std::make_unique<MicroStatsSegDet>(params, a, element.getParamB());
    case DETECTOR_OCCUPANCY:
        return std::make_unique<OccupancyDet>(params, a, element.getParamB());
    case DETECTOR_ST_DENSITY:
        return element.getParamB() > 0 ? std::make_unique<SpaceTimeDensityDetector>(
                                             params, a, element.getParamB(), element.getParamC())
                                       : nullptr;
    case DETECTOR_ST_SMS:
        return element.getParamB() > 0 ? std::make_unique<SpaceTimeSMSDetector>(
                                             params, a, element.getParamB(), element.getParamC())
                                       : nullptr;
    case DETECTOR_LANE_CHANGES:
        return a > 0 ? std::make_unique<LaneChangeDetector>(params, a, vehicleTypes) : nullptr;
    default:
        return nullptr;
    }
}

} // namespace tarlo
