#include "vehicles/RandomGenerator.h"

#include <cmath>

namespace tarlo {

RandomGenerator::RandomGenerator(std::uint32_t seed) : m_Engine(seed) {}

RandomGenerator::RandomGenerator(const std::mt19937& engine) : m_Engine(engine) {}

std::uint32_t RandomGenerator::next() {
    return static_cast<std::uint32_t>(m_Engine());
}

double RandomGenerator::uniform() {
    return static_cast<double>(next()) / 4294967295.0;
}

double RandomGenerator::polarNormal() {
    if (m_SpareReady) {
        m_SpareReady = false;
        return m_Spare;
    }
    double g = 0.0;
    double h = 0.0;
    double s = 0.0;
    do {
        g = 2.0 * uniform() - 1.0;
        h = 2.0 * uniform() - 1.0;
        s = g * g + h * h;
    } while (s >= 1.0);
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    m_Spare = f * h;
    m_SpareReady = true;
    return f * g;
}

namespace {

std::uint32_t foldBytes(std::uint64_t value, int byteCount) {
    std::uint32_t h = 0;
    for (int i = 0; i < byteCount; ++i)
        h = h * 257u + static_cast<std::uint32_t>((value >> (8 * i)) & 0xFFu);
    return h;
}

} // namespace

std::uint32_t clockSeed(std::int64_t calendarSeconds, std::uint32_t processorClock,
                        std::uint32_t counter) {
    const std::uint32_t h1 = foldBytes(static_cast<std::uint64_t>(calendarSeconds), 8);
    const std::uint32_t h2 = foldBytes(processorClock, 4);
    return (h1 + counter) ^ h2;
}

RunGenerators RunGenerators::fromClock(std::int64_t calendarSeconds, std::uint32_t processorClock) {
    return {RandomGenerator(clockSeed(calendarSeconds, processorClock, 0)),
            RandomGenerator(clockSeed(calendarSeconds, processorClock, 1))};
}

RunGenerators RunGenerators::fromSeed(std::uint32_t seed) {
    return {RandomGenerator(seed), RandomGenerator(seed + 1u)};
}

} // namespace tarlo
