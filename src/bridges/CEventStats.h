#pragma once

#include "bridges/CEventBase.h"

#include <boost/accumulators/accumulators.hpp>
#include <boost/accumulators/statistics/count.hpp>
#include <boost/accumulators/statistics/density.hpp>
#include <boost/accumulators/statistics/max.hpp>
#include <boost/accumulators/statistics/mean.hpp>
#include <boost/accumulators/statistics/min.hpp>
#include <boost/accumulators/statistics/moment.hpp>
#include <boost/accumulators/statistics/skewness.hpp>
#include <boost/accumulators/statistics/stats.hpp>
#include <boost/accumulators/statistics/sum.hpp>
#include <boost/accumulators/statistics/variance.hpp>

#include <vector>

namespace tarlo {

// The statistics of each load effect: a basic statistics file and a density histogram, both
// written at the end of the run. Values within 1e-5 of zero (no load) are left out.
class CEventStats : public CEventBase {
public:
    static constexpr double ZeroBand = 1e-5;
    static constexpr std::size_t HistogramBins = 50;
    static constexpr std::size_t HistogramCache = 1000;

    using BasicSet = boost::accumulators::accumulator_set<
        double, boost::accumulators::stats<
                    boost::accumulators::tag::count, boost::accumulators::tag::sum,
                    boost::accumulators::tag::min, boost::accumulators::tag::max,
                    boost::accumulators::tag::mean(boost::accumulators::immediate),
                    boost::accumulators::tag::variance(boost::accumulators::immediate),
                    boost::accumulators::tag::moment<2>, boost::accumulators::tag::moment<3>,
                    boost::accumulators::tag::skewness>>;
    using HistogramSet = boost::accumulators::accumulator_set<
        double, boost::accumulators::stats<
                    boost::accumulators::tag::count, boost::accumulators::tag::min,
                    boost::accumulators::tag::max, boost::accumulators::tag::density>>;

    // No file is created before Finish.
    CEventStats(int bridgeID, const LoadEffectList& loadEffects, bool basic, bool histogram,
                std::string path, double start, double end, const CSettings& settings,
                OutputFiles* outputFiles = nullptr);

    // Starts empty statistics for every load effect.
    void Initialize(double t0) override;
    // Writes the requested files; a second call writes them again with the same content.
    void Finish() override;
    void Update(double time, std::span<const double> values) override;
    void OpenFile() override {}

    void WriteBasic();
    void WriteHistogram();

    bool getBasic() const { return m_bBasic; }
    bool getHistogram() const { return m_bHist; }

private:
    bool m_bBasic;
    bool m_bHist;
    std::vector<BasicSet> m_vBasicStats;
    std::vector<HistogramSet> m_vHistograms;
};

} // namespace tarlo
