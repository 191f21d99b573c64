#include "cli/TrafficFormat.h"

#include "trafficfiles/FileHandler.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace tarlo::cli {

int formatOption(const Arguments& args, const std::string& option) {
    const std::string given = args.required(option);
    std::string name = given;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "castor")
        return FORMAT_CASTOR;
    if (name == "saft")
        return FORMAT_SAFT;
    if (name == "kirro")
        return FORMAT_KIRRO;
    throw args.error("--" + option + " must be castor, saft or kirro, not '" + given + "'");
}

std::string formatLabel(int format) {
    switch (format) {
    case FORMAT_SAFT:
        return "SAFT";
    case FORMAT_KIRRO:
        return "Kirro";
    default:
        return "CASTOR";
    }
}

unsigned maxAxles(int format) {
    // CASTOR writes nine axle slots; SAFT and CASTOR hold the axle count in one digit.
    return format == FORMAT_KIRRO ? 20 : 9;
}

bool canRead(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    return in.is_open();
}

TrafficInput trafficInput(const std::string& name) {
    if (name == "-")
        return {"/dev/stdin", "standard input"};
    return {name, name};
}

} // namespace tarlo::cli
