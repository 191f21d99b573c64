#pragma once

#include <cstdint>
#include <random>

namespace tarlo {

// A 32-bit Mersenne Twister (MT19937) with the uniform draw that every sampler uses. The
// polar method's spare normal variate is part of the generator's state.
class RandomGenerator {
public:
    static constexpr std::uint32_t DefaultSeed = 5489u;

    explicit RandomGenerator(std::uint32_t seed = DefaultSeed);
    // Continues from the given engine state, with no spare.
    explicit RandomGenerator(const std::mt19937& engine);

    // The next 32-bit output.
    std::uint32_t next();
    // The next output divided by 2^32 − 1: a value in the closed interval [0, 1].
    double uniform();
    // A standard normal variate by the polar method. Each pass yields two variates: the
    // second is kept and returned by the next call without drawing.
    double polarNormal();

private:
    std::mt19937 m_Engine;
    bool m_SpareReady = false;
    double m_Spare = 0.0;
};

// The seed the clock gives a generator: the bytes of the calendar time (seconds, least
// significant byte first, as in the memory of a little-endian machine) and of the processor
// clock are each folded as h = h × 257 + byte, and the result is (h1 + counter) XOR h2,
// all modulo 2^32. The counter tells apart generators seeded from the same readings.
std::uint32_t clockSeed(std::int64_t calendarSeconds, std::uint32_t processorClock,
                        std::uint32_t counter);

// The two generators of one run: `distribution` serves the driver-parameter samplers,
// `feature` the random decisions of road features.
struct RunGenerators {
    RandomGenerator distribution;
    RandomGenerator feature;

    // Seeds from the clock readings taken when the run starts: the distribution generator
    // with counter 0, the feature generator with counter 1.
    static RunGenerators fromClock(std::int64_t calendarSeconds, std::uint32_t processorClock);
    // Seeds reproducibly from one user seed: the distribution generator with the seed, the
    // feature generator with the seed + 1 (modulo 2^32).
    static RunGenerators fromSeed(std::uint32_t seed);
};

} // namespace tarlo
