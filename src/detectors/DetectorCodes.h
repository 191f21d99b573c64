#pragma once

#include <string_view>

namespace tarlo {

// Detector categories (`m_DetectorType` of a detector element).
enum DetectorCategory : int {
    DETECTOR_POINT = 510,
    DETECTOR_SEGMENT = 511,
    DETECTOR_ARRAY = 512,
    DETECTOR_LANE_CHANGE = 513
};

// Detector kinds (`m_DetectorName` of a detector element).
enum DetectorKind : int {
    DETECTOR_FLOW_DENSITY = 520,
    DETECTOR_HEADWAY = 521,
    DETECTOR_COMPOSITION = 522,
    DETECTOR_LANE_CHANGES = 523,
    DETECTOR_OUTPUT = 524,
    DETECTOR_MACRO_SEGMENT = 525,
    DETECTOR_MICRO_SEGMENT = 526,
    DETECTOR_ST_DENSITY = 527,
    DETECTOR_ST_SMS = 528,
    DETECTOR_OCCUPANCY = 529
};

// Detector vehicle filters (`m_DetectorVehicleType` of a detector element).
enum DetectorFilter : int {
    FILTER_ALL_VEHICLES = 500,
    FILTER_ALL_TRUCKS = 501,
    FILTER_CARS = 502,
    FILTER_SMALL_TRUCKS = 503,
    FILTER_LARGE_TRUCKS = 504,
    FILTER_CRANES = 505,
    FILTER_LOW_LOADERS = 506,
    FILTER_USER_DEFINED = 507
};

// The category of a detector kind; 0 for a code that is no kind.
constexpr int detectorCategoryOf(int kind) {
    switch (kind) {
    case DETECTOR_LANE_CHANGES:
        return DETECTOR_LANE_CHANGE;
    case DETECTOR_MACRO_SEGMENT:
    case DETECTOR_MICRO_SEGMENT:
    case DETECTOR_OCCUPANCY:
        return DETECTOR_SEGMENT;
    case DETECTOR_ST_DENSITY:
    case DETECTOR_ST_SMS:
        return DETECTOR_ARRAY;
    default:
        return kind >= DETECTOR_FLOW_DENSITY && kind <= DETECTOR_OCCUPANCY ? DETECTOR_POINT : 0;
    }
}

// Whether a filter lets a vehicle of the given class through; a code that is no filter
// lets every vehicle through.
constexpr bool filterAccepts(int filter, int vehicleClass) {
    if (filter == FILTER_ALL_TRUCKS)
        return vehicleClass != 0;
    if (filter >= FILTER_CARS && filter <= FILTER_USER_DEFINED)
        return vehicleClass == filter - FILTER_CARS;
    return true;
}

// The file name token of a filter: "All", "Trucks", "Car", "ST", "LT", "Crane", "LL", "UDV".
constexpr std::string_view filterToken(int filter) {
    constexpr std::string_view tokens[] = {"All", "Trucks", "Car", "ST",
                                           "LT",  "Crane",  "LL",  "UDV"};
    if (filter < FILTER_ALL_VEHICLES || filter > FILTER_USER_DEFINED)
        return tokens[0];
    return tokens[filter - FILTER_ALL_VEHICLES];
}

} // namespace tarlo
