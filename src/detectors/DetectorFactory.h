#pragma once

#include "detectors/Detector.h"

#include <memory>

namespace tarlo {

class CSettings;
class CStatDetector;
class CVehicleTypes;

// The inputs shared by every runtime detector of an element; outputFiles (may be null) is
// the run's record of its output files.
DetectorParams detectorParams(const CStatDetector& element, int lanes, int roadLength,
                              const CSettings& settings, OutputFiles* outputFiles = nullptr);

// The runtime detector of an element, built for a direction of `lanes` lanes on a road of
// `roadLength` m; its files go to the element's output path. vehicleTypes (may be null) is
// the road's classification; format is the traffic file format of the output detector;
// outputFiles (may be null) is the run's record of its output files.
// Null for an element whose kind has no runtime class, or whose positions could never be
// listed (a space-time spacing or a lane change bin width that is not positive).
std::unique_ptr<Detector> makeDetector(const CStatDetector& element, int lanes, int roadLength,
                                       const CVehicleTypes* vehicleTypes, int format,
                                       const CSettings& settings,
                                       OutputFiles* outputFiles = nullptr);

} // namespace tarlo
