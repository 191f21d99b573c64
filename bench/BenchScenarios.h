#pragma once

#include "BenchSupport.h"

#include "bridges/CBridge.h"
#include "bridges/CInfLineFunction.h"
#include "detectors/CStatDetector.h"

#include <string>
#include <vector>

namespace tarlo::bench {

// A bridge with one load effect per built-in form family (mid-span moment, support moment,
// shear, total load), `subSteps` calculation steps per simulation step, writing its block maxima and minima, values over and
// under thresholds, statistics and, when asked, its time history into `folder`.
inline CBridge standardBridge(int id, double start, double end, const std::string& folder,
                              int lanes, bool timeHistory, unsigned subSteps) {
    CBridge bridge(id, 3000, lanes, start, end);
    for (int i = 0; i < 3; ++i)
        bridge.AddLoadEffect(std::vector<double>(static_cast<std::size_t>(lanes), 1.0));
    const int forms[] = {CInfLineFunction::MidSpanMomentSimple,
                         CInfLineFunction::SupportMomentTwoSpan, CInfLineFunction::LeftShearSimple,
                         CInfLineFunction::TotalLoad};
    for (int i = 0; i < 4; ++i) {
        auto& line = static_cast<CInfLineFunction&>(
            const_cast<CInfluenceLine&>(*bridge.GetLoadEffects()[i]->GetInfLine()));
        line.SetForm(forms[i]);
    }
    bridge.SetStepsPerSimStep(subSteps);
    CEventManager& outputs = bridge.EventManager();
    outputs.setAll(timeHistory);
    outputs.setBMax(true);
    outputs.setBMin(true);
    // Thresholds that heavy trucks cross, as a study of extremes would set them.
    const double over[] = {4000.0, 1500.0, 350.0, 800.0};
    const double under[] = {-1.0, -500.0, -350.0, -1.0};
    for (std::size_t i = 0; i < 4; ++i) {
        outputs.setThreshOver(i, over[i]);
        outputs.setThreshUnder(i, under[i]);
    }
    outputs.setPOT(true);
    outputs.setPUT(true);
    outputs.setBlockMaxSize(3600.0);
    outputs.setBlockMinSize(3600.0);
    outputs.setStatsBasic(true);
    outputs.setStatsHist(true);
    bridge.SetOutputPath(folder);
    return bridge;
}

// The two bridges of the bridge cases on the prepared road: 1000-1050 m and 2000-2040 m. A
// new bridge calculates once per simulation step; studies of dynamic effects use more.
inline void addTwoBridges(Sim& sim, const std::string& folder, bool timeHistory,
                          unsigned subSteps = 1) {
    const int lanes = sim.road.trafFileLanes;
    sim.road.addBridge(standardBridge(1, 1000.0, 1050.0, folder, lanes, timeHistory, subSteps));
    sim.road.addBridge(standardBridge(2, 2000.0, 2040.0, folder, lanes, timeHistory, subSteps));
}

// One detector of each of the ten kinds on the positive direction, 60 s intervals, writing
// into `folder`; the road's length must be set.
inline void addEveryDetectorKind(Sim& sim, const std::string& folder) {
    struct Kind {
        int code, a, b, c;
    };
    const Kind kinds[] = {
        {520, 1500, 0, 0},     {521, 1500, 0, 0},    {522, 1500, 0, 0},    {523, 100, 0, 0},
        {524, 1500, 0, 0},     {525, 1000, 1200, 0}, {526, 1000, 1200, 0}, {527, 500, 100, 2500},
        {528, 500, 100, 2500}, {529, 1000, 1200, 0},
    };
    for (const Kind& kind : kinds) {
        CStatDetector detector;
        detector.setDetectorName(kind.code);
        detector.setTimeInterval(60);
        detector.setParamA(kind.a);
        detector.setParamB(kind.b);
        detector.setParamC(kind.c);
        detector.setOutputPath(folder);
        sim.road.addDetector(detector, sim.road.trafFileLanesPos, sim.road.trafFileLanesNeg,
                             FORMAT_CASTOR);
    }
}

} // namespace tarlo::bench
