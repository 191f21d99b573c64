#include "bridges/CEventAll.h"
#include "bridges/CEventBlockMax.h"
#include "bridges/CEventBlockMin.h"
#include "bridges/CEventPOT.h"
#include "bridges/CEventPUT.h"
#include "bridges/CEventStats.h"
#include "project/CElement.h"
#include "project/settings/CSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace tarlo {
namespace {

namespace fs = std::filesystem;

// A fresh folder per test; its path ends with the separator, as the writers expect.
class EventFolder {
public:
    EventFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name =
            std::string("tarlo_events_") + info->test_suite_name() + "_" + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        // The process number keeps concurrent runs of the tests apart.
        m_Dir = fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
        fs::remove_all(m_Dir);
        fs::create_directories(m_Dir);
    }
    ~EventFolder() { fs::remove_all(m_Dir); }

    std::string path() const { return m_Dir.string() + "/"; }
    std::string read(const std::string& file) const {
        std::ifstream in(m_Dir / file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool exists(const std::string& file) const { return fs::exists(m_Dir / file); }

private:
    fs::path m_Dir;
};

LoadEffectList loadEffects(std::initializer_list<const char*> names) {
    LoadEffectList list;
    for (const char* name : names)
        list.push_back(std::make_shared<CElement>(CElement::LoadEffect, name));
    return list;
}

// `text` right-aligned in `width` characters.
std::string r(int width, std::string_view text) {
    return std::string(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0,
                       ' ') +
           std::string(text);
}

std::string blockRow(const char* block, const char* time, const char* value) {
    return r(5, block) + "," + r(15, time) + "," + r(10, value) + ",\r\n";
}

const CSettings settings;

// ---------------------------------------------------------------------------------------------
// File names and headers

TEST(EventFiles, NamesCarryBridgeNumberTagStartAndEnd) {
    struct Case {
        int id;
        double start;
        double end;
        const char* suffix;
    };
    const Case cases[] = {
        {3, 500, 1000, "3_%_500-1000.csv"},
        {12, 1234.5, 1250.25, "12_%_1234.5-1250.25.csv"},
        {1, 0.1234567, 1e6, "1_%_0.123457-1e+06.csv"},
        {-1, -20, 0, "4294967295_%_-20-0.csv"},
    };
    EventFolder folder;
    const auto les = loadEffects({"Moment"});
    for (const Case& c : cases) {
        const auto expected = [&](std::string_view tag) {
            std::string name = std::string("Br_") + c.suffix;
            return name.replace(name.find('%'), 1, tag);
        };
        const std::string p = folder.path();
        const CEventAll all(c.id, les, p, c.start, c.end, settings);
        const CEventBlockMax bmax(c.id, les, p, c.start, c.end, 600, settings);
        const CEventBlockMin bmin(c.id, les, p, c.start, c.end, 600, settings);
        const CEventPOT pot(c.id, les, {1.0}, p, c.start, c.end, settings);
        const CEventPUT put(c.id, les, {-1.0}, p, c.start, c.end, settings);
        const std::pair<const CEventBase*, const char*> writers[] = {
            {&all, "All"}, {&bmax, "BMax"}, {&bmin, "BMin"}, {&pot, "POT"}, {&put, "PUT"}};
        for (const auto& [writer, tag] : writers) {
            EXPECT_EQ(writer->FileName(), p + expected(tag));
            EXPECT_TRUE(folder.exists(expected(tag))) << expected(tag);
        }
        CEventStats stats(c.id, les, true, true, p, c.start, c.end, settings);
        EXPECT_FALSE(folder.exists(expected("Stats_Basic")));
        stats.Finish();
        EXPECT_TRUE(folder.exists(expected("Stats_Basic"))) << expected("Stats_Basic");
        EXPECT_TRUE(folder.exists(expected("Stats_Hist"))) << expected("Stats_Hist");
    }
}

TEST(EventFiles, HeadersOfEveryWriter) {
    EventFolder folder;
    const auto les = loadEffects({"Moment", "Shear"});
    const std::string p = folder.path();
    {
        CEventAll all(3, les, p, 500, 1000, settings);
        CEventBlockMax bmax(3, les, p, 500, 1000, 600, settings);
        CEventBlockMin bmin(3, les, p, 500, 1000, 600, settings);
        CEventPOT pot(3, les, {1000, 50}, p, 500, 1000, settings);
        CEventPUT put(3, les, {-1000, -50}, p, 500, 1000, settings);
        // The header is on disk as soon as the writer exists.
        EXPECT_EQ(folder.read("Br_3_All_500-1000.csv"), "Time,LE 1: Moment,LE 2: Shear,\r\n");
        for (CEventBase* w : std::initializer_list<CEventBase*>{&all, &bmax, &bmin, &pot, &put})
            w->Finish();
    }
    const std::string blockHeader = "Block,Time (s),LE 1: Moment,Time (s),LE 2: Shear,\r\n";
    const std::string timeHeader = "Time,LE 1: Moment,LE 2: Shear,\r\n";
    EXPECT_EQ(folder.read("Br_3_BMax_500-1000.csv"), blockHeader);
    EXPECT_EQ(folder.read("Br_3_BMin_500-1000.csv"), blockHeader);
    EXPECT_EQ(folder.read("Br_3_All_500-1000.csv"), timeHeader);
    EXPECT_EQ(folder.read("Br_3_POT_500-1000.csv"), timeHeader);
    EXPECT_EQ(folder.read("Br_3_PUT_500-1000.csv"), timeHeader);
}

TEST(EventFiles, BufferSizeIsCopiedFromTheSettings) {
    EventFolder folder;
    CSettings big;
    big.General.FILE_BUFFER_MB = 3;
    CEventAll all(1, loadEffects({"M"}), folder.path(), 0, 10, big);
    big.General.FILE_BUFFER_MB = 1;
    EXPECT_EQ(all.getBufferSize(), 3u << 20);
}

// Rows wait in the writer's buffer until it fills or the file is closed: a long run writes
// its time history in a few large writes instead of one per row.
TEST(EventFiles, RowsReachTheFileWhenTheBufferFillsAndAtTheEnd) {
    EventFolder folder;
    CEventAll all(1, loadEffects({"M"}), folder.path(), 0, 10, settings);
    all.Update(1.0, std::vector<double>{2.0});
    EXPECT_EQ(folder.read("Br_1_All_0-10.csv"), "Time,LE 1: M,\r\n");

    const std::string row = r(15, "1.00") + "," + r(10, "2.0") + ",\r\n";
    const std::size_t rowsInBuffer = all.getBufferSize() / row.size();
    for (std::size_t i = 0; i < rowsInBuffer; ++i)
        all.Update(1.0, std::vector<double>{2.0});
    const std::size_t written = folder.read("Br_1_All_0-10.csv").size();
    EXPECT_GT(written, 0u);

    all.Finish();
    std::string expected = "Time,LE 1: M,\r\n";
    for (std::size_t i = 0; i <= rowsInBuffer; ++i)
        expected += row;
    EXPECT_TRUE(folder.read("Br_1_All_0-10.csv") == expected);
}

TEST(EventFiles, AnUnopenableFileDropsItsOutputSilently) {
    EventFolder folder;
    const auto les = loadEffects({"M", "V"});
    // A missing folder, and a folder standing where the file should be.
    fs::create_directory(folder.path() + "Br_2_All_0-10.csv");
    for (const std::string& p : {folder.path() + "missing/", folder.path()}) {
        CEventAll all(2, les, p, 0, 10, settings);
        CEventBlockMax bmax(2, les, folder.path() + "missing/", 0, 10, 1, settings);
        CEventPOT pot(2, les, {0, 0}, folder.path() + "missing/", 0, 10, settings);
        CEventStats stats(2, les, true, true, folder.path() + "missing/", 0, 10, settings);
        for (CEventBase* w : std::initializer_list<CEventBase*>{&all, &bmax, &pot, &stats}) {
            w->Initialize(0.0);
            for (int i = 1; i <= 1500; ++i)
                w->Update(i * 0.01, std::vector<double>{1.0 * i, -2.0 * i});
            w->Finish();
            w->Finish();
        }
    }
    EXPECT_FALSE(fs::exists(folder.path() + "missing"));
    EXPECT_TRUE(fs::is_directory(folder.path() + "Br_2_All_0-10.csv"));
}

// ---------------------------------------------------------------------------------------------
// Block extremes

struct Sample {
    double time;
    double value;
};

struct BlockCase {
    const char* name;
    bool maxima;
    double blocksize;
    double t0;
    std::vector<Sample> samples;
    std::string rows;
};

class BlockExtremes : public ::testing::TestWithParam<BlockCase> {};

TEST_P(BlockExtremes, RowsOfTheCompletedBlocks) {
    const BlockCase& c = GetParam();
    EventFolder folder;
    const auto les = loadEffects({"Moment"});
    std::unique_ptr<CEventBM> writer;
    if (c.maxima)
        writer = std::make_unique<CEventBlockMax>(3, les, folder.path(), 500, 1000, c.blocksize,
                                                  settings);
    else
        writer = std::make_unique<CEventBlockMin>(3, les, folder.path(), 500, 1000, c.blocksize,
                                                  settings);
    writer->Initialize(c.t0);
    for (const Sample& s : c.samples)
        writer->Update(s.time, std::vector<double>{s.value});
    writer->Finish();
    const std::string file = c.maxima ? "Br_3_BMax_500-1000.csv" : "Br_3_BMin_500-1000.csv";
    EXPECT_EQ(folder.read(file), "Block,Time (s),LE 1: Moment,\r\n" + c.rows);
}

const BlockCase blockCases[] = {
    {"TheBlockEndBelongsToTheBlock",
     true,
     600,
     0,
     {{10, 5.0}, {600, 7.0}, {600.1, 3.0}},
     blockRow("1", "600.00", "7.0")},
    {"ATieKeepsTheEarlierTime",
     true,
     600,
     0,
     {{10, 5.0}, {20, 5.0}, {700, 1.0}},
     blockRow("1", "10.00", "5.0")},
    {"TheBlockOpenAtTheEndIsNotWritten",
     true,
     600,
     0,
     {{100, 1.0}, {700, 2.0}, {1300, 3.0}, {1500, 9.0}},
     blockRow("1", "100.00", "1.0") + blockRow("2", "700.00", "2.0")},
    {"APauseClosesOneBlockPerUpdate",
     true,
     600,
     0,
     {{100, 4.0}, {2000, 9.0}, {2001, 1.0}, {2002, 1.0}, {2003, 1.0}},
     blockRow("1", "100.00", "4.0") + blockRow("2", "2000.00", "9.0") +
         blockRow("3", "2001.00", "1.0")},
    {"BlocksStartAtTheStartTime",
     true,
     600,
     1000,
     {{1500, 2.0}, {1600, 3.0}, {1700, 1.0}},
     blockRow("1", "1600.00", "3.0")},
    {"ABlockWithoutValuesReportsTheStartValue",
     true,
     600,
     0,
     {{700, 2.0}, {1300, 1.0}},
     blockRow("1", "0.00", "-1000000000000.0") + blockRow("2", "700.00", "2.0")},
    {"ABlockSizeOfZeroGivesOneRowPerUpdate",
     true,
     0,
     5,
     {{5, 1.0}, {6, 2.0}, {7, 3.0}, {8, 0.5}},
     blockRow("1", "5.00", "1.0") + blockRow("2", "6.00", "2.0") + blockRow("3", "7.00", "3.0")},
    {"MinimaTakeTheSmallestValue",
     false,
     600,
     0,
     {{10, -5.0}, {20, -7.04}, {30, -7.04}, {40, 3.0}, {700, 1.0}},
     blockRow("1", "20.00", "-7.0")},
    {"MinimaOfAnEmptyBlock", false, 600, 0, {{601, 2.0}}, blockRow("1", "0.00", "1000000000000.0")},
    {"WideNumbersAreWrittenInFull",
     true,
     1e15,
     0,
     {{1234567890123.5, 98765432101.5}, {2e15, 0.0}},
     blockRow("1", "1234567890123.50", "98765432101.5")},
};

INSTANTIATE_TEST_SUITE_P(Events, BlockExtremes, ::testing::ValuesIn(blockCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BlockExtremesFile, TwoLoadEffectsAndBlockNumbersRightAligned) {
    EventFolder folder;
    CEventBlockMax writer(4, loadEffects({"Moment", "Shear"}), folder.path(), 0, 20, 1, settings);
    writer.Initialize(0.0);
    for (int i = 1; i <= 12; ++i)
        writer.Update(i * 1.0, std::vector<double>{10.0 * i, -1.0 * i});
    writer.Finish();
    std::string expected = "Block,Time (s),LE 1: Moment,Time (s),LE 2: Shear,\r\n";
    expected += "    1,           1.00,      10.0,           1.00,      -1.0,\r\n";
    for (int i = 2; i <= 11; ++i) {
        const std::string t = std::to_string(i) + ".00";
        expected += r(5, std::to_string(i)) + "," + r(15, t) + "," +
                    r(10, std::to_string(10 * i) + ".0") + "," + r(15, t) + "," +
                    r(10, "-" + std::to_string(i) + ".0") + ",\r\n";
    }
    EXPECT_EQ(folder.read("Br_4_BMax_0-20.csv"), expected);
}

// ---------------------------------------------------------------------------------------------
// Time history and thresholds

TEST(TimeHistory, OneRowPerUpdate) {
    EventFolder folder;
    CEventAll all(3, loadEffects({"Moment", "Shear"}), folder.path(), 500, 1000, settings);
    all.Initialize(10.0);
    all.Update(12.3456, std::vector<double>{1234.56, -7.04});
    all.Update(12.5, std::vector<double>{0.0, 123456789012.0});
    all.Finish();
    all.Update(13.0, std::vector<double>{1.0, 1.0});
    EXPECT_EQ(folder.read("Br_3_All_500-1000.csv"),
              "Time,LE 1: Moment,LE 2: Shear,\r\n"
              "          12.35,    1234.6,      -7.0,\r\n"
              "          12.50,       0.0,123456789012.0,\r\n");
}

struct ThresholdCase {
    const char* name;
    bool over;
    std::vector<double> thresholds;
    std::vector<double> values;
    std::string rows;
};

class Thresholds : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(Thresholds, RowsForValuesBeyondTheirThreshold) {
    const ThresholdCase& c = GetParam();
    EventFolder folder;
    const auto les = loadEffects({"Moment", "Shear"});
    std::unique_ptr<CEventPT> writer;
    if (c.over)
        writer =
            std::make_unique<CEventPOT>(3, les, c.thresholds, folder.path(), 500, 1000, settings);
    else
        writer =
            std::make_unique<CEventPUT>(3, les, c.thresholds, folder.path(), 500, 1000, settings);
    writer->Initialize(0.0);
    writer->Update(2.0, c.values);
    writer->Finish();
    EXPECT_EQ(folder.read(c.over ? "Br_3_POT_500-1000.csv" : "Br_3_PUT_500-1000.csv"),
              "Time,LE 1: Moment,LE 2: Shear,\r\n" + c.rows);
}

const std::string time2 = r(15, "2.00");

const ThresholdCase thresholdCases[] = {
    {"OverFirstOnly", true, {1000, 50}, {1200, 40}, time2 + "," + r(10, "1200.0") + ",\r\n"},
    {"OverBothGivesTwoRows",
     true,
     {1000, 50},
     {1200, 60},
     time2 + "," + r(10, "1200.0") + ",\r\n" + time2 + ",," + r(10, "60.0") + "\r\n"},
    {"OverEqualGivesNoRow", true, {1000, 50}, {1000, 50}, ""},
    {"UnderSecondOnly", false, {-100, -10}, {-50, -20}, time2 + ",," + r(10, "-20.0") + "\r\n"},
    {"UnderBothGivesTwoRows",
     false,
     {-100, -10},
     {-150, -20},
     time2 + "," + r(10, "-150.0") + ",\r\n" + time2 + ",," + r(10, "-20.0") + "\r\n"},
    {"UnderEqualGivesNoRow", false, {-100, -10}, {-100, -10}, ""},
    // A list shorter than the load effects: the load effect without a threshold gives no row.
    {"OverWithAShortThresholdList",
     true,
     {1000},
     {1200, 5000},
     time2 + "," + r(10, "1200.0") + ",\r\n"},
    {"UnderWithoutThresholds", false, {}, {-1e9, -1e9}, ""},
};

INSTANTIATE_TEST_SUITE_P(Events, Thresholds, ::testing::ValuesIn(thresholdCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Statistics

// The stream writes a NaN with or without its sign, as the platform does.
std::string unsignedNaN(std::string text) {
    for (std::size_t at; (at = text.find("-nan")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

TEST(Statistics, BasicValuesAndALoadEffectWithoutLoad) {
    EventFolder folder;
    CEventStats stats(3, loadEffects({"Moment", "Shear"}), true, false, folder.path(), 500, 1000,
                      settings);
    stats.Initialize(0.0);
    // The second load effect never leaves the zero band of 1e-5.
    const std::vector<std::vector<double>> steps = {{1, 0}, {2, 1e-5}, {3, -1e-5}, {0, 9e-6}};
    for (const auto& values : steps)
        stats.Update(1.0, values);
    stats.Finish();
    EXPECT_EQ(unsignedNaN(folder.read("Br_3_Stats_Basic_500-1000.csv")),
              "Statistic,LE 1: Moment,LE 2: Shear,\r\n"
              "Count,3,0,\r\n"
              "Min,1,1.79769e+308,\r\n"
              "Max,3,-1.79769e+308,\r\n"
              "Mean,2,0,\r\n"
              "Variance,0.666667,0,\r\n"
              "Std. Dev.,0.816497,0,\r\n"
              "CoV,0.408248,nan,\r\n"
              "Skewness,0,nan,\r\n");
    EXPECT_FALSE(folder.exists("Br_3_Stats_Hist_500-1000.csv"));
}

TEST(Statistics, SkewnessOfAnAsymmetricSample) {
    EventFolder folder;
    CEventStats stats(1, loadEffects({"M"}), true, false, folder.path(), 0, 10, settings);
    stats.Initialize(0.0);
    for (double v : {-1.0, -1.0, -1.0, 3.0})
        stats.Update(0.0, std::vector<double>{v});
    stats.Finish();
    // Mean 0, population variance 3, third central moment 6: skewness 6 / 3^1.5.
    EXPECT_EQ(unsignedNaN(folder.read("Br_1_Stats_Basic_0-10.csv")),
              "Statistic,LE 1: M,\r\nCount,4,\r\nMin,-1,\r\nMax,3,\r\nMean,0,\r\n"
              "Variance,3,\r\nStd. Dev.,1.73205,\r\nCoV,inf,\r\nSkewness,1.1547,\r\n");
}

TEST(Statistics, HistogramFromTheFirstThousandValues) {
    EventFolder folder;
    CEventStats stats(3, loadEffects({"Moment", "Shear", "Torsion"}), false, true, folder.path(),
                      500, 1000, settings);
    stats.Initialize(0.0);
    // The first 1000 values of the first load effect run through 1..51, so the bins are 1 wide
    // from 1 to 51; the second load effect gets fewer than 1000 values, the third none.
    for (int i = 0; i < 1000; ++i)
        stats.Update(0.0, std::vector<double>{1.0 + i % 51, i < 10 ? 5.0 : 0.0, 0.0});
    stats.Update(0.0, std::vector<double>{0.5, 0.0, 0.0});   // below the first bin
    stats.Update(0.0, std::vector<double>{100.0, 0.0, 0.0}); // above the last bin
    stats.Finish();

    // Of 1002 values: 1 below; 20 each of 1..31; 19 each of 32..50; 19 of 51 and 100 above.
    std::string expected = "LE 1: Moment,,LE 2: Shear,,LE 3: Torsion,,\r\n"
                           "Bin,Density,Bin,Density,Bin,Density,\r\n";
    for (int j = 0; j <= 51; ++j) {
        const char* density = j == 0               ? "0.000998004"
                              : j <= 31 || j == 51 ? "0.0199601"
                                                   : "0.0189621";
        expected += std::to_string(j) + "," + density + ",0,0,0,0,\r\n";
    }
    EXPECT_EQ(folder.read("Br_3_Stats_Hist_500-1000.csv"), expected);
    EXPECT_FALSE(folder.exists("Br_3_Stats_Basic_500-1000.csv"));
}

TEST(Statistics, ASecondFinishWritesTheSameFiles) {
    EventFolder folder;
    CEventStats stats(3, loadEffects({"Moment"}), true, true, folder.path(), 500, 1000, settings);
    stats.Initialize(0.0);
    for (int i = 1; i <= 1200; ++i)
        stats.Update(0.0, std::vector<double>{i * 0.5});
    stats.Finish();
    const std::string basic = folder.read("Br_3_Stats_Basic_500-1000.csv");
    const std::string hist = folder.read("Br_3_Stats_Hist_500-1000.csv");
    ASSERT_NE(basic.find("Count,1200,"), std::string::npos) << basic;
    fs::remove(folder.path() + "Br_3_Stats_Hist_500-1000.csv");
    stats.Finish();
    EXPECT_EQ(folder.read("Br_3_Stats_Basic_500-1000.csv"), basic);
    EXPECT_EQ(folder.read("Br_3_Stats_Hist_500-1000.csv"), hist);
}

} // namespace
} // namespace tarlo
