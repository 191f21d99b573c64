#include "bridges/FixedNotation.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tarlo {

namespace {

// Rounds |value| × 10^precision to the nearest integer, ties to even, on the exact binary
// value: |value| = m × 2^e with m below 2^53, and m × 10^precision stays below 2^63 for the
// precisions taken. Values of 2^53 and more (whose integer part alone needs 16 or more
// digits), infinities and NaN are left to the general path: false.
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

int decimalDigits(std::uint64_t n) {
    int digits = 1;
    for (std::uint64_t limit = 10; digits < 20 && n >= limit; limit *= 10)
        ++digits;
    return digits;
}

// "00", "01", ..., "99".
constexpr auto DigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the decimal digits of n so that the last one stands just before `end`, two at a
// time.
void digitsBackwards(std::uint64_t n, char* end) {
    while (n >= 100) {
        end -= 2;
        std::memcpy(end, &DigitPairs[2 * (n % 100)], 2);
        n /= 100;
    }
    if (n >= 10) {
        end -= 2;
        std::memcpy(end, &DigitPairs[2 * n], 2);
    } else {
        *--end = static_cast<char>('0' + n);
    }
}

// The integer path for `Precision` decimals, whose power of ten is a constant; false when
// the value is left to the general path.
template <int Precision>
bool fastFixed(char* first, char* last, double value, std::to_chars_result& result) {
    constexpr std::uint64_t Scale = Precision == 0 ? 1 : Precision == 1 ? 10 : 100;
    std::uint64_t rounded = 0;
    if (!scaledMagnitude(value, Scale, rounded))
        return false;
    const std::uint64_t whole = rounded / Scale;
    const bool negative = std::signbit(value);
    const std::size_t length = (negative ? 1 : 0) + static_cast<std::size_t>(decimalDigits(whole)) +
                               (Precision > 0 ? Precision + 1 : 0);
    if (static_cast<std::size_t>(last - first) < length) {
        result = {last, std::errc::value_too_large};
        return true;
    }
    char* end = first + length;
    if constexpr (Precision > 0) {
        std::uint64_t decimals = rounded % Scale;
        for (int i = 0; i < Precision; ++i) {
            *--end = static_cast<char>('0' + decimals % 10);
            decimals /= 10;
        }
        *--end = '.';
    }
    digitsBackwards(whole, end);
    if (negative)
        *first = '-';
    result = {first + length, std::errc{}};
    return true;
}

} // namespace

std::to_chars_result toCharsFixed(char* first, char* last, double value, int precision) {
    std::to_chars_result result{};
    switch (precision) {
    case 0:
        if (fastFixed<0>(first, last, value, result))
            return result;
        break;
    case 1:
        if (fastFixed<1>(first, last, value, result))
            return result;
        break;
    case 2:
        if (fastFixed<2>(first, last, value, result))
            return result;
        break;
    default:
        break;
    }
    return std::to_chars(first, last, value, std::chars_format::fixed, precision);
}

} // namespace tarlo
