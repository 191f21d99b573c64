// libFuzzer target: a project file of any content is loaded and, when it loads, checked by
// every validation group that leaves the disk alone. Neither may crash, read out of bounds
// or allocate beyond what the file's own size explains.

#include "project/CTarloDoc.h"
#include "project/CValidation.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// One file per fuzzing process, rewritten for every input.
const std::string& inputPath() {
    static const std::string path = "/tmp/tarlo-fuzz-" + std::to_string(::getpid()) + ".tlp";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(inputPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const tarlo::CSettings settings;
    tarlo::test::RecordingHost host;
    tarlo::CTarloDoc doc(settings, host);
    if (!doc.open(inputPath()))
        return 0;
    // The metrics folder check is left out: it creates folders.
    tarlo::CValidation validation(&doc, settings, host);
    validation.checkConfiguration();
    validation.checkFeatures();
    validation.checkDetectors();
    validation.checkBridges();
    validation.checkInfluenceLines();
    validation.checkDiscreteDistributions();
    return 0;
}
