#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tarlo {

// Coded enumerations are shown through label lists indexed by code minus the first code.

// The label of a code; empty for a code outside the list.
inline std::string labelOf(const std::vector<std::string>& labels, int first, int code) {
    if (code < first || code - first >= static_cast<int>(labels.size()))
        return {};
    return labels[code - first];
}

// The code of the first entry equal to the label; 0 when there is none.
inline int codeOf(const std::vector<std::string>& labels, int first, std::string_view label) {
    const auto it = std::find(labels.begin(), labels.end(), label);
    return it == labels.end() ? 0 : first + static_cast<int>(it - labels.begin());
}

} // namespace tarlo
