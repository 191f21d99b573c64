#include "bridges/CInfLineDiscrete.h"
#include "bridges/CInfLineFunction.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/vector.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tarlo {
namespace {

using boost::serialization::make_nvp;
using LinePtr = std::shared_ptr<CInfluenceLine>;

template <class T> std::string toXml(const T& value) {
    std::ostringstream out;
    {
        boost::archive::xml_oarchive ar(out);
        ar << make_nvp("item", value);
    }
    return out.str();
}

template <class T> T fromXml(const std::string& xml) {
    std::istringstream in(xml);
    boost::archive::xml_iarchive ar(in);
    T value{};
    ar >> make_nvp("item", value);
    return value;
}

// The item names of xml in the order they appear.
std::vector<std::string> itemNames(const std::string& xml) {
    std::vector<std::string> names;
    for (std::size_t pos = xml.find('<'); pos != std::string::npos; pos = xml.find('<', pos + 1)) {
        if (xml[pos + 1] == '/' || xml[pos + 1] == '?' || xml[pos + 1] == '!')
            continue;
        const std::size_t end = xml.find_first_of(" >", pos);
        names.push_back(xml.substr(pos + 1, end - pos - 1));
    }
    return names;
}

void replaceOnce(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t pos = text.find(from);
    ASSERT_NE(pos, std::string::npos) << from;
    text.replace(pos, from.size(), to);
}

CInfLineDiscrete sampleDiscrete() {
    CInfLineDiscrete line(4, "Span A \xE2\x80\x93 hogging <north>");
    line.SetPoints({0.0, 12.5, 25.0}, {0.0, -1.25, 0.0});
    return line;
}

TEST(InfLinePersistence, DiscreteLineThroughABasePointerUsesItsExportKey) {
    const LinePtr saved = std::make_shared<CInfLineDiscrete>(sampleDiscrete());
    const std::string xml = toXml(saved);

    EXPECT_NE(xml.find("class_name=\"CInfLineDiscrete\" tracking_level=\"1\" version=\"0\""),
              std::string::npos)
        << xml;
    EXPECT_EQ(itemNames(xml), (std::vector<std::string>{"boost_serialization",
                                                        "item",
                                                        "px",
                                                        "CElement",
                                                        "m_ElementType",
                                                        "m_Description",
                                                        "value",
                                                        "CInfluenceLine",
                                                        "m_Type",
                                                        "m_Length",
                                                        "m_Description",
                                                        "value",
                                                        "m_ID",
                                                        "m_vDistance",
                                                        "count",
                                                        "item_version",
                                                        "item",
                                                        "item",
                                                        "item",
                                                        "m_vOrdinate",
                                                        "count",
                                                        "item_version",
                                                        "item",
                                                        "item",
                                                        "item"}))
        << xml;
    EXPECT_NE(xml.find("<m_ElementType>15</m_ElementType>"), std::string::npos);
    EXPECT_NE(xml.find("<m_Type>601</m_Type>"), std::string::npos);
    EXPECT_NE(xml.find("<m_Length>2.50000000000000000e+01</m_Length>"), std::string::npos);

    const LinePtr loaded = fromXml<LinePtr>(xml);
    const auto discrete = std::dynamic_pointer_cast<CInfLineDiscrete>(loaded);
    ASSERT_NE(discrete, nullptr);
    EXPECT_EQ(discrete->getDescription(), "Span A \xE2\x80\x93 hogging <north>");
    EXPECT_EQ(discrete->getElementType(), CElement::InfluenceLine);
    EXPECT_EQ(discrete->GetType(), CInfluenceLine::IL_DISCRETE);
    EXPECT_EQ(discrete->GetID(), 4);
    EXPECT_EQ(discrete->GetDistances(), (std::vector<double>{0.0, 12.5, 25.0}));
    EXPECT_EQ(discrete->GetOrdinates(), (std::vector<double>{0.0, -1.25, 0.0}));
    EXPECT_EQ(discrete->GetNoPoints(), 3);
    EXPECT_EQ(discrete->GetLength(), 25.0);
    EXPECT_EQ(discrete->GetOrdinate(6.25), -0.625);
    EXPECT_EQ(discrete->shared_from_this(), loaded);
}

TEST(InfLinePersistence, BuiltInLinesKeepTheirFormThroughABasePointer) {
    for (const auto& form : CInfLineFunction::Forms()) {
        const LinePtr saved = std::make_shared<CInfLineFunction>(form.code, 20.0);
        const std::string xml = toXml(saved);
        EXPECT_NE(xml.find("class_name=\"CInfLineFunction\" tracking_level=\"1\" version=\"0\""),
                  std::string::npos)
            << xml;
        EXPECT_EQ(itemNames(xml),
                  (std::vector<std::string>{"boost_serialization", "item", "px", "CInfluenceLine",
                                            "m_Type", "m_Length", "m_ILform"}))
            << xml;

        const LinePtr loaded = fromXml<LinePtr>(xml);
        const auto function = std::dynamic_pointer_cast<CInfLineFunction>(loaded);
        ASSERT_NE(function, nullptr);
        EXPECT_EQ(function->GetForm(), form.code);
        EXPECT_EQ(function->GetLength(), 20.0);
        EXPECT_EQ(function->GetType(), CInfluenceLine::IL_FUNCTION);
        for (const double x : {0.0, 2.0, 5.0, 10.0, 15.0, 20.0})
            EXPECT_EQ(loaded->GetOrdinate(x), saved->GetOrdinate(x)) << form.name << " " << x;
    }
}

TEST(InfLinePersistence, ALineSharedTwiceIsStoredOnce) {
    const LinePtr shared = std::make_shared<CInfLineFunction>(612, 30.0);
    const std::vector<LinePtr> saved = {shared, std::make_shared<CInfLineDiscrete>(), shared};
    const std::string xml = toXml(saved);
    EXPECT_NE(xml.find("object_id_reference=\"_0\""), std::string::npos) << xml;

    const auto loaded = fromXml<std::vector<LinePtr>>(xml);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded[0], loaded[2]);
    EXPECT_NE(loaded[0], loaded[1]);
    EXPECT_EQ(loaded[1]->GetTypeName(), "Discrete");
    EXPECT_EQ(loaded[0]->GetOrdinate(7.5), 0.75);
}

TEST(InfLinePersistence, TheDocumentListRoundTripsByValue) {
    std::vector<CInfLineDiscrete> saved = {sampleDiscrete(), CInfLineDiscrete(),
                                           CInfLineDiscrete(2, "New IL No. 2")};
    const auto loaded = fromXml<std::vector<CInfLineDiscrete>>(toXml(saved));
    ASSERT_EQ(loaded.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(loaded[i].getDescription(), saved[i].getDescription());
        EXPECT_EQ(loaded[i].GetID(), saved[i].GetID());
        EXPECT_EQ(loaded[i].GetDistances(), saved[i].GetDistances());
        EXPECT_EQ(loaded[i].GetOrdinates(), saved[i].GetOrdinates());
        EXPECT_EQ(loaded[i].GetNoPoints(), saved[i].GetNoPoints());
        EXPECT_EQ(loaded[i].GetLength(), saved[i].GetLength());
    }
    EXPECT_EQ(loaded[1].GetOrdinate(0.0), 0.0);
}

TEST(InfLinePersistence, LoadingRederivesWhatTheTableDecides) {
    std::string xml = toXml(LinePtr(std::make_shared<CInfLineDiscrete>(sampleDiscrete())));
    // A hand-edited file: another kind, length and element type, and two descriptions.
    replaceOnce(xml, "<m_Type>601</m_Type>", "<m_Type>600</m_Type>");
    replaceOnce(xml, "<m_Length>2.50000000000000000e+01</m_Length>",
                "<m_Length>9.90000000000000000e+01</m_Length>");
    replaceOnce(xml, "<m_ElementType>15</m_ElementType>", "<m_ElementType>13</m_ElementType>");
    replaceOnce(xml, "<value>Span A", "<value>Element part of Span A");

    const auto loaded = std::dynamic_pointer_cast<CInfLineDiscrete>(fromXml<LinePtr>(xml));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetType(), CInfluenceLine::IL_DISCRETE);
    EXPECT_EQ(loaded->GetLength(), 25.0);
    EXPECT_EQ(loaded->getElementType(), CElement::InfluenceLine);
    // The description written on its own comes later and wins.
    EXPECT_EQ(loaded->getDescription(), "Span A \xE2\x80\x93 hogging <north>");
    EXPECT_EQ(loaded->GetOrdinate(6.25), -0.625);

    std::string functionXml = toXml(LinePtr(std::make_shared<CInfLineFunction>(610, 20.0)));
    replaceOnce(functionXml, "<m_Type>600</m_Type>", "<m_Type>601</m_Type>");
    const LinePtr function = fromXml<LinePtr>(functionXml);
    EXPECT_EQ(function->GetType(), CInfluenceLine::IL_FUNCTION);
    EXPECT_EQ(function->GetOrdinate(10.0), 5.0);
}

} // namespace
} // namespace tarlo
