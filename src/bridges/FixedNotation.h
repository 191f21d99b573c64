#pragma once

#include <charconv>

namespace tarlo {

// Writes `value` in fixed notation with `precision` decimals into [first, last), byte for
// byte as std::to_chars(first, last, value, std::chars_format::fixed, precision) does:
// correctly rounded from the exact binary value, ties to even, a minus sign on every
// negative value (so "-0.0"). The bridge writers format every time and value with it; the
// small precisions they use take an integer path that is several times cheaper than the
// general one, which every other value goes through.
std::to_chars_result toCharsFixed(char* first, char* last, double value, int precision);

} // namespace tarlo
