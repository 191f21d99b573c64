#include "bridges/FixedNotation.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tarlo {

namespace {

constexpr int FastPrecisions = 4;
constexpr std::array<std::uint64_t, FastPrecisions> PowersOfTen = {1, 10, 100, 1000};

// Rounds |value| × 10^precision to the nearest integer, ties to even, on the exact binary
// value: |value| = m × 2^e with m below 2^53, and m × 10^precision stays below 2^63 for the
// precisions of the table. Values of 2^53 and more (whose integer part alone needs 16 or
// more digits), infinities and NaN are left to the general path: false.
bool scaledMagnitude(double value, std::uint64_t scale, std::uint64_t& rounded) {
    constexpr int MantissaBits = 52;
    constexpr std::uint64_t MantissaMask = (std::uint64_t{1} << MantissaBits) - 1;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased = static_cast<int>((bits >> MantissaBits) & 0x7ff);
    std::uint64_t mantissa = bits & MantissaMask;
    int exponent = 1 - 1075; // subnormal
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << MantissaBits;
        exponent = biased - 1075;
    }
    if (biased == 0x7ff || exponent > 0)
        return false;
    const std::uint64_t product = mantissa * scale;
    const int shift = -exponent;
    if (shift == 0) {
        rounded = product;
    } else if (shift >= 64) {
        // Below 2^63 / 2^64: less than a half.
        rounded = 0;
    } else {
        const std::uint64_t whole = product >> shift;
        const std::uint64_t rest = product & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        rounded = whole + ((rest > half || (rest == half && (whole & 1) != 0)) ? 1 : 0);
    }
    return true;
}

// Writes the decimal digits of n so that the last one stands just before `end`; returns the
// first.
char* digitsBackwards(std::uint64_t n, char* end) {
    do {
        *--end = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    return end;
}

} // namespace

std::to_chars_result toCharsFixed(char* first, char* last, double value, int precision) {
    std::uint64_t rounded = 0;
    if (precision < 0 || precision >= FastPrecisions ||
        !scaledMagnitude(value, PowersOfTen[static_cast<std::size_t>(precision)], rounded))
        return std::to_chars(first, last, value, std::chars_format::fixed, precision);

    // Sign, at most 20 integer digits, the point and the decimals.
    char text[32];
    char* const end = text + sizeof text;
    const std::uint64_t scale = PowersOfTen[static_cast<std::size_t>(precision)];
    char* begin = end;
    if (precision > 0) {
        std::uint64_t decimals = rounded % scale;
        for (int i = 0; i < precision; ++i) {
            *--begin = static_cast<char>('0' + decimals % 10);
            decimals /= 10;
        }
        *--begin = '.';
    }
    begin = digitsBackwards(rounded / scale, begin);
    if (std::signbit(value))
        *--begin = '-';

    const auto length = static_cast<std::size_t>(end - begin);
    if (static_cast<std::size_t>(last - first) < length)
        return {last, std::errc::value_too_large};
    std::memcpy(first, begin, length);
    return {first + length, std::errc{}};
}

} // namespace tarlo
