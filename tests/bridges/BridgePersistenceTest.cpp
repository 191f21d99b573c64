#include "bridges/CBridge.h"
#include "bridges/CInfLineDiscrete.h"
#include "bridges/CInfLineFunction.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/vector.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tarlo {
namespace {

std::vector<CBridge> roundTrip(std::vector<CBridge>& m_vBridges) {
    std::stringstream stream;
    {
        boost::archive::xml_oarchive out(stream);
        out << BOOST_SERIALIZATION_NVP(m_vBridges);
    }
    std::vector<CBridge> loaded;
    boost::archive::xml_iarchive in(stream);
    in >> boost::serialization::make_nvp("m_vBridges", loaded);
    return loaded;
}

TEST(BridgePersistence, RoundTripKeepsEveryPersistedField) {
    std::vector<CBridge> bridges;
    bridges.emplace_back(4, 2500, 2, 200.0, 260.0);
    CBridge& bridge = bridges[0];
    bridge.setDescription("Viaduct é");
    bridge.SetStepsPerSimStep(5);
    bridge.AddLoadEffect({0.5, 1.0});
    CInfLineDiscrete line(2, "Measured");
    bridge.GetLoadEffects()[1]->SetInfLine(line);
    bridge.EventManager().setBlockMaxSize(600.0);
    bridge.EventManager().setThreshOver(1, 250.0);

    const std::vector<CBridge> loaded = roundTrip(bridges);
    ASSERT_EQ(loaded.size(), 1u);
    const CBridge& copy = loaded[0];
    EXPECT_EQ(copy.getDescription(), "Viaduct é");
    EXPECT_EQ(copy.GetID(), 4);
    EXPECT_EQ(copy.GetStart(), 200.0);
    EXPECT_EQ(copy.GetEnd(), 260.0);
    EXPECT_EQ(copy.GetSpanLength(), 60.0);
    EXPECT_EQ(copy.ZoneStart(false), 2240.0) << "derived positions recomputed after loading";
    EXPECT_EQ(copy.GetNoLanes(), 2);
    EXPECT_EQ(copy.GetStepsPerSimStep(), 5u);
    ASSERT_EQ(copy.GetNoLE(), 2);
    const auto& effects = copy.GetLoadEffects();
    EXPECT_EQ(effects[1]->GetID(), 2);
    EXPECT_EQ(effects[1]->LaneWeights(), (std::vector<double>{0.5, 1.0}));
    const auto* discrete = dynamic_cast<const CInfLineDiscrete*>(effects[1]->GetInfLine().get());
    ASSERT_NE(discrete, nullptr);
    EXPECT_EQ(discrete->GetID(), 2);
    EXPECT_EQ(discrete->GetNoPoints(), 5);
    const auto* function = dynamic_cast<const CInfLineFunction*>(effects[0]->GetInfLine().get());
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(function->GetForm(), CInfLineFunction::TotalLoad);
    EXPECT_TRUE(copy.EventManager().getBMax());
    EXPECT_EQ(copy.EventManager().getBlockMaxSize(), 600.0);
    EXPECT_EQ(copy.EventManager().getThreshOver(), (std::vector<double>{0.0, 250.0}));
}

// A project written before bridges were numbered, whose load effects still carried the
// bridge extent, saved on Windows.
TEST(BridgePersistence, OlderLayoutsStillLoad) {
    std::ifstream file(TARLO_TEST_DATA "/bridges/bridges_v0.xml");
    ASSERT_TRUE(file.is_open());
    std::vector<CBridge> bridges;
    boost::archive::xml_iarchive in(file);
    in >> boost::serialization::make_nvp("m_vBridges", bridges);
    ASSERT_EQ(bridges.size(), 1u);
    const CBridge& bridge = bridges[0];
    EXPECT_EQ(bridge.GetID(), 0) << "no number before version 1";
    EXPECT_EQ(bridge.getDescription(), "Span A");
    EXPECT_EQ(bridge.GetStart(), 100.0);
    EXPECT_EQ(bridge.ZoneEnd(false), 1900.0);
    ASSERT_EQ(bridge.GetNoLE(), 1);
    const CLoadEffect& effect = *bridge.GetLoadEffects()[0];
    EXPECT_EQ(effect.GetBridgeStart(), 100.0);
    EXPECT_EQ(effect.GetBridgeEnd(), 130.0);
    EXPECT_EQ(effect.GetSpanLength(), 30.0);
    EXPECT_EQ(effect.LaneWeights(), (std::vector<double>{1.0, 0.5}));
}

} // namespace
} // namespace tarlo
