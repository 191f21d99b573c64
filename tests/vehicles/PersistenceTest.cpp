#include "project/CElement.h"
#include "project/WideString.h"
#include "vehicles/CConstantDist.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"
#include "vehicles/CIDMParameterSet.h"
#include "vehicles/CVehicleType.h"
#include "vehicles/CVehicleTypes.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/vector.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tarlo {
namespace {

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

template <class T> T roundTrip(const T& value) {
    T loaded{};
    fromXml(toXml("item", value), "item", loaded);
    return loaded;
}

TEST(ElementPersistence, TypeThenDescriptionAsAWideStringObject) {
    const CElement element(CElement::Bridge, "Main span");
    const std::string xml = toXml("element", element);
    EXPECT_NE(xml.find("<element class_id=\"0\" tracking_level=\"0\" version=\"0\">\n"
                       "\t<m_ElementType>13</m_ElementType>\n"
                       "\t<m_Description class_id=\"1\" tracking_level=\"0\" version=\"0\">\n"
                       "\t\t<value>Main span</value>\n"
                       "\t</m_Description>\n"
                       "</element>"),
              std::string::npos)
        << xml;
    CElement loaded;
    fromXml(xml, "element", loaded);
    EXPECT_EQ(loaded.getElementType(), CElement::Bridge);
    EXPECT_EQ(loaded.getDescription(), "Main span");
}

TEST(ElementPersistence, TextKeepsMarkupAndNonAsciiCharacters) {
    CElement element(CElement::Detector, "Br\xC3\xBC"
                                         "cke <A&B> \xE2\x82\xAC \xF0\x9F\x9A\x97");
    const std::string xml = toXml("element", element);
    EXPECT_NE(xml.find("Br\xC3\xBC"
                       "cke &lt;A&amp;B&gt;"),
              std::string::npos)
        << xml;
    CElement loaded;
    fromXml(xml, "element", loaded);
    EXPECT_EQ(loaded.getDescription(), element.getDescription());
}

TEST(ElementPersistence, InvalidUtf8IsWrittenAsReplacementCharacters) {
    EXPECT_EQ(utf8ToWide("a\xC3\xBCz"), L"a\u00FCz");
    EXPECT_EQ(utf8ToWide("a\xFF"
                         "b"),
              L"a\uFFFDb");
    EXPECT_EQ(utf8ToWide("\xE2\x82"), L"\uFFFD");
    EXPECT_EQ(utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(utf8ToWide("\xED\xA0\x80"), L"\uFFFD");   // surrogate
    EXPECT_EQ(utf8ToWide("\xF0\x9F\x9A\x97"), std::wstring(1, static_cast<wchar_t>(0x1F697)));
}

TEST(ElementPersistence, Labels) {
    const char* labels[] = {
        "Configuration",  "Road Feature",          "Detector",     "Bridge",       "Load Effect",
        "Influence Line", "Discrete Distribution", "Vehicle Type", "IDM Parameter"};
    for (int code = 10; code <= 18; ++code)
        EXPECT_EQ(CElement::typeLabel(code), labels[code - 10]);
    EXPECT_EQ(CElement::typeLabel(9), "Unknown");
    EXPECT_EQ(CElement::typeLabel(19), "Unknown");
}

TEST(DistributionPersistence, EachKindThroughTheBasePointer) {
    auto discrete = std::make_shared<CDiscreteDist>(3, "Gaps");
    discrete->setData({1, 2, 3});
    discrete->setPMF({0.2, 0.3, 0.5});
    const std::vector<std::shared_ptr<CDistribution>> saved = {
        std::make_shared<CConstantDist>(4.25),
        std::make_shared<CContinuousDist>(CContinuousDist::GEV, 1.5, 0.25, -0.125), discrete};
    const std::string xml = toXml("dists", saved);
    EXPECT_NE(xml.find("class_name=\"CConstantDist\""), std::string::npos);
    EXPECT_NE(xml.find("class_name=\"CContinuousDist\""), std::string::npos);
    EXPECT_NE(xml.find("class_name=\"CDiscreteDist\" tracking_level=\"1\" version=\"1\""),
              std::string::npos);
    EXPECT_NE(xml.find("<px class_id="), std::string::npos);

    std::vector<std::shared_ptr<CDistribution>> loaded;
    fromXml(xml, "dists", loaded);
    ASSERT_EQ(loaded.size(), 3u);
    auto constant = std::dynamic_pointer_cast<CConstantDist>(loaded[0]);
    ASSERT_TRUE(constant);
    EXPECT_EQ(constant->getValue(), 4.25);
    auto continuous = std::dynamic_pointer_cast<CContinuousDist>(loaded[1]);
    ASSERT_TRUE(continuous);
    EXPECT_EQ(continuous->getForm(), CContinuousDist::GEV);
    EXPECT_EQ(continuous->getLocation(), 1.5);
    EXPECT_EQ(continuous->getScale(), 0.25);
    EXPECT_EQ(continuous->getShape(), -0.125);
    auto back = std::dynamic_pointer_cast<CDiscreteDist>(loaded[2]);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getDescription(), "Gaps");
    EXPECT_EQ(back->getElementType(), CElement::DiscreteDistribution);
    EXPECT_EQ(back->getID(), 3);
    EXPECT_EQ(back->getData(), discrete->getData());
    EXPECT_EQ(back->getPMF(), discrete->getPMF());
    EXPECT_EQ(back->getCDF(), discrete->getCDF());
    EXPECT_DOUBLE_EQ(back->getMean(), 2.3);
    // The loaded objects can hand out their owners.
    EXPECT_EQ(back->shared_from_this(), loaded[2]);
}

TEST(DistributionPersistence, DiscreteListByValueWithElementPartFirst) {
    std::vector<CDiscreteDist> list(1);
    list[0].copy(CDiscreteDist(2, "Lengths"));
    list[0].setData({4, 12});
    list[0].setPMF({0.75, 0.25});
    const std::string xml = toXml("m_vDiscreteDists", list);
    const auto element = xml.find("<CElement");
    const auto distribution = xml.find("<CDistribution");
    const auto description = xml.find("<m_Description>", distribution);
    ASSERT_NE(element, std::string::npos);
    EXPECT_LT(element, distribution);
    EXPECT_NE(description, std::string::npos);
    EXPECT_NE(xml.find("<CDistribution class_id=\"4\" tracking_level=\"0\" version=\"1\">"
                       "</CDistribution>"),
              std::string::npos)
        << xml;
    std::vector<CDiscreteDist> loaded;
    fromXml(xml, "m_vDiscreteDists", loaded);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].getDescription(), "Lengths");
    EXPECT_EQ(loaded[0].getCDF(), (std::vector<double>{0.75, 1.0}));
    EXPECT_DOUBLE_EQ(loaded[0].getMean(), 6.0);
}

TEST(VehicleTypesPersistence, EditedSetSurvivesARoundTrip) {
    CVehicleTypes types;
    CVehicleType& crane = *types.getType(CVehicleType::Crane);
    crane.setName("Mobile crane");
    crane.setFileStem("MC");
    crane.setColor(0x00123456);
    crane.setImportance(2);
    crane.getCriterion(VehicleTypeCriterion::AveAxleSpacing)->setLimits(0.5, 2.25);
    CIDMParameterSet& params = *crane.getIDMParams();
    params.getParameter(CParameter::T)->setForm(CContinuousDist::Gamma);
    params.getParameter(CParameter::A)->setKind(CDistribution::Constant);
    CDiscreteDist speeds(1, "Speeds");
    speeds.setData({60, 80});
    speeds.setPMF({0.5, 0.5});
    params.getParameter(CParameter::V0)->setDiscrete(speeds);

    const std::string xml = toXml("m_pVehicleTypes", std::make_shared<CVehicleTypes>(types));
    EXPECT_NE(xml.find("<m_vVehicleTypes class_id="), std::string::npos);
    EXPECT_NE(xml.find("<m_pIDMParams class_id="), std::string::npos);
    std::shared_ptr<CVehicleTypes> loaded;
    fromXml(xml, "m_pVehicleTypes", loaded);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        const CVehicleType& a = *types.getType(i);
        const CVehicleType& b = *loaded->getType(i);
        EXPECT_EQ(b.getName(), a.getName());
        EXPECT_EQ(b.getFileStem(), a.getFileStem());
        EXPECT_EQ(b.getClass(), a.getClass());
        EXPECT_EQ(b.getColor(), a.getColor());
        EXPECT_EQ(b.getImportance(), a.getImportance());
        for (unsigned id = 1; id <= 6; ++id) {
            EXPECT_EQ(b.getCriterion(id)->getID(), id);
            EXPECT_EQ(b.getCriterion(id)->getName(), a.getCriterion(id)->getName());
            EXPECT_EQ(b.getCriterion(id)->getLow(), a.getCriterion(id)->getLow());
            EXPECT_EQ(b.getCriterion(id)->getHigh(), a.getCriterion(id)->getHigh());
        }
        ASSERT_NE(b.getIDMParams(), nullptr);
        EXPECT_EQ(b.getIDMParams()->getVehClass(), a.getIDMParams()->getVehClass());
        for (int kind = CParameter::T; kind <= CParameter::DeltaAth; ++kind) {
            auto da = a.getIDMParams()->getParameter(kind)->getDistribution();
            auto db = b.getIDMParams()->getParameter(kind)->getDistribution();
            EXPECT_EQ(b.getIDMParams()->getParameter(kind)->getID(), kind);
            EXPECT_EQ(db->getType(), da->getType());
            EXPECT_EQ(db->getMean(), da->getMean());
        }
    }
    auto t = std::dynamic_pointer_cast<CContinuousDist>(
        loaded->getType(3)->getIDMParams()->getParameter(CParameter::T)->getDistribution());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->getForm(), CContinuousDist::Gamma);
    EXPECT_EQ(t->getScale(), 0.05);
    auto v0 = std::dynamic_pointer_cast<CDiscreteDist>(
        loaded->getType(3)->getIDMParams()->getParameter(CParameter::V0)->getDistribution());
    ASSERT_TRUE(v0);
    EXPECT_EQ(v0->getDescription(), "Speeds");
    EXPECT_EQ(v0->getCDF(), (std::vector<double>{0.5, 1.0}));
}

// A project of the oldest layout: discrete distributions of class version 0 (no element
// part), then the vehicle types through a plain pointer, a set of class version 0 holding
// plain type pointers, whose parameters of class version 0 hold plain distribution pointers;
// one of them points into the discrete list. It holds only the first two types, so loading
// completes the set with the defaults of the other four.
class LegacyProject : public testing::Test {
protected:
    void SetUp() override {
        std::ifstream in(std::string(TARLO_TEST_DATA) + "/vehicles/legacy_types.xml");
        ASSERT_TRUE(in);
        boost::archive::xml_iarchive ar(in);
        ar >> make_nvp("m_vDiscreteDists", list);
        CVehicleTypes* plain = nullptr;
        ar >> make_nvp("m_pVehicleTypes", plain);
        types.reset(plain);
        ASSERT_TRUE(types);
    }

    const CParameter& parameter(std::size_t type, int kind) const {
        return *types->getType(type)->getIDMParams()->getParameter(kind);
    }

    std::vector<CDiscreteDist> list;
    std::shared_ptr<CVehicleTypes> types;
};

TEST_F(LegacyProject, DiscreteListWithoutElementPart) {
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].getDescription(), "Legacy speeds");
    EXPECT_EQ(list[0].getElementType(), CElement::DiscreteDistribution);
    EXPECT_EQ(list[0].getID(), 4);
    EXPECT_EQ(list[0].getData(), (std::vector<double>{70, 90, 110}));
    EXPECT_EQ(list[0].getCDF(), (std::vector<double>{0.25, 0.75, 1.0}));
    EXPECT_DOUBLE_EQ(list[0].getMean(), 90.0);
}

TEST_F(LegacyProject, TypesFromPlainPointersCompletedToSix) {
    ASSERT_EQ(types->size(), 6u);
    const CVehicleType& car = *types->getType(0);
    EXPECT_EQ(car.getName(), "Car");
    EXPECT_EQ(car.getImportance(), 1);
    EXPECT_EQ(car.getColor(), 0x102030u);
    EXPECT_EQ(car.getCriterion(VehicleTypeCriterion::GVW)->getHigh(), 30.0);
    EXPECT_EQ(car.getCriterion(VehicleTypeCriterion::Length)->getHigh(), 12.0);
    const CVehicleType& smallTruck = *types->getType(1);
    EXPECT_EQ(smallTruck.getName(), "Small Truck");
    EXPECT_EQ(smallTruck.getFileStem(), "ST");
    EXPECT_EQ(smallTruck.getImportance(), 2);
    EXPECT_EQ(smallTruck.getIDMParams()->getVehClass(), 1);
    for (std::size_t i = 2; i < 6; ++i)
        EXPECT_EQ(types->getType(i)->getClass(), static_cast<int>(i));
    EXPECT_EQ(types->getType(4)->getName(), "Low-loader");
}

TEST_F(LegacyProject, ParametersTakeOverTheirDistributionsAndCopyDiscreteOnes) {
    auto t =
        std::dynamic_pointer_cast<CContinuousDist>(parameter(0, CParameter::T).getDistribution());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->getForm(), CContinuousDist::Normal);
    EXPECT_EQ(t->getLocation(), 1.5);
    EXPECT_EQ(t->getScale(), 0.1);
    EXPECT_EQ(t->shared_from_this(), t);
    auto s0 =
        std::dynamic_pointer_cast<CContinuousDist>(parameter(0, CParameter::S0).getDistribution());
    ASSERT_TRUE(s0);
    EXPECT_EQ(s0->getForm(), CContinuousDist::GEV);
    EXPECT_EQ(s0->getShape(), 0.2);
    EXPECT_EQ(parameter(0, CParameter::Bias).getDistribution()->getMean(), -0.1);
    EXPECT_EQ(parameter(0, CParameter::Polite).getDistribution()->getMean(), 0.25);
    EXPECT_EQ(parameter(1, CParameter::V0).getDistribution()->getMean(), 95.0);

    auto v0 =
        std::dynamic_pointer_cast<CDiscreteDist>(parameter(0, CParameter::V0).getDistribution());
    ASSERT_TRUE(v0);
    EXPECT_NE(v0.get(), &list[0]);
    EXPECT_EQ(v0->getDescription(), "Legacy speeds");
    EXPECT_DOUBLE_EQ(v0->getMean(), 90.0);
    list[0].setData({1, 2, 3});
    EXPECT_DOUBLE_EQ(v0->getMean(), 90.0);

    // Switched to a constant, a loaded discrete parameter falls back on its kind's default.
    CParameter switched = parameter(0, CParameter::V0);
    switched.setKind(CDistribution::Constant);
    EXPECT_EQ(switched.getDistribution()->getMean(), 80.0);

    // Saved again, every parameter is written at the current class version.
    const std::string xml = toXml("types", *types);
    EXPECT_NE(xml.find("<m_pDistribution class_id=\""), std::string::npos);
    EXPECT_NE(xml.find("<px class_id="), std::string::npos);
    const std::string opening = xml.substr(xml.find("<types "), 60);
    EXPECT_NE(opening.find("version=\"1\""), std::string::npos) << opening;
    const std::string parameter = xml.substr(xml.find("<m_T "), 60);
    EXPECT_NE(parameter.find("version=\"1\""), std::string::npos) << parameter;
}

} // namespace
} // namespace tarlo
