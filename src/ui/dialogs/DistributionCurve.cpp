#include "ui/dialogs/DistributionCurve.h"

#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace tarlo {

namespace {

using Curve = std::vector<std::pair<double, double>>;

constexpr int Samples = 201;
// The share of draws left out at each end of a sampled range.
constexpr double TailShare = 0.001;

Curve sampled(double low, double high, const std::function<double(double)>& density) {
    Curve curve;
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high))
        return curve;
    for (int i = 0; i < Samples; ++i) {
        const double x = low + (high - low) * i / (Samples - 1);
        curve.emplace_back(x, density(x));
    }
    return curve;
}

double normalDensity(double x, double mean, double deviation) {
    const double z = (x - mean) / deviation;
    return std::exp(-0.5 * z * z) / (deviation * std::sqrt(2.0 * std::numbers::pi));
}

Curve normalCurve(double mean, double deviation) {
    if (!(deviation > 0.0))
        return {};
    return sampled(mean - 4.0 * deviation, mean + 4.0 * deviation,
                   [=](double x) { return normalDensity(x, mean, deviation); });
}

// A form whose draw is x(W) of W = −ln U, a standard exponential variate, with x either
// increasing or decreasing in W: the range runs between the draws of the two tail shares.
Curve exponentialTransform(const std::function<double(double)>& draw,
                           const std::function<double(double)>& density) {
    const double a = draw(-std::log(1.0 - TailShare));
    const double b = draw(-std::log(TailShare));
    return sampled(std::min(a, b), std::max(a, b), density);
}

Curve continuousCurve(const CContinuousDist& dist) {
    const double location = dist.getLocation();
    const double scale = dist.getScale();
    const double shape = dist.getShape();
    switch (dist.getForm()) {
    case CContinuousDist::Normal:
        return normalCurve(location, scale);
    case CContinuousDist::Poisson:
        // Drawn as a normal variate about location − 0.5 with the root of the scale as
        // its deviation.
        return scale > 0.0 ? normalCurve(location - 0.5, std::sqrt(scale)) : Curve{};
    case CContinuousDist::Uniform: {
        if (!(scale > 0.0))
            return {};
        const double height = 1.0 / (2.0 * scale);
        return {{location - scale, 0.0},
                {location - scale, height},
                {location + scale, height},
                {location + scale, 0.0}};
    }
    case CContinuousDist::LogNormal:
        if (!(scale > 0.0))
            return {};
        return sampled(std::exp(location - 3.0 * scale), std::exp(location + 3.0 * scale),
                       [=](double x) { return normalDensity(std::log(x), location, scale) / x; });
    case CContinuousDist::Exponential:
        if (!(scale > 0.0))
            return {};
        return exponentialTransform([=](double w) { return location + scale * w; },
                                    [=](double x) {
                                        return x < location
                                                   ? 0.0
                                                   : std::exp(-(x - location) / scale) / scale;
                                    });
    case CContinuousDist::Gumbel: {
        // The draw's spread is the inverse of the scale.
        if (!(scale > 0.0))
            return {};
        const double spread = 1.0 / scale;
        return exponentialTransform([=](double w) { return location - spread * std::log(w); },
                                    [=](double x) {
                                        const double z = (x - location) / spread;
                                        return std::exp(-(z + std::exp(-z))) / spread;
                                    });
    }
    case CContinuousDist::GEV: {
        if (!(scale > 0.0) || shape == 0.0)
            return {};
        return exponentialTransform(
            [=](double w) { return location + scale * (1.0 - std::pow(w, shape)) / shape; },
            [=](double x) {
                const double t = 1.0 - shape * (x - location) / scale;
                if (!(t > 0.0))
                    return 0.0;
                return std::exp(-std::pow(t, 1.0 / shape)) * std::pow(t, 1.0 / shape - 1.0) / scale;
            });
    }
    case CContinuousDist::Gamma: {
        // The location is the shape of the gamma variate and the scale divides it: a rate.
        const double alpha = location;
        const double rate = scale;
        if (!(alpha > 0.0) || !(rate > 0.0))
            return {};
        const double high = (alpha + 5.0 * std::sqrt(alpha) + 1.0) / rate;
        return sampled(high / Samples, high, [=](double x) {
            return std::exp(alpha * std::log(rate) + (alpha - 1.0) * std::log(x) - rate * x -
                            std::lgamma(alpha));
        });
    }
    default:
        // Any other form always draws its location.
        return {{location, 0.0}, {location, 1.0}};
    }
}

} // namespace

std::vector<std::pair<double, double>> distributionCurve(const CDistribution& dist) {
    if (const auto* discrete = dynamic_cast<const CDiscreteDist*>(&dist)) {
        Curve curve;
        const std::vector<double>& data = discrete->getData();
        const std::vector<double>& pmf = discrete->getPMF();
        for (std::size_t i = 0; i < std::min(data.size(), pmf.size()); ++i)
            curve.emplace_back(data[i], pmf[i]);
        return curve;
    }
    if (const auto* continuous = dynamic_cast<const CContinuousDist*>(&dist))
        return continuousCurve(*continuous);
    const double value = dist.getMean();
    return {{value, 0.0}, {value, 1.0}};
}

} // namespace tarlo
