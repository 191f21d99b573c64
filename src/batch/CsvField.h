#pragma once

#include <string>

namespace tarlo::batch {

// A field of a comma-separated row, quoted when it holds a comma, a quote or a line end.
inline std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

} // namespace tarlo::batch
