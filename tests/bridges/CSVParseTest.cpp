#include "bridges/CCSVParse.h"

#include "ILTestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarlo {
namespace {

using Fields = std::vector<std::string>;

// Every line of the file as its list of fields, read until GetLine reports the end.
std::vector<Fields> readAll(CCSVParse& parser) {
    std::vector<Fields> lines;
    std::string text;
    while (parser.GetLine(text)) {
        Fields fields;
        for (int i = 0; i < parser.GetFieldCount(); ++i)
            fields.push_back(parser.GetField(i));
        lines.push_back(fields);
    }
    return lines;
}

struct SplitCase {
    const char* name;
    std::string content;
    std::string separators;
    std::vector<Fields> expected;
};

const std::vector<SplitCase> SplitCases = {
    {"plain", "a,b,c\n", ",", {{"a", "b", "c"}}},
    {"trailing separator", "1,5,\n", ",", {{"1", "5", ""}}},
    {"only separators", ",\n,,\n", ",", {{"", ""}, {"", "", ""}}},
    {"empty line has no fields", "a\n\nb\n", ",", {{"a"}, {}, {"b"}}},
    {"blanks are kept", " a , b \n", ",", {{" a ", " b "}}},
    {"quoted separator", "\"a,b\",c\n", ",", {{"a,b", "c"}}},
    {"doubled quotes", "7,3,\"Span \"\"A\"\"\"\n", ",", {{"7", "3", "Span \"A\""}}},
    {"text after closing quote", "\"ab\"cd,e\n", ",", {{"abcd", "e"}}},
    {"unclosed quote takes the rest", "x,\"abc,d\n", ",", {{"x", "abc,d"}}},
    {"empty quoted fields", "\"\",\"\"\n", ",", {{"", ""}}},
    {"quote inside a plain field", "x\"y,z\n", ",", {{"x\"y", "z"}}},
    {"doubled quote at the end", "\"a\"\"\n", ",", {{"a\""}}},
    {"separator set", "a;b,c\n", ",;", {{"a", "b", "c"}}},
    {"tab only", "a,b\tc\n", "\t", {{"a,b", "c"}}},
    {"no separators", "a,b;c\n", "", {{"a,b;c"}}},
    {"CR LF", "a,b\r\nc\r\n", ",", {{"a", "b"}, {"c"}}},
    {"CR alone", "a,b\rc\r", ",", {{"a", "b"}, {"c"}}},
    {"mixed line ends", "a\r\nb\rc\nd", ",", {{"a"}, {"b"}, {"c"}, {"d"}}},
    {"CR swallows one LF only", "a\r\r\nb\n\rc", ",", {{"a"}, {}, {"b"}, {}, {"c"}}},
    {"byte order mark",
     "\xEF\xBB\xBF"
     "3,x\n",
     ",",
     {{"3", "x"}}},
    {"empty file", "", ",", {}},
};

TEST(CSVParseSplit, FieldsOfEachLine) {
    iltest::ScratchDir dir;
    for (const SplitCase& c : SplitCases) {
        CCSVParse parser;
        ASSERT_TRUE(parser.Open(dir.write("case.csv", c.content), c.separators)) << c.name;
        EXPECT_EQ(readAll(parser), c.expected) << c.name;
    }
}

TEST(CSVParseLines, TheLineTextIsHandedBackAsItStands) {
    iltest::ScratchDir dir;
    CCSVParse parser;
    ASSERT_TRUE(parser.Open(dir.write("a.csv", "\"a,b\",c\r\nlast"), ","));
    std::string line;
    EXPECT_TRUE(parser.GetLine(line));
    EXPECT_EQ(line, "\"a,b\",c");
    // A last line without a line end is still a line.
    EXPECT_TRUE(parser.GetLine(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(parser.GetLine(line));
    EXPECT_EQ(line, "");
    EXPECT_EQ(parser.GetFieldCount(), 0);
    EXPECT_FALSE(parser.GetLine(line));
}

TEST(CSVParseLines, FieldsOfAnEarlierLongerLineAreNotSeen) {
    iltest::ScratchDir dir;
    CCSVParse parser;
    ASSERT_TRUE(parser.Open(dir.write("a.csv", "a,b,c\nd\n"), ","));
    std::string line;
    ASSERT_TRUE(parser.GetLine(line));
    EXPECT_EQ(parser.GetField(2), "c");
    ASSERT_TRUE(parser.GetLine(line));
    EXPECT_EQ(parser.GetFieldCount(), 1);
    EXPECT_EQ(parser.GetField(0), "d");
    EXPECT_EQ(parser.GetField(1), "");
    EXPECT_EQ(parser.GetField(2), "");
    EXPECT_EQ(parser.GetField(-1), "");
}

TEST(CSVParseOpen, MissingFileAndReopening) {
    iltest::ScratchDir dir;
    CCSVParse parser;
    std::string line = "stale";
    EXPECT_FALSE(parser.GetLine(line));
    EXPECT_EQ(line, "");
    EXPECT_FALSE(parser.Open(dir.path() / "missing.csv", ","));
    EXPECT_FALSE(parser.GetLine(line));

    ASSERT_TRUE(parser.Open(dir.write("one.csv", "a;b\nc\n"), ";"));
    ASSERT_TRUE(parser.GetLine(line));
    EXPECT_EQ(parser.GetField(1), "b");
    // A second file starts from its own beginning with its own separators.
    ASSERT_TRUE(parser.Open(dir.write("two.csv", "x,y\n"), ","));
    ASSERT_TRUE(parser.GetLine(line));
    EXPECT_EQ(line, "x,y");
    EXPECT_EQ(parser.GetFieldCount(), 2);
    parser.Close();
    EXPECT_FALSE(parser.GetLine(line));
}

} // namespace
} // namespace tarlo
