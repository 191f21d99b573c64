#include "project/WideString.h"

namespace tarlo {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Length of the sequence that a lead byte starts, 0 when it cannot start one.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

void append(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) >= 4) {
        out += static_cast<wchar_t>(cp);
    } else if (cp < 0x10000) {
        out += static_cast<wchar_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    }
}

} // namespace

std::wstring utf8ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = sequenceLength(lead);
        if (length == 1) {
            append(out, lead);
            ++i;
            continue;
        }
        char32_t cp = length == 0 ? 0 : lead & (0x7F >> length);
        int taken = length == 0 ? 0 : 1;
        while (taken > 0 && taken < length && i + taken < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + taken]);
            if ((next & 0xC0) != 0x80)
                break;
            cp = (cp << 6) | (next & 0x3F);
            ++taken;
        }
        const bool complete = length > 0 && taken == length;
        const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
        const bool invalid = (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF;
        append(out, complete && !overlong && !invalid ? cp : Replacement);
        i += taken > 0 ? taken : 1;
    }
    return out;
}

} // namespace tarlo
