#pragma once

#include "vehicles/RandomGenerator.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <sstream>
#include <vector>

namespace tarlo::test {

// The word that the tempering of MT19937 turns into y.
inline std::uint32_t untemper(std::uint32_t y) {
    y ^= y >> 18;
    y ^= (y << 15) & 0xEFC60000u;
    std::uint32_t t = y;
    for (int i = 0; i < 5; ++i)
        t = y ^ ((t << 7) & 0x9D2C5680u);
    y = t;
    t = y;
    for (int i = 0; i < 3; ++i)
        t = y ^ (t >> 11);
    return t;
}

// A generator whose next outputs are exactly the given words (at most 227). The state is
// zero except the words that the next twist copies into the first places.
inline RandomGenerator generatorYielding(const std::vector<std::uint32_t>& outputs) {
    std::vector<std::uint32_t> state(624, 0);
    for (std::size_t i = 0; i < outputs.size(); ++i)
        state[397 + i] = untemper(outputs[i]);
    std::stringstream text;
    for (std::uint32_t word : state)
        text << word << ' ';
    text << 624;
    std::mt19937 engine;
    text >> engine;
    return RandomGenerator(engine);
}

// The output whose uniform draw is closest to u.
inline std::uint32_t outputFor(double u) {
    return static_cast<std::uint32_t>(std::llround(u * 4294967295.0));
}

// A generator whose next uniform draws are (as near as the generator allows) the given values.
inline RandomGenerator generatorDrawing(std::initializer_list<double> uniforms) {
    std::vector<std::uint32_t> outputs;
    for (double u : uniforms)
        outputs.push_back(outputFor(u));
    return generatorYielding(outputs);
}

} // namespace tarlo::test
