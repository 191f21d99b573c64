#include "bridges/CEventManager.h"
#include "project/CElement.h"
#include "project/settings/CSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace tarlo {
namespace {

namespace fs = std::filesystem;

class EventFolder {
public:
    EventFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name =
            std::string("tarlo_eventmgr_") + info->test_suite_name() + "_" + info->name();
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
    // Every file of the folder with its content.
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> all;
        for (const auto& entry : fs::directory_iterator(m_Dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            all[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in),
                                                     std::istreambuf_iterator<char>()};
        }
        return all;
    }
    std::set<std::string> names() const {
        std::set<std::string> all;
        for (const auto& [name, content] : files())
            all.insert(name);
        return all;
    }

private:
    fs::path m_Dir;
};

const CSettings settings;

LoadEffectList twoLoadEffects() {
    return {std::make_shared<CElement>(CElement::LoadEffect, "Moment"),
            std::make_shared<CElement>(CElement::LoadEffect, "Shear")};
}

// A manager with the outputs named by their file tags.
CEventManager managerWith(const std::set<std::string>& outputs, const std::string& path) {
    CEventManager manager;
    manager.AddLoadEffectThresholds();
    manager.AddLoadEffectThresholds();
    manager.SetOutput(7, path, 500, 1000, twoLoadEffects());
    if (outputs.count("Stats_Basic"))
        manager.setStatsBasic(true);
    if (outputs.count("Stats_Hist"))
        manager.setStatsHist(true);
    manager.setAll(outputs.count("All") > 0);
    if (outputs.count("BMax"))
        manager.setBlockMaxSize(10);
    if (outputs.count("BMin"))
        manager.setBlockMinSize(20);
    if (outputs.count("POT")) {
        manager.setThreshOver(0, 100);
        manager.setThreshOver(1, 10);
    }
    if (outputs.count("PUT")) {
        manager.setThreshUnder(0, -100);
        manager.setThreshUnder(1, -10);
    }
    return manager;
}

std::set<std::string> fileNames(const std::set<std::string>& tags) {
    std::set<std::string> names;
    for (const std::string& tag : tags)
        names.insert("Br_7_" + tag + "_500-1000.csv");
    return names;
}

void feed(CEventManager& manager) {
    for (int i = 0; i < 40; ++i)
        manager.Update(i * 1.5, std::vector<double>{i * 10.0 - 150.0, (i % 7) * 5.0 - 15.0});
}

TEST(EventManager, EachSelectedOutputHasItsFile) {
    struct Case {
        std::set<std::string> outputs;
        std::set<std::string> atStart;
    };
    const Case cases[] = {
        {{}, {}},
        {{"All"}, {"All"}},
        {{"BMax", "BMin"}, {"BMax", "BMin"}},
        {{"POT", "PUT"}, {"POT", "PUT"}},
        {{"Stats_Basic"}, {}},
        {{"Stats_Hist"}, {}},
        {{"Stats_Basic", "Stats_Hist", "All", "BMax", "BMin", "POT", "PUT"},
         {"All", "BMax", "BMin", "POT", "PUT"}},
    };
    for (const Case& c : cases) {
        EventFolder folder;
        CEventManager manager = managerWith(c.outputs, folder.path());
        manager.Initialize(0.0, settings);
        EXPECT_EQ(folder.names(), fileNames(c.atStart));
        feed(manager);
        manager.Finish();
        EXPECT_EQ(folder.names(), fileNames(c.outputs));
    }
}

TEST(EventManager, ForwardsEveryValueSetToEachWriter) {
    EventFolder folder;
    CEventManager manager = managerWith({"All", "BMax", "POT", "PUT"}, folder.path());
    manager.Initialize(100.0, settings);
    manager.Update(101.0, std::vector<double>{50.0, 20.0});
    manager.Update(111.0, std::vector<double>{150.0, -20.0});
    manager.Update(112.0, std::vector<double>{-150.0, 5.0});
    manager.Finish();
    const auto files = folder.files();
    EXPECT_EQ(files.at("Br_7_All_500-1000.csv"), "Time,LE 1: Moment,LE 2: Shear,\r\n"
                                                 "         101.00,      50.0,      20.0,\r\n"
                                                 "         111.00,     150.0,     -20.0,\r\n"
                                                 "         112.00,    -150.0,       5.0,\r\n");
    EXPECT_EQ(files.at("Br_7_BMax_500-1000.csv"),
              "Block,Time (s),LE 1: Moment,Time (s),LE 2: Shear,\r\n"
              "    1,         101.00,      50.0,         101.00,      20.0,\r\n");
    EXPECT_EQ(files.at("Br_7_POT_500-1000.csv"), "Time,LE 1: Moment,LE 2: Shear,\r\n"
                                                 "         101.00,,      20.0\r\n"
                                                 "         111.00,     150.0,\r\n");
    EXPECT_EQ(files.at("Br_7_PUT_500-1000.csv"), "Time,LE 1: Moment,LE 2: Shear,\r\n"
                                                 "         111.00,,     -20.0\r\n"
                                                 "         112.00,    -150.0,\r\n");
}

TEST(EventManager, ASecondFinishChangesNoFile) {
    EventFolder folder;
    const std::set<std::string> everything = {"Stats_Basic", "Stats_Hist", "All", "BMax",
                                              "BMin",        "POT",        "PUT"};
    {
        CEventManager document = managerWith(everything, folder.path());
        CEventManager run = document;
        run.Initialize(0.0, settings);
        feed(run);
        run.Finish();
        const auto afterRun = folder.files();
        ASSERT_EQ(afterRun.size(), everything.size());
        run.Finish();
        EXPECT_EQ(folder.files(), afterRun);
        // The bridge copy that is destroyed finishes again.
        CEventManager copy = run;
        copy.Finish();
        EXPECT_EQ(folder.files(), afterRun);
    }
}

TEST(EventManager, CopiesShareTheWriters) {
    EventFolder folder;
    CEventManager manager = managerWith({"All"}, folder.path());
    manager.Initialize(0.0, settings);
    CEventManager copy = manager;
    copy.Update(1.0, std::vector<double>{1.0, 2.0});
    manager.Update(2.0, std::vector<double>{3.0, 4.0});
    manager.Finish();
    copy.Update(3.0, std::vector<double>{5.0, 6.0});
    EXPECT_EQ(folder.files().at("Br_7_All_500-1000.csv"),
              "Time,LE 1: Moment,LE 2: Shear,\r\n"
              "           1.00,       1.0,       2.0,\r\n"
              "           2.00,       3.0,       4.0,\r\n");
}

// The rows of a file after its header.
std::size_t dataRows(const std::string& content) {
    const auto lines = static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'));
    return lines > 0 ? lines - 1 : 0;
}

// The tally of a run: the extremes of every value handed in (a tie keeps the earlier time)
// and the rows each block and threshold file received, none for an output not selected.
TEST(EventManager, TallyFollowsTheValuesAndTheRowsOfTheFiles) {
    EventFolder folder;
    CEventManager manager = managerWith({"All", "BMax", "BMin", "POT"}, folder.path());
    manager.Initialize(0.0, settings);
    feed(manager);
    const std::vector<LoadEffectTally> tally = manager.Tally();
    ASSERT_EQ(tally.size(), 2u);
    const LoadEffectTally& moment = tally[0];
    EXPECT_EQ(moment.description, "Moment");
    EXPECT_EQ(moment.values, 40u);
    EXPECT_EQ(moment.largest, 240.0);
    EXPECT_EQ(moment.largestTime, 58.5);
    EXPECT_EQ(moment.smallest, -150.0);
    EXPECT_EQ(moment.smallestTime, 0.0);
    // The shear repeats every 7 values: its first extremes count.
    const LoadEffectTally& shear = tally[1];
    EXPECT_EQ(shear.largest, 15.0);
    EXPECT_EQ(shear.largestTime, 9.0);
    EXPECT_EQ(shear.smallest, -15.0);
    EXPECT_EQ(shear.smallestTime, 0.0);

    // Blocks of 10 s and 20 s up to 58.5 s: the open block is not written.
    EXPECT_EQ(moment.blockMaxima, 5u);
    EXPECT_EQ(moment.blockMinima, 2u);
    EXPECT_EQ(shear.blockMaxima, 5u);
    // Over 100 from the 27th value on; over 10 at every 7th from the 7th.
    EXPECT_EQ(moment.peaksOver, 14u);
    EXPECT_EQ(shear.peaksOver, 5u);
    EXPECT_FALSE(moment.peaksUnder);
    manager.Finish();
    const auto files = folder.files();
    EXPECT_EQ(dataRows(files.at("Br_7_BMax_500-1000.csv")), 5u);
    EXPECT_EQ(dataRows(files.at("Br_7_BMin_500-1000.csv")), 2u);
    EXPECT_EQ(dataRows(files.at("Br_7_POT_500-1000.csv")), 19u);

    // A new run starts its tally afresh.
    manager.Initialize(100.0, settings);
    manager.Update(101.0, std::vector<double>{-3.0, 4.0});
    const std::vector<LoadEffectTally> next = manager.Tally();
    EXPECT_EQ(next[0].values, 1u);
    EXPECT_EQ(next[0].largest, -3.0);
    EXPECT_EQ(next[0].largestTime, 101.0);
    EXPECT_EQ(next[0].blockMaxima, 0u);
    EXPECT_EQ(next[0].peaksOver, 0u);
}

// Rows that could not be written are not counted; the values still are.
TEST(EventManager, TallyCountsNoRowsOfFilesThatCouldNotBeMade) {
    EventFolder folder;
    CEventManager manager = managerWith({"BMax", "POT", "PUT"}, folder.path() + "missing/");
    manager.Initialize(0.0, settings);
    feed(manager);
    manager.Finish();
    const LoadEffectTally moment = manager.Tally()[0];
    EXPECT_EQ(moment.values, 40u);
    EXPECT_EQ(moment.largest, 240.0);
    EXPECT_EQ(moment.blockMaxima, 0u);
    EXPECT_EQ(moment.peaksOver, 0u);
    EXPECT_EQ(moment.peaksUnder, 0u);
}

TEST(EventManager, ANewRunStartsItsFilesAgain) {
    EventFolder folder;
    CEventManager manager = managerWith({"All", "Stats_Basic"}, folder.path());
    for (int run = 0; run < 2; ++run) {
        manager.Initialize(0.0, settings);
        manager.Update(1.0 + run, std::vector<double>{1.0, 2.0});
        manager.Finish();
    }
    const auto files = folder.files();
    EXPECT_EQ(files.at("Br_7_All_500-1000.csv"), "Time,LE 1: Moment,LE 2: Shear,\r\n"
                                                 "           2.00,       1.0,       2.0,\r\n");
    EXPECT_NE(files.at("Br_7_Stats_Basic_500-1000.csv").find("Count,1,1,"), std::string::npos);
}

TEST(EventManager, WithoutWritersOrFolderNothingBreaks) {
    EventFolder folder;
    const std::set<std::string> everything = {"Stats_Basic", "Stats_Hist", "All", "BMax",
                                              "BMin",        "POT",        "PUT"};
    CEventManager manager = managerWith(everything, folder.path() + "missing/");
    // Before the run start there are no writers.
    manager.Update(1.0, std::vector<double>{1.0, 2.0});
    manager.Finish();
    manager.Initialize(0.0, settings);
    for (int i = 0; i < 1200; ++i)
        manager.Update(i * 0.1, std::vector<double>{1.0 * i, -1.0 * i});
    // A set shorter or longer than the load-effect list fills the columns it has.
    manager.Update(200.0, std::vector<double>{1.0});
    manager.Update(201.0, std::vector<double>{1.0, 2.0, 3.0});
    manager.Finish();
    manager.Finish();
    EXPECT_TRUE(folder.names().empty());
}

TEST(EventManager, EditorsKeepTheFlagsInStep) {
    CEventManager manager;
    EXPECT_FALSE(manager.hasOutput());
    manager.setStatsBasic(true);
    EXPECT_TRUE(manager.getStats());
    manager.setStatsHist(true);
    manager.setStatsBasic(false);
    EXPECT_TRUE(manager.getStats());
    manager.setStatsHist(false);
    EXPECT_FALSE(manager.getStats());

    manager.setBlockMaxSize(3600);
    EXPECT_TRUE(manager.getBMax());
    EXPECT_EQ(manager.getBlockMaxSize(), 3600);
    EXPECT_FALSE(manager.getBMin());
    manager.setBlockMinSize(600);
    EXPECT_TRUE(manager.getBMin());
    manager.setBMax(false);
    EXPECT_EQ(manager.getBlockMaxSize(), 3600);

    // A threshold of a load effect that does not exist is not taken.
    EXPECT_FALSE(manager.setThreshOver(0, 5.0));
    EXPECT_FALSE(manager.getPOT());
    manager.AddLoadEffectThresholds();
    manager.AddLoadEffectThresholds();
    manager.AddLoadEffectThresholds();
    EXPECT_TRUE(manager.setThreshOver(1, 5.0));
    EXPECT_TRUE(manager.getPOT());
    EXPECT_FALSE(manager.getPUT());
    EXPECT_TRUE(manager.setThreshUnder(2, -7.0));
    EXPECT_TRUE(manager.getPUT());
    EXPECT_EQ(manager.getThreshOver(), (std::vector<double>{0.0, 5.0, 0.0}));
    EXPECT_EQ(manager.getThreshUnder(), (std::vector<double>{0.0, 0.0, -7.0}));
    manager.DeleteLoadEffectThresholds(0);
    EXPECT_EQ(manager.getThreshOver(), (std::vector<double>{5.0, 0.0}));
    EXPECT_EQ(manager.getThreshUnder(), (std::vector<double>{0.0, -7.0}));
    manager.DeleteLoadEffectThresholds(5);
    EXPECT_EQ(manager.getThreshOver().size(), 2u);
}

} // namespace
} // namespace tarlo
