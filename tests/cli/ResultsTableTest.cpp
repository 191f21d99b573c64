#include "CliSupport.h"

#include "bridges/CBridge.h"
#include "cli/ResultsTable.h"
#include "project/CTarloDoc.h"
#include "project/RunResults.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// The comma-separated fields of a row, without the empty field after its last comma.
std::vector<std::string> fields(const std::string& row) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t comma; (comma = row.find(',', start)) != std::string::npos; start = comma + 1)
        result.push_back(trimmed(row.substr(start, comma - start)));
    if (start < row.size())
        result.push_back(trimmed(row.substr(start)));
    return result;
}

// The rows of a file after its header.
std::vector<std::vector<std::string>> dataRows(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    const std::vector<std::string> lines = splitLines(readFile(path));
    for (std::size_t i = 1; i < lines.size(); ++i)
        rows.push_back(fields(lines[i]));
    return rows;
}

// A table row: the load effect, its largest value and time, smallest value and time, and
// the BMax, BMin, POT and PUT counts.
struct TableRow {
    std::string largest, largestTime, smallest, smallestTime;
    std::string blockMaxima, blockMinima, peaksOver, peaksUnder;
};

std::map<std::string, TableRow> tableRows(const std::string& out) {
    std::map<std::string, TableRow> rows;
    for (const std::string& line : splitLines(out)) {
        const std::vector<std::string> w = words(line);
        if (line.starts_with("  ") && w.size() == 9 && w[0] != "Load")
            rows[w[0]] = {w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8]};
    }
    return rows;
}

// A bridge with two load effects and every output that writes rows: "Total", the total
// load on the span, and "Uplift", the same load weighted -1 in every lane, with thresholds
// that only some of the values pass. The project keeps the flow and density detector of a
// new project.
class ResultsTableRun : public testing::Test {
protected:
    void SetUp() override {
        const CliResult generated = runTarlo(dir, "traffic generate '" + dir.file("traffic.cas") +
                                                      "' --format castor --flow 800 --seed 4 "
                                                      "--hours 0.25");
        ASSERT_EQ(generated.exitCode, 0) << generated.err;
        CSettings settings;
        RecordingHost host;
        CTarloDoc doc(settings, host);
        doc.newProject();
        doc.m_FileIn = "traffic.cas";
        doc.m_NoLanesDirPos = doc.m_TrafFileNoLanesDirPos = 2;
        doc.m_NoLanesDirNeg = doc.m_TrafFileNoLanesDirNeg = 1;
        doc.updateLaneTotals();
        CBridge& bridge = doc.addBridge();
        bridge.AddLoadEffect({-1.0, -1.0, -1.0});
        bridge.GetLoadEffects()[0]->setDescription("Total");
        bridge.GetLoadEffects()[1]->setDescription("Uplift");
        CEventManager& outputs = bridge.EventManager();
        outputs.setAll(true);
        outputs.setBlockMaxSize(120.0);
        outputs.setBlockMinSize(180.0);
        outputs.setThreshOver(0, 1500.0);
        outputs.setThreshOver(1, 1.0);
        outputs.setThreshUnder(0, -1.0);
        outputs.setThreshUnder(1, -1000.0);
        ASSERT_TRUE(doc.save(project));
    }

    CliResult run(const std::string& options = "") {
        return runTarlo(dir,
                        "run '" + project + "' --seed 3 --metrics '" + metrics + "' " + options);
    }

    std::string bridgeFile(const std::string& tag) const {
        return metrics + "/Br_1_" + tag + "_500-1000.csv";
    }

    TempDir dir;
    const std::string project = dir.file("p.tlp");
    const std::string metrics = dir.file("m");
};

// The largest and smallest value of a load effect are those of its time history, at a
// time the time history has them; the counts are the rows of the block and threshold files.
TEST_F(ResultsTableRun, TheTableAgreesWithTheFilesOfTheRun) {
    const CliResult ran = run();
    ASSERT_EQ(ran.exitCode, 0) << ran.out << ran.err;
    const std::map<std::string, TableRow> table = tableRows(ran.out);
    ASSERT_EQ(table.size(), 2u) << ran.out;

    const auto history = dataRows(bridgeFile("All"));
    ASSERT_FALSE(history.empty());
    const auto blockMaxima = dataRows(bridgeFile("BMax"));
    const auto blockMinima = dataRows(bridgeFile("BMin"));
    const auto over = dataRows(bridgeFile("POT"));
    const auto under = dataRows(bridgeFile("PUT"));
    for (const auto& [name, column] : {std::pair{"Total", 1}, std::pair{"Uplift", 2}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(table.contains(name)) << ran.out;
        const TableRow& row = table.at(name);
        double largest = -1e300, smallest = 1e300;
        std::map<std::string, std::string> valueAt;
        for (const auto& fieldsOfRow : history) {
            const double value = std::strtod(fieldsOfRow[column].c_str(), nullptr);
            largest = std::max(largest, value);
            smallest = std::min(smallest, value);
            valueAt.emplace(fieldsOfRow[0], fieldsOfRow[column]);
        }
        EXPECT_EQ(std::strtod(row.largest.c_str(), nullptr), largest);
        EXPECT_EQ(std::strtod(row.smallest.c_str(), nullptr), smallest);
        EXPECT_EQ(valueAt[row.largestTime], row.largest);
        EXPECT_EQ(valueAt[row.smallestTime], row.smallest);

        EXPECT_EQ(row.blockMaxima, std::to_string(blockMaxima.size()));
        EXPECT_EQ(row.blockMinima, std::to_string(blockMinima.size()));
        // A threshold row holds its value in the load effect's column only.
        const auto inColumn = [column](const auto& rows) {
            return std::to_string(std::count_if(rows.begin(), rows.end(), [column](const auto& r) {
                return r.size() > static_cast<std::size_t>(column) && !r[column].empty();
            }));
        };
        EXPECT_EQ(row.peaksOver, inColumn(over));
        EXPECT_EQ(row.peaksUnder, inColumn(under));
    }
    // Thresholds that only some values pass: the counts tell the load effects apart.
    EXPECT_NE(table.at("Total").peaksOver, "0");
    EXPECT_EQ(table.at("Uplift").peaksOver, "0");
    EXPECT_EQ(table.at("Total").peaksUnder, "0");
    EXPECT_NE(table.at("Uplift").peaksUnder, "0");

    EXPECT_NE(ran.out.find("\nBridge 1: New Bridge No. 1 (500-1000 m)\n"), std::string::npos)
        << ran.out;
    EXPECT_NE(ran.out.find("\n\nDetector  Kind            Files\n"
                           "Detector  Flow & Density  FD_All_Pos_1000.csv\n"),
              std::string::npos)
        << ran.out;
    // Standard error is no terminal: no progress line.
    EXPECT_EQ(ran.err.find('\r'), std::string::npos) << ran.err;
}

TEST_F(ResultsTableRun, QuietKeepsTheTableAndNoSummaryLeavesItOut) {
    const CliResult quiet = run("--quiet");
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_NE(quiet.out.find("\nBridge 1: "), std::string::npos) << quiet.out;

    const CliResult bare = run("--no-summary");
    ASSERT_EQ(bare.exitCode, 0) << bare.err;
    EXPECT_TRUE(bare.out.ends_with("Files written: 6\n")) << bare.out;
}

TEST_F(ResultsTableRun, AMutedRunSaysItHadNoBridgesOrDetectors) {
    const CliResult ran = run("--mute-bridges --mute-detectors");
    ASSERT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_TRUE(ran.out.ends_with("Files written: 0\n\nBridges: none\nDetectors: none\n"))
        << ran.out;
}

// The layout on figures made up for it.
TEST(ResultsTable, ShowsWhatWasNotSelectedOrNeverValuedAsDashes) {
    RunResults results;
    LoadEffectTally moment;
    moment.description = "Mid-span moment";
    moment.add(3600.25, 1234.56);
    moment.add(3601.5, -7.04);
    moment.add(3602.0, 1234.56);
    moment.blockMaxima = 12;
    moment.peaksOver = 3;
    LoadEffectTally shear;
    shear.description = "Shear";
    shear.blockMaxima = 12;
    shear.peaksOver = 0;
    results.bridges.push_back({2, "Span A", 1234.5, 1300.0, {moment, shear}});
    results.detectors.push_back(
        {"Lane changes", "Lane Changes", {"/m/LC_All_All_Pos.csv", "/m/LC_Comp_All_Pos.csv"}});

    std::ostringstream out;
    cli::writeResultsTable(out, results, {"/m/LC_Comp_All_Pos.csv"});
    EXPECT_EQ(out.str(),
              "Bridge 2: Span A (1234.5-1300 m)\n"
              "  Load effect          Largest      at (s)   Smallest      at (s)   BMax   BMin"
              "    POT    PUT\n"
              "  Mid-span moment       1234.6     3600.25       -7.0     3601.50     12      -"
              "      3      -\n"
              "  Shear                      -           -          -           -     12      -"
              "      0      -\n"
              "\n"
              "Detector      Kind          Files\n"
              "Lane changes  Lane Changes  LC_All_All_Pos.csv\n"
              "                            LC_Comp_All_Pos.csv (not written in full)\n");
}

// The rows a batch gathers carry the table's own figures; "-" becomes an empty field and a
// description with a comma is quoted.
TEST(ResultsTable, CommaSeparatedRowsCarryTheTablesFigures) {
    RunResults results;
    LoadEffectTally moment;
    moment.description = "Moment, mid-span";
    moment.add(3600.25, 1234.56);
    moment.add(3601.5, -7.04);
    moment.blockMaxima = 12;
    LoadEffectTally shear;
    shear.description = "Shear";
    results.bridges.push_back({2, "Span A", 1234.5, 1300.0, {moment, shear}});
    results.bridges.push_back({5, "Span B", 0.0, 30.0, {}});

    std::ostringstream out;
    cli::writeResultsCsv(out, results);
    EXPECT_EQ(out.str(),
              "Bridge,Load effect,Maximum,Time of maximum (s),Minimum,Time of minimum (s),"
              "Block maxima\r\n"
              "2,\"Moment, mid-span\",1234.6,3600.25,-7.0,3601.50,12\r\n"
              "2,Shear,,,,,\r\n");
}

} // namespace
} // namespace tarlo::test
