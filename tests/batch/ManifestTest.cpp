#include "batch/Manifest.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarlo::test {
namespace {

batch::RunSpec run(std::uint32_t seed, const std::string& traffic) {
    batch::RunSpec spec;
    spec.project = "/s/a b.tlp";
    spec.traffic = traffic;
    spec.seed = seed;
    spec.folder = "/s/out/a b/jan/seed-" + std::to_string(seed) + "/";
    return spec;
}

// A task finds its run by its index, with the paths as written.
TEST(Manifest, ATaskReadsTheRunOfItsIndex) {
    std::ostringstream out;
    batch::writeManifest(out, {run(1, "/s/jan.cas"), run(4294967295u, "")});
    for (std::size_t index : {0u, 1u}) {
        std::istringstream in(out.str());
        const std::optional<batch::RunSpec> read = batch::manifestRun(in, index);
        ASSERT_TRUE(read) << index;
        const batch::RunSpec expected = index == 0 ? run(1, "/s/jan.cas") : run(4294967295u, "");
        EXPECT_EQ(read->seed, expected.seed);
        EXPECT_EQ(read->folder, expected.folder);
        EXPECT_EQ(read->project, expected.project);
        EXPECT_EQ(read->traffic, expected.traffic);
    }
    std::istringstream past(out.str());
    EXPECT_FALSE(batch::manifestRun(past, 2));
}

TEST(Manifest, ADamagedManifestGivesNoRun) {
    for (const char* text :
         {"", "1\t/o/\t/p.tlp\t\n", "# seed\tfolder\tproject\ttraffic\nx\t/o/\t/p\t\n",
          "# seed\tfolder\tproject\ttraffic\n1\t/o/\t/p.tlp\n"}) {
        std::istringstream in(text);
        EXPECT_FALSE(batch::manifestRun(in, 0)) << text;
    }
}

} // namespace
} // namespace tarlo::test
