#include "engine/OutputFiles.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tarlo {
namespace {

using Files = std::vector<std::string>;

// How a file ends decides where the record lists it: /dev/full takes the open but fails
// the write when the buffer goes out at the close, as a full disk does.
TEST(OutputFiles, EachFileIsListedByHowItEnded) {
    test::TempDir dir("tarlo-output-files");
    const std::string good = dir.file("good.csv");
    const std::string missingFolder = dir.file("no/such.csv");
    const std::string folder = dir.file("folder.csv");
    std::filesystem::create_directory(folder);
    const struct {
        std::string name;
        bool written;
    } rows[] = {{good, true}, {missingFolder, false}, {folder, false}, {"/dev/full", false}};

    OutputFiles record;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OutputFileStream stream;
        stream.setRecord(&record);
        stream.open(row.name);
        stream << "Time (s),Flow\r\n";
        // The destructor closes an open stream, as a detector that goes with the road does.
    }
    EXPECT_EQ(record.written(), Files{good});
    EXPECT_EQ(record.failed(), (Files{"/dev/full", folder, missingFolder}));

    // A file that failed once is not written, whatever a later writer of it reports.
    record.reportWritten("/dev/full");
    EXPECT_EQ(record.written(), Files{good});

    record.clear();
    EXPECT_TRUE(record.written().empty());
    EXPECT_TRUE(record.failed().empty());
}

} // namespace
} // namespace tarlo
