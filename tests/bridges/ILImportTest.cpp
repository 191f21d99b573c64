#include "bridges/ILImport.h"
#include "bridges/CILFileParser.h"

#include "ILTestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarlo {
namespace {

using iltest::bridgeData;
using iltest::ScratchDir;

const std::string SuccessMessage = "Influence line import was successful.";

// A failure names the file on the message's first line.
std::string failureMessage(const std::filesystem::path& path) {
    return path.string() +
           ": Influence line import was unsuccessful.\nPlease check the file format.";
}

TEST(ILImport, NumbersTheLinesOnFromThoseAlreadyThere) {
    std::vector<CInfLineDiscrete> lines = {CInfLineDiscrete(1, "Existing")};
    const ILImportResult result = ImportILFile(bridgeData("il_two_lines.csv"), lines);

    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(result.m_NoImported, 2);
    EXPECT_EQ(result.GetMessage(), SuccessMessage);
    EXPECT_EQ(result.GetLogText(), "| No. of imported influence lines: 2");

    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].getDescription(), "Existing");
    EXPECT_EQ(lines[1].GetID(), 2);
    EXPECT_EQ(lines[1].getDescription(), "Span A");
    EXPECT_EQ(lines[1].GetDistances(), (std::vector<double>{0, 5, 10}));
    EXPECT_EQ(lines[1].GetOrdinates(), (std::vector<double>{0, 1, 0}));
    EXPECT_EQ(lines[1].GetNoPoints(), 3);
    EXPECT_EQ(lines[1].GetLength(), 10.0);
    EXPECT_EQ(lines[1].GetOrdinate(2.5), 0.5);
    EXPECT_EQ(lines[2].GetID(), 3);
    EXPECT_EQ(lines[2].getDescription(), "Imported IL no. 2");
    EXPECT_EQ(lines[2].GetLength(), 4.0);
    EXPECT_EQ(lines[2].GetNoPoints(), 2);
    EXPECT_EQ(lines[2].getElementType(), CElement::InfluenceLine);
    EXPECT_EQ(lines[2].GetType(), CInfluenceLine::IL_DISCRETE);
}

TEST(ILImport, ReadsQuotedBlankAndMissingDescriptionsAndLooseNumbers) {
    std::vector<CInfLineDiscrete> lines;
    const ILImportResult result = ImportILFile(bridgeData("il_several.csv"), lines);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(result.m_NoImported, 4);
    ASSERT_EQ(lines.size(), 4u);

    struct Expected {
        std::string description;
        std::vector<double> distances;
        std::vector<double> ordinates;
    };
    const std::vector<Expected> expected = {
        {"Main span, mid-span moment", {0, 12.5, 25}, {0, 3.125, 0}},
        {"Pier shear", {0, 30}, {1, -0.25}},
        {"Imported IL no. 3", {0, 10, 20, 30}, {0, 1, 0.5, 0}},
        {"", {0}, {1}},
    };
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(lines[k].GetID(), static_cast<int>(k) + 1);
        EXPECT_EQ(lines[k].getDescription(), expected[k].description) << k;
        EXPECT_EQ(lines[k].GetDistances(), expected[k].distances) << k;
        EXPECT_EQ(lines[k].GetOrdinates(), expected[k].ordinates) << k;
        EXPECT_EQ(lines[k].GetLength(), expected[k].distances.back()) << k;
    }
}

TEST(ILImport, AMalformedLineFailsTheWholeImport) {
    std::vector<CInfLineDiscrete> lines = {CInfLineDiscrete(1, "Existing")};
    const ILImportResult result = ImportILFile(bridgeData("il_one_malformed.csv"), lines);
    EXPECT_FALSE(result.Succeeded());
    EXPECT_EQ(result.m_Status, ILReadStatus::Malformed);
    EXPECT_EQ(result.m_NoImported, 0);
    EXPECT_EQ(result.GetMessage(), failureMessage(bridgeData("il_one_malformed.csv")));
    EXPECT_EQ(result.GetLogText(), "");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].getDescription(), "Existing");
}

TEST(ILImport, AFileThatCannotBeOpenedIsAFailure) {
    ScratchDir dir;
    std::vector<CInfLineDiscrete> lines;
    const ILImportResult result = ImportILFile(dir.path() / "missing.csv", lines);
    EXPECT_FALSE(result.Succeeded());
    EXPECT_EQ(result.m_Status, ILReadStatus::NotOpened);
    EXPECT_EQ(result.GetMessage(), failureMessage(dir.path() / "missing.csv"));
    EXPECT_TRUE(lines.empty());
}

TEST(ILFileParser, KeepsTheNumbersOfTheFile) {
    CILFileParser parser;
    ASSERT_EQ(parser.ReadILs(bridgeData("il_several.csv")), ILReadStatus::Read);
    EXPECT_EQ(parser.GetNoILs(), 4);
    const std::vector<CInfLineDiscrete> lines = parser.TakeILs();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].GetID(), 101);
    EXPECT_EQ(lines[3].GetID(), 104);
}

struct HeaderCase {
    std::string header;
    std::string description;
};

TEST(ILFileParser, DescriptionFromTheThirdOfExactlyThreeFields) {
    const std::vector<HeaderCase> cases = {
        {"7,3,Span A", "Span A"},
        {"7,3,  Span A  ", "Span A"},
        {"7,3,\tSpan A\t", "Span A"},
        {"7,3,\" Span A \"", "Span A"},
        {"7,3,\"Span \"\"A\"\"\"", "Span \"A\""},
        {"7,3,Br\xC3\xBC"
         "cke",
         "Br\xC3\xBC"
         "cke"},
        {"7,3,", ""},
        {"7,3", "Imported IL no. 1"},
        {"7,3,a,b", "Imported IL no. 1"},
    };
    ScratchDir dir;
    for (const HeaderCase& c : cases) {
        CILFileParser parser;
        const auto path = dir.write("il.csv", "1\n" + c.header + "\n0,0\n5,1\n10,0\n");
        ASSERT_EQ(parser.ReadILs(path), ILReadStatus::Read) << c.header;
        const std::vector<CInfLineDiscrete> lines = parser.TakeILs();
        ASSERT_EQ(lines.size(), 1u) << c.header;
        EXPECT_EQ(lines[0].getDescription(), c.description) << c.header;
        EXPECT_EQ(lines[0].GetID(), 7) << c.header;
        EXPECT_EQ(lines[0].GetNoPoints(), 3) << c.header;
    }
}

TEST(ILFileParser, AllLineEndsReadTheSame) {
    const std::vector<std::string> rows = {"2,,",  "7,3,Span A", "0,0", "5,1",
                                           "10,0", "8,2",        "0,1", "4,1"};
    ScratchDir dir;
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        std::string content;
        for (const std::string& row : rows)
            content += row + end;
        std::vector<CInfLineDiscrete> lines;
        ASSERT_TRUE(ImportILFile(dir.write("il.csv", content), lines).Succeeded());
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].getDescription(), "Span A");
        EXPECT_EQ(lines[0].GetDistances(), (std::vector<double>{0, 5, 10}));
        EXPECT_EQ(lines[1].getDescription(), "Imported IL no. 2");
        EXPECT_EQ(lines[1].GetOrdinates(), (std::vector<double>{1, 1}));
    }
}

struct ContentCase {
    const char* name;
    std::string content;
};

TEST(ILFileParser, FilesThatDoNotHoldWhatTheyAnnounceAreRejected) {
    const std::vector<ContentCase> cases = {
        {"empty file", ""},
        {"count not a number", "x\n7,1\n0,0\n"},
        {"count quoted", "\"1\"\n7,1\n0,0\n"},
        {"negative count", "-1\n"},
        {"no points", "1\n7,0\n"},
        {"negative point count", "1\n7,-2\n0,0\n"},
        {"point count missing", "1\n7,\n0,0\n"},
        {"point count too large for an int", "1\n7,99999999999\n0,0\n"},
        {"huge point count, short file", "1\n7,2000000000\n0,0\n"},
        {"ID missing", "1\n,1\n0,0\n"},
        {"point line missing", "1\n7,3\n0,0\n5,1\n"},
        {"second line missing", "2\n7,1\n0,0\n"},
        {"distance missing", "1\n7,1\n,1\n"},
        {"ordinate missing", "1\n7,1\n0\n"},
        {"distance not a number", "1\n7,2\n0,0\nten,1\n"},
        {"NaN distance", "1\n7,1\nnan,1\n"},
        {"infinite ordinate", "1\n7,1\n0,inf\n"},
        {"distance out of range", "1\n7,1\n1e999,1\n"},
        {"blank line between lines", "2\n7,1\n0,0\n\n8,1\n0,0\n"},
    };
    ScratchDir dir;
    for (const ContentCase& c : cases) {
        CILFileParser parser;
        EXPECT_EQ(parser.ReadILs(dir.write("il.csv", c.content)), ILReadStatus::Malformed)
            << c.name;
        EXPECT_TRUE(parser.TakeILs().empty()) << c.name;
    }
}

TEST(ILFileParser, NumbersAreReadFromTheStartOfTheField) {
    ScratchDir dir;
    CILFileParser parser;
    const auto path = dir.write("il.csv", "  +1 influence line\n"
                                          "7.9,2.5\n"
                                          "+.5,-.5\n"
                                          " 1E1m , 2 kN \n");
    ASSERT_EQ(parser.ReadILs(path), ILReadStatus::Read);
    const std::vector<CInfLineDiscrete> lines = parser.TakeILs();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].GetID(), 7);
    EXPECT_EQ(lines[0].GetDistances(), (std::vector<double>{0.5, 10.0}));
    EXPECT_EQ(lines[0].GetOrdinates(), (std::vector<double>{-0.5, 2.0}));
}

TEST(ILFileParser, ACountOfZeroReadsNothing) {
    ScratchDir dir;
    std::vector<CInfLineDiscrete> lines;
    const ILImportResult result = ImportILFile(dir.write("il.csv", "0\n7,1\n0,0\n"), lines);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(result.m_NoImported, 0);
    EXPECT_EQ(result.GetLogText(), "| No. of imported influence lines: 0");
    EXPECT_TRUE(lines.empty());
}

} // namespace
} // namespace tarlo
