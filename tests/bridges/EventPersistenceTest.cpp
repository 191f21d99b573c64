#include "bridges/CEventAll.h"
#include "bridges/CEventBlockMax.h"
#include "bridges/CEventBlockMin.h"
#include "bridges/CEventManager.h"
#include "bridges/CEventPOT.h"
#include "bridges/CEventPUT.h"
#include "project/CElement.h"
#include "project/settings/CSettings.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/vector.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace tarlo {
namespace {

namespace fs = std::filesystem;
using boost::serialization::make_nvp;

template <class T> std::string toXml(const char* name, const T& value) {
    std::ostringstream out;
    {
        boost::archive::xml_oarchive ar(out);
        ar << make_nvp(name, value);
    }
    return out.str();
}

template <class T> void fromXml(const std::string& xml, const char* name, T& value) {
    std::istringstream in(xml);
    boost::archive::xml_iarchive ar(in);
    ar >> make_nvp(name, value);
}

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(TARLO_TEST_DATA) + "/bridges/events/" + name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(EventManagerPersistence, Version3LayoutAndRoundTrip) {
    CEventManager manager;
    manager.AddLoadEffectThresholds();
    manager.AddLoadEffectThresholds();
    manager.setAll(true);
    manager.setStatsBasic(true);
    manager.setBlockMaxSize(3600);
    manager.setBlockMinSize(600);
    manager.setBMin(false);
    manager.setThreshOver(0, 1500);
    manager.setThreshOver(1, 0.125);
    manager.setThreshUnder(1, -250);
    manager.setPUT(false);
    // The run-time part (folder, span, load effects) is not stored.
    manager.SetOutput(4, "/tmp/out/", 100, 200,
                      {std::make_shared<CElement>(CElement::LoadEffect, "M")});

    const std::string xml = toXml("m_EventMgr", manager);
    EXPECT_NE(xml.find("<m_EventMgr class_id=\"0\" tracking_level=\"0\" version=\"3\">\n"
                       "\t<m_bAll>1</m_bAll>\n"
                       "\t<m_bStats>1</m_bStats>\n"
                       "\t<m_bStatsBasic>1</m_bStatsBasic>\n"
                       "\t<m_bStatsHist>0</m_bStatsHist>\n"
                       "\t<m_bBMax>1</m_bBMax>\n"
                       "\t<m_BlockMaxSize>3.60000000000000000e+03</m_BlockMaxSize>\n"
                       "\t<m_bBMin>0</m_bBMin>\n"
                       "\t<m_BlockMinSize>6.00000000000000000e+02</m_BlockMinSize>\n"
                       "\t<m_bPOT>1</m_bPOT>\n"
                       "\t<m_vThreshOver>\n"
                       "\t\t<count>2</count>\n"
                       "\t\t<item_version>0</item_version>\n"
                       "\t\t<item>1.50000000000000000e+03</item>\n"
                       "\t\t<item>1.25000000000000000e-01</item>\n"
                       "\t</m_vThreshOver>\n"
                       "\t<m_bPUT>0</m_bPUT>\n"
                       "\t<m_vThreshUnder>\n"
                       "\t\t<count>2</count>\n"
                       "\t\t<item_version>0</item_version>\n"
                       "\t\t<item>0.00000000000000000e+00</item>\n"
                       "\t\t<item>-2.50000000000000000e+02</item>\n"
                       "\t</m_vThreshUnder>\n"
                       "\t<m_ID>4</m_ID>\n"
                       "</m_EventMgr>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(xml.find("/tmp/out/"), std::string::npos);

    CEventManager loaded;
    fromXml(xml, "m_EventMgr", loaded);
    EXPECT_EQ(loaded.getID(), 4);
    EXPECT_TRUE(loaded.getAll());
    EXPECT_TRUE(loaded.getStats());
    EXPECT_TRUE(loaded.getStatsBasic());
    EXPECT_FALSE(loaded.getStatsHist());
    EXPECT_TRUE(loaded.getBMax());
    EXPECT_EQ(loaded.getBlockMaxSize(), 3600);
    EXPECT_FALSE(loaded.getBMin());
    EXPECT_EQ(loaded.getBlockMinSize(), 600);
    EXPECT_TRUE(loaded.getPOT());
    EXPECT_FALSE(loaded.getPUT());
    EXPECT_EQ(loaded.getThreshOver(), manager.getThreshOver());
    EXPECT_EQ(loaded.getThreshUnder(), manager.getThreshUnder());
    EXPECT_TRUE(loaded.getPath().empty());
    EXPECT_TRUE(loaded.getLoadEffects().empty());
}

TEST(EventManagerPersistence, OlderVersionsAreConverted) {
    struct Case {
        const char* file;
        bool all, stats, basic, hist, bmax, bmin, pot, put;
        double blockMax, blockMin;
        std::vector<double> over, under;
    };
    const Case cases[] = {
        // One block size and one threshold list; the under-thresholds become zeros.
        {"manager_v0.xml",
         true,
         false,
         false,
         false,
         true,
         false,
         true,
         false,
         3600,
         0,
         {1500, 250},
         {0, 0}},
        {"manager_v1.xml", false, true, false, true, false, false, false, false, 86400, 0, {}, {}},
        {"manager_v2.xml",
         false,
         true,
         true,
         true,
         true,
         true,
         false,
         true,
         600,
         1200,
         {750},
         {-125}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CEventManager loaded;
        ASSERT_NO_THROW(fromXml(fixture(c.file), "m_EventMgr", loaded));
        EXPECT_EQ(loaded.getAll(), c.all);
        EXPECT_EQ(loaded.getStats(), c.stats);
        EXPECT_EQ(loaded.getStatsBasic(), c.basic);
        EXPECT_EQ(loaded.getStatsHist(), c.hist);
        EXPECT_EQ(loaded.getBMax(), c.bmax);
        EXPECT_EQ(loaded.getBMin(), c.bmin);
        EXPECT_EQ(loaded.getPOT(), c.pot);
        EXPECT_EQ(loaded.getPUT(), c.put);
        EXPECT_EQ(loaded.getBlockMaxSize(), c.blockMax);
        EXPECT_EQ(loaded.getBlockMinSize(), c.blockMin);
        EXPECT_EQ(loaded.getThreshOver(), c.over);
        EXPECT_EQ(loaded.getThreshUnder(), c.under);
        EXPECT_EQ(loaded.getID(), 0);
    }
}

TEST(EventManagerPersistence, ANewerVersionIsRefused) {
    std::string xml = fixture("manager_v2.xml");
    xml.replace(xml.find("version=\"2\""), 11, "version=\"4\"");
    CEventManager loaded;
    EXPECT_THROW(fromXml(xml, "m_EventMgr", loaded), boost::archive::archive_exception);
}

TEST(EventWriterPersistence, ExportedWritersThroughTheBasePointer) {
    const fs::path dir =
        fs::temp_directory_path() / ("tarlo_events_persistence_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = dir.string() + "/";
    const CSettings settings;
    const LoadEffectList les = {std::make_shared<CElement>(CElement::LoadEffect, "Moment <M>"),
                                std::make_shared<CElement>(CElement::LoadEffect, "Shear")};
    auto bmax = std::make_shared<CEventBlockMax>(5, les, path, 12.5, 40, 600, settings);
    bmax->Initialize(100.0);
    bmax->Update(150.0, std::vector<double>{3.0, -4.0});
    const std::vector<std::shared_ptr<CEventBase>> saved = {
        std::make_shared<CEventAll>(5, les, path, 12.5, 40, settings), bmax,
        std::make_shared<CEventBlockMin>(5, les, path, 12.5, 40, 300, settings),
        std::make_shared<CEventPOT>(5, les, std::vector<double>{10, 20}, path, 12.5, 40, settings),
        std::make_shared<CEventPUT>(5, les, std::vector<double>{-10, -20}, path, 12.5, 40,
                                    settings)};
    for (const auto& writer : saved)
        writer->Finish();

    const std::string xml = toXml("writers", saved);
    for (const char* key :
         {"CEventAll", "CEventBlockMax", "CEventBlockMin", "CEventPOT", "CEventPUT"})
        EXPECT_NE(xml.find(std::string("class_name=\"") + key +
                           "\" tracking_level=\"1\" "
                           "version=\"0\""),
                  std::string::npos)
            << key;
    for (const char* base : {"<CEventBase class_id=", "<CEventBM class_id=", "<CEventPT class_id="})
        EXPECT_NE(xml.find(base), std::string::npos) << base;
    EXPECT_NE(xml.find("<item>Moment &lt;M&gt;</item>"), std::string::npos) << xml;

    std::vector<std::shared_ptr<CEventBase>> loaded;
    fromXml(xml, "writers", loaded);
    ASSERT_EQ(loaded.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        const CEventBase& a = *saved[i];
        const CEventBase& b = *loaded[i];
        EXPECT_EQ(typeid(b), typeid(a));
        EXPECT_EQ(b.getType(), a.getType());
        EXPECT_EQ(b.getBridgeID(), 5);
        EXPECT_EQ(b.getPath(), path);
        EXPECT_EQ(b.getBridgeStart(), 12.5);
        EXPECT_EQ(b.getBridgeEnd(), 40);
        EXPECT_EQ(b.getLENames(), (std::vector<std::string>{"Moment <M>", "Shear"}));
        EXPECT_EQ(b.getNoLE(), 2);
        EXPECT_EQ(b.FileName(), a.FileName());
    }
    const auto& block = dynamic_cast<const CEventBlockMax&>(*loaded[1]);
    EXPECT_EQ(block.getBlocksize(), 600);
    EXPECT_EQ(block.getBlockNo(), 1);
    EXPECT_EQ(block.getBlockEnd(), 700);
    EXPECT_EQ(block.getBlockExtremes(), bmax->getBlockExtremes());
    EXPECT_EQ(dynamic_cast<const CEventBlockMin&>(*loaded[2]).getBlockExtremes(),
              (std::vector<std::pair<double, double>>(2, {0.0, 1e12})));
    EXPECT_EQ(dynamic_cast<const CEventPOT&>(*loaded[3]).getThresholds(),
              (std::vector<double>{10, 20}));
    EXPECT_EQ(dynamic_cast<const CEventPUT&>(*loaded[4]).getThresholds(),
              (std::vector<double>{-10, -20}));

    // A loaded writer has no file: its output goes nowhere and the files stay as they are.
    std::vector<std::string> before;
    for (const auto& writer : saved) {
        std::ifstream in(writer->FileName(), std::ios::binary);
        before.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (const auto& writer : loaded) {
        writer->Initialize(0.0);
        for (int i = 0; i < 5; ++i)
            writer->Update(1000.0 * i, std::vector<double>{1e6, -1e6});
        writer->Finish();
    }
    for (std::size_t i = 0; i < saved.size(); ++i) {
        std::ifstream in(saved[i]->FileName(), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
                  before[i]);
    }
    fs::remove_all(dir);
}

} // namespace
} // namespace tarlo
