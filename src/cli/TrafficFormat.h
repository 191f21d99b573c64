#pragma once

#include "cli/Arguments.h"

#include <string>

namespace tarlo::cli {

// The format code named by an option ("castor", "saft" or "kirro", any case).
int formatOption(const Arguments& args, const std::string& option);
// The label of a format code: "CASTOR", "SAFT" or "Kirro".
std::string formatLabel(int format);

// The highest number of axles a record of the format holds.
unsigned maxAxles(int format);

// Whether a regular file can be opened for reading.
bool canRead(const std::string& path);

// A traffic file to read, as named on the command line: "-" is standard input.
struct TrafficInput {
    std::string path;  // what is opened
    std::string label; // what messages call it
};
TrafficInput trafficInput(const std::string& name);

} // namespace tarlo::cli
