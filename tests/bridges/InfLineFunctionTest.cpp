#include "bridges/CInfLineFunction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tarlo {
namespace {

struct FormCase {
    int form;
    double x;
    double expected;
};

// A 20 m line: half length a = 10, support moment m(u) = (100 - u^2) u / 400, so m(5) =
// 0.9375 and m(2) = 0.48.
const std::vector<FormCase> FormCases = {
    // Mid-span moment of a simply supported beam: a triangle peaking at L/4 x 2 = 5.
    {610, -0.1, 0.0},
    {610, 0.0, 0.0},
    {610, 5.0, 2.5},
    {610, 10.0, 5.0},
    {610, 15.0, 2.5},
    {610, 20.0, 0.0},
    {610, 20.1, 0.0},
    // Central support moment of a two-span beam, symmetric about the support.
    {611, 0.0, 0.0},
    {611, 2.0, 0.48},
    {611, 5.0, 0.9375},
    {611, 10.0, 0.0},
    {611, 15.0, 0.9375},
    {611, 18.0, 0.48},
    {611, 20.0, 0.0},
    {611, 20.5, 0.0},
    // Shears of a simply supported beam, both ends included.
    {612, -1e-9, 0.0},
    {612, 0.0, 1.0},
    {612, 5.0, 0.75},
    {612, 20.0, 0.0},
    {613, 0.0, 0.0},
    {613, 5.0, 0.25},
    {613, 20.0, 1.0},
    {613, 20.0001, 0.0},
    // Right hand shear of a two-span beam: both ends excluded.
    {614, 0.0, 0.0},
    {614, 2.0, 0.752},
    {614, 5.0, 0.40625},
    {614, 10.0, 0.0},
    {614, 15.0, -0.09375},
    {614, 20.0, 0.0},
    // Left hand shear of a two-span beam: the mirror image of 614, ends included.
    {615, 0.0, 0.0},
    {615, 2.0, -0.048},
    {615, 5.0, -0.09375},
    {615, 10.0, 0.0},
    {615, 15.0, 0.40625},
    {615, 18.0, 0.752},
    {615, 20.0, 1.0},
    {615, 20.001, 0.0},
    // Total load.
    {616, -0.001, 0.0},
    {616, 0.0, 1.0},
    {616, 12.3, 1.0},
    {616, 20.0, 1.0},
    {616, 20.001, 0.0},
    // A code without a form is a total load.
    {700, 10.0, 1.0},
    {0, 20.5, 0.0},
};

TEST(InfLineFunctionForms, OrdinatesOfAllFormsOnA20mLine) {
    for (const FormCase& c : FormCases) {
        const CInfLineFunction line(c.form, 20.0);
        EXPECT_NEAR(line.GetOrdinate(c.x), c.expected, 1e-12)
            << "form " << c.form << " at x = " << c.x;
    }
}

TEST(InfLineFunctionForms, TwoSpanFormsChangeBranchExactlyAtHalfLength) {
    // Just below a the first branch applies, at a the second; both meet there.
    for (const int form : {611, 614, 615}) {
        const CInfLineFunction line(form, 20.0);
        EXPECT_NEAR(line.GetOrdinate(std::nextafter(10.0, 0.0)), line.GetOrdinate(10.0), 1e-12)
            << form;
    }
    // 614 jumps at its left end: 0 at the end, 1 just inside.
    const CInfLineFunction rightShear(614, 20.0);
    EXPECT_EQ(rightShear.GetOrdinate(0.0), 0.0);
    EXPECT_NEAR(rightShear.GetOrdinate(std::nextafter(0.0, 1.0)), 1.0, 1e-12);
    EXPECT_NEAR(rightShear.GetOrdinate(std::nextafter(20.0, 0.0)), 0.0, 1e-12);
}

TEST(InfLineFunctionForms, OrdinatesScaleWithTheLength) {
    CInfLineFunction line(610, 20.0);
    line.SetLength(40.0);
    EXPECT_DOUBLE_EQ(line.GetOrdinate(20.0), 10.0);
    EXPECT_DOUBLE_EQ(line.GetOrdinate(30.0), 5.0);
    EXPECT_EQ(line.GetOrdinate(40.5), 0.0);
}

TEST(InfLineFunctionForms, ALineWithoutLengthGivesNumbersNotNaN) {
    for (int form = 610; form <= 615; ++form) {
        const CInfLineFunction line(form, 0.0);
        EXPECT_EQ(line.GetOrdinate(0.0), 0.0) << form;
        EXPECT_EQ(line.GetOrdinate(0.1), 0.0) << form;
    }
    EXPECT_EQ(CInfLineFunction(616, 0.0).GetOrdinate(0.0), 1.0);
    // A negative length covers nothing.
    EXPECT_EQ(CInfLineFunction(616, -5.0).GetOrdinate(-1.0), 0.0);
    EXPECT_EQ(CInfLineFunction(610, -5.0).GetOrdinate(0.0), 0.0);
}

// A vehicle's load is summed in one call; it must be the sum of the single ordinates times
// the weights, bit for bit, for every form and on every branch (ends, half length, outside).
TEST(InfLineFunctionForms, WeightedSumIsTheOrderedSumOfTheOrdinates) {
    const std::vector<double> abscissae = {-1.0, 0.0, 3.7, 10.0, 12.5, 20.0, 20.5, 19.999};
    const std::vector<double> weights = {50.0, 100.0, 37.3, -12.5, 80.0, 1.0 / 3.0, 7.0, 99.9};
    for (int form = CInfLineFunction::MidSpanMomentSimple - 1;
         form <= CInfLineFunction::TotalLoad + 1; ++form) {
        for (const double length : {20.0, 17.0 / 3.0, 0.0}) {
            const CInfLineFunction line(form, length);
            double expected = 0.0;
            for (std::size_t k = 0; k < abscissae.size(); ++k)
                expected += line.GetOrdinate(abscissae[k]) * weights[k];
            EXPECT_EQ(line.WeightedSum(abscissae, weights), expected)
                << "form " << form << " length " << length;
        }
    }
}

TEST(InfLineFunctionNames, SevenFormsInCodeOrder) {
    const std::vector<std::string> expected = {"Mid-span BM, simply-supported beam",
                                               "Central support BM, two-span beam",
                                               "Left hand shear, simply-supported beam",
                                               "Right hand shear, simply-supported beam",
                                               "Right hand shear, two-span beam",
                                               "Left hand shear, two-span beam",
                                               "Total load on beam"};
    const auto forms = CInfLineFunction::Forms();
    ASSERT_EQ(forms.size(), expected.size());
    for (std::size_t i = 0; i < forms.size(); ++i) {
        EXPECT_EQ(forms[i].code, 610 + static_cast<int>(i));
        EXPECT_EQ(forms[i].name, expected[i]);
        EXPECT_EQ(CInfLineFunction::FormName(forms[i].code), expected[i]);
        EXPECT_EQ(CInfLineFunction::FindForm(expected[i]), forms[i].code);
    }
    EXPECT_EQ(CInfLineFunction::FormName(609), "");
    EXPECT_EQ(CInfLineFunction::FormName(617), "");
    EXPECT_FALSE(CInfLineFunction::FindForm("Total load").has_value());
}

TEST(InfLineFunctionNames, ChoosingAFormByNameChangesTheEvaluation) {
    CInfLineFunction line(616, 20.0);
    EXPECT_TRUE(line.SetFormByName("Mid-span BM, simply-supported beam"));
    EXPECT_EQ(line.GetForm(), 610);
    EXPECT_EQ(line.GetFormName(), "Mid-span BM, simply-supported beam");
    EXPECT_DOUBLE_EQ(line.GetOrdinate(5.0), 2.5);

    EXPECT_FALSE(line.SetFormByName("mid-span BM, simply-supported beam"));
    EXPECT_EQ(line.GetForm(), 610);

    line.SetForm(613);
    EXPECT_DOUBLE_EQ(line.GetOrdinate(5.0), 0.25);
    line.SetForm(999);
    EXPECT_EQ(line.GetFormName(), "");
    EXPECT_EQ(line.GetOrdinate(5.0), 1.0);
}

TEST(InfLineFunctionConstruction, DefaultsCopiesAndClones) {
    const CInfLineFunction plain;
    EXPECT_EQ(plain.GetType(), CInfluenceLine::IL_FUNCTION);
    EXPECT_EQ(plain.GetTypeName(), "Function");
    EXPECT_EQ(plain.GetForm(), 616);
    EXPECT_EQ(plain.GetLength(), 100.0);
    EXPECT_EQ(plain.GetOrdinate(100.0), 1.0);

    const CInfLineFunction original(611, 20.0);
    const CInfLineFunction copy(original);
    EXPECT_EQ(copy.GetType(), CInfluenceLine::IL_FUNCTION);
    EXPECT_EQ(copy.GetForm(), 611);
    EXPECT_EQ(copy.GetLength(), 20.0);
    EXPECT_DOUBLE_EQ(copy.GetOrdinate(5.0), 0.9375);

    const std::shared_ptr<CInfluenceLine> clone = original.Clone();
    ASSERT_NE(std::dynamic_pointer_cast<CInfLineFunction>(clone), nullptr);
    EXPECT_NE(clone.get(), &original);
    EXPECT_EQ(clone->GetTypeName(), "Function");
    EXPECT_EQ(clone->GetLength(), 20.0);
    EXPECT_DOUBLE_EQ(clone->GetOrdinate(15.0), 0.9375);
    // Held by shared pointer, the line hands out further shared pointers to itself.
    EXPECT_EQ(clone->shared_from_this(), clone);
}

} // namespace
} // namespace tarlo
