#include "bridges/CEventStats.h"

#include <cmath>
#include <utility>

namespace tarlo {

namespace acc = boost::accumulators;

namespace {

CEventStats::HistogramSet emptyHistogram() {
    return CEventStats::HistogramSet(acc::density_cache_size = CEventStats::HistogramCache,
                                     acc::density_num_bins = CEventStats::HistogramBins);
}

} // namespace

CEventStats::CEventStats(int bridgeID, const LoadEffectList& loadEffects, bool basic,
                         bool histogram, std::string path, double start, double end,
                         const CSettings& settings, OutputFiles* outputFiles)
    : CEventBase(Stats, bridgeID, loadEffects, std::move(path), start, end, settings, outputFiles),
      m_bBasic(basic), m_bHist(histogram) {
    Initialize(0.0);
}

void CEventStats::Initialize(double /*t0*/) {
    const auto n = static_cast<std::size_t>(std::max(m_NoLE, 0));
    m_vBasicStats.assign(n, BasicSet());
    m_vHistograms.assign(n, emptyHistogram());
}

void CEventStats::Update(double /*time*/, std::span<const double> values) {
    const std::size_t n = std::min(values.size(), m_vBasicStats.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double value = values[i];
        if (value <= ZeroBand && value >= -ZeroBand)
            continue;
        if (m_bBasic)
            m_vBasicStats[i](value);
        if (m_bHist)
            m_vHistograms[i](value);
    }
}

void CEventStats::Finish() {
    if (m_bBasic)
        WriteBasic();
    if (m_bHist)
        WriteHistogram();
}

void CEventStats::WriteBasic() {
    if (!OpenStream(FileName("Stats_Basic")))
        return;
    WriteHeader("Statistic", "");
    const auto row = [this](const char* label, auto quantity) {
        m_File << label << ',';
        for (const BasicSet& set : m_vBasicStats)
            m_File << quantity(set) << ',';
        m_File << LineEnd;
    };
    row("Count", [](const BasicSet& s) { return acc::count(s); });
    row("Min", [](const BasicSet& s) { return acc::min(s); });
    row("Max", [](const BasicSet& s) { return acc::max(s); });
    row("Mean", [](const BasicSet& s) { return acc::mean(s); });
    row("Variance", [](const BasicSet& s) { return acc::variance(s); });
    row("Std. Dev.", [](const BasicSet& s) { return std::sqrt(acc::variance(s)); });
    row("CoV", [](const BasicSet& s) { return std::sqrt(acc::variance(s)) / acc::mean(s); });
    row("Skewness", [](const BasicSet& s) { return acc::skewness(s); });
    CloseStream();
}

void CEventStats::WriteHistogram() {
    if (!OpenStream(FileName("Stats_Hist")))
        return;
    for (int i = 0; i < m_NoLE; ++i) {
        m_File << "LE " << i + 1 << ": ";
        if (static_cast<std::size_t>(i) < m_vLENames.size())
            m_File << m_vLENames[i];
        m_File << ",,";
    }
    m_File << LineEnd;
    for (std::size_t i = 0; i < m_vHistograms.size(); ++i)
        m_File << "Bin,Density,";
    m_File << LineEnd;

    // Until its cache is full a histogram has no bins: every entry reads position 0, density 0.
    std::vector<std::vector<std::pair<double, double>>> entries;
    for (const HistogramSet& set : m_vHistograms) {
        if (acc::count(set) < HistogramCache) {
            entries.emplace_back(HistogramBins + 2, std::pair{0.0, 0.0});
        } else {
            const auto density = acc::density(set);
            entries.emplace_back(density.begin(), density.end());
        }
    }
    for (std::size_t j = 0; j < HistogramBins + 2; ++j) {
        for (const auto& histogram : entries)
            m_File << histogram[j].first << ',' << histogram[j].second << ',';
        m_File << LineEnd;
    }
    CloseStream();
}

} // namespace tarlo
