#include "detectors/CStatDetector.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/vector.hpp>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tarlo {
namespace {

using boost::serialization::make_nvp;

TEST(CStatDetector, NewElementDefaults) {
    const CStatDetector element;
    EXPECT_EQ(element.getDescription(), "Detector");
    EXPECT_EQ(element.getElementType(), 12);
    EXPECT_EQ(element.getTypeLabel(), "Detector");
    EXPECT_EQ(element.getDetectorType(), 510);
    EXPECT_EQ(element.getDetectorName(), 520);
    EXPECT_TRUE(element.getDirPos());
    EXPECT_EQ(element.getDetectorVehicleType(), 500);
    EXPECT_EQ(element.getTimeInterval(), 60);
    EXPECT_EQ(element.getParamA(), 1000);
    EXPECT_EQ(element.getParamB(), 0);
    EXPECT_EQ(element.getParamC(), 0);
    EXPECT_TRUE(element.getOutputPath().empty());
}

TEST(CStatDetector, CategoryFollowsTheKind) {
    const struct {
        int kind, category;
    } rows[] = {{520, 510}, {521, 510}, {522, 510}, {523, 513}, {524, 510},
                {525, 511}, {526, 511}, {527, 512}, {528, 512}, {529, 511}};
    for (const auto& row : rows) {
        CStatDetector element;
        element.setDetectorName(523); // a category the next kind must replace
        element.setDetectorName(row.kind);
        EXPECT_EQ(element.getDetectorType(), row.category) << row.kind;
    }
    // A code that is no kind keeps the category it had.
    for (int code : {519, 530, 0, -1}) {
        CStatDetector element;
        element.setDetectorName(527);
        element.setDetectorName(code);
        EXPECT_EQ(element.getDetectorName(), code);
        EXPECT_EQ(element.getDetectorType(), 512) << code;
    }
}

TEST(CStatDetector, LabelsConvertBothWays) {
    const CStatDetector element;
    const std::vector<std::string> kinds = {
        "Flow & Density", "Headway",       "Composition", "Lane Changes", "Output Vehicles",
        "Macro Segment",  "Micro Segment", "S-T Density", "S-T SMS",      "Occupancy"};
    const std::vector<std::string> filters = {"All Vehicles", "All Trucks",   "Cars",
                                              "Small Trucks", "Large Trucks", "Cranes",
                                              "Low-loaders",  "User-defined"};
    EXPECT_EQ(element.getTypeLabels(), kinds);
    EXPECT_EQ(element.getVehicleLabels(), filters);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(element.kindLabel(520 + i), kinds[i]);
        EXPECT_EQ(element.kindCode(kinds[i]), 520 + i);
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(element.filterLabel(500 + i), filters[i]);
        EXPECT_EQ(element.filterCode(filters[i]), 500 + i);
    }
    EXPECT_EQ(element.kindLabel(530), "");
    EXPECT_EQ(element.filterLabel(499), "");
    EXPECT_EQ(element.kindCode("Flow"), 0);
    EXPECT_EQ(element.filterCode("cars"), 0);
}

CStatDetector sampleElement() {
    CStatDetector element;
    element.setDescription("Occupancy & more <west>");
    element.setDetectorName(529);
    element.setDetectorVehicleType(504);
    element.setDirPos(false);
    element.setTimeInterval(300);
    element.setParamA(1200);
    element.setParamB(1500);
    element.setParamC(7);
    return element;
}

void expectSameFields(const CStatDetector& a, const CStatDetector& b) {
    EXPECT_EQ(a.getDescription(), b.getDescription());
    EXPECT_EQ(a.getElementType(), b.getElementType());
    EXPECT_EQ(a.getDetectorType(), b.getDetectorType());
    EXPECT_EQ(a.getDetectorName(), b.getDetectorName());
    EXPECT_EQ(a.getDetectorVehicleType(), b.getDetectorVehicleType());
    EXPECT_EQ(a.getDirPos(), b.getDirPos());
    EXPECT_EQ(a.getTimeInterval(), b.getTimeInterval());
    EXPECT_EQ(a.getParamA(), b.getParamA());
    EXPECT_EQ(a.getParamB(), b.getParamB());
    EXPECT_EQ(a.getParamC(), b.getParamC());
}

TEST(CStatDetector, CopiesLeaveTheOutputPathBehind) {
    CStatDetector element = sampleElement();
    element.setOutputPath("/tmp/metrics/");
    const CStatDetector copy(element);
    expectSameFields(copy, element);
    EXPECT_TRUE(copy.getOutputPath().empty());
    EXPECT_EQ(copy.getTypeLabels().size(), 10u);
    EXPECT_EQ(copy.getVehicleLabels().size(), 8u);
}

std::string toXml(const std::vector<CStatDetector>& elements) {
    std::ostringstream out;
    {
        boost::archive::xml_oarchive ar(out);
        ar << make_nvp("m_vStatDetectors", elements);
    }
    return out.str();
}

TEST(CStatDetector, PersistedAtVersionOneInFieldOrder) {
    const std::vector<CStatDetector> elements = {sampleElement(), CStatDetector()};
    const std::string xml = toXml(elements);
    EXPECT_NE(xml.find("version=\"1\""), std::string::npos) << xml;
    const char* order[] = {"<CElement",
                           "<m_ElementType>12<",
                           "<m_Description",
                           "<m_DetectorType>511<",
                           "<m_DetectorName>529<",
                           "<m_DirPos>0<",
                           "<m_DetectorVehicleType>504<",
                           "<m_TimeInterval>300<",
                           "<m_ParamA>1200<",
                           "<m_ParamB>1500<",
                           "<m_ParamC>7<"};
    std::size_t at = 0;
    for (const char* tag : order) {
        const std::size_t found = xml.find(tag, at);
        ASSERT_NE(found, std::string::npos) << tag << " after " << at << "\n" << xml;
        at = found;
    }
    EXPECT_EQ(xml.find("m_OutputPath"), std::string::npos);

    std::vector<CStatDetector> loaded;
    std::istringstream in(xml);
    {
        boost::archive::xml_iarchive ar(in);
        ar >> make_nvp("m_vStatDetectors", loaded);
    }
    ASSERT_EQ(loaded.size(), 2u);
    expectSameFields(loaded[0], elements[0]);
    expectSameFields(loaded[1], elements[1]);
    EXPECT_EQ(loaded[0].getTypeLabels().size(), 10u);
}

TEST(CStatDetector, LoadedCategoryFollowsTheKind) {
    std::string xml = toXml({sampleElement()});
    const std::string stored = "<m_DetectorType>511</m_DetectorType>";
    xml.replace(xml.find(stored), stored.size(), "<m_DetectorType>510</m_DetectorType>");
    std::vector<CStatDetector> loaded;
    std::istringstream in(xml);
    {
        boost::archive::xml_iarchive ar(in);
        ar >> make_nvp("m_vStatDetectors", loaded);
    }
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].getDetectorType(), 511);
}

} // namespace
} // namespace tarlo
