#pragma once

#include <charconv>
#include <ostream>

namespace tarlo {

// A double as a stream in its default format writes it (general notation, 6 significant
// digits, "nan" and "inf" as they are), without the stream's locale and printf machinery:
// the detectors write many thousands of numbers per run. Only for streams left in the
// default format.
struct Number {
    double value;
};

inline std::ostream& operator<<(std::ostream& out, Number number) {
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, number.value, std::chars_format::general, 6).ptr;
    return out.write(text, end - text);
}

// A double in fixed notation with two decimals, as a stream set to std::fixed and
// precision 2 writes it.
struct FixedTwo {
    double value;
};

inline std::ostream& operator<<(std::ostream& out, FixedTwo number) {
    char text[400]; // the largest double has 309 digits before the point
    const auto end =
        std::to_chars(text, text + sizeof text, number.value, std::chars_format::fixed, 2).ptr;
    return out.write(text, end - text);
}

} // namespace tarlo
