// unitsToSteps (rounding, range, refusals) and the interpolation's step counts.
#include "drive/line_steps.h"
#include <cstdint>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace orlex::test {
namespace {

struct ConversionCase {
    std::string name;
    double units;
    double stepLength;
    bool half;
    std::int16_t zoom;
    std::int16_t steps;
};

class UnitsToSteps : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(UnitsToSteps, GivesTheRoundedStepCount)
{
    const ConversionCase& c = GetParam();
    const StepConversion r = unitsToSteps(c.units, c.stepLength, c.half, c.zoom, 'X');
    EXPECT_EQ(r.refusal, MoveRefusal::None) << r.reason;
    EXPECT_EQ(r.steps, c.steps);
}

// Lstep 50 in half-step mode: 0.25 mm, 10 plotter units per step.
INSTANTIATE_TEST_SUITE_P(Conversions, UnitsToSteps,
                         ::testing::Values(ConversionCase{"HalfStep", 400, 50, true, 100, 40},
                                           ConversionCase{"FullStepIsHalfTheCount", 400, 50, false, 100, 20},
                                           ConversionCase{"Zoom200Lstep10FullStep", 400, 10, false, 200, 200},
                                           ConversionCase{"Zoom50", 400, 50, true, 50, 20},
                                           ConversionCase{"FractionalStepLength", 400, 12.5, true, 100, 160},
                                           ConversionCase{"HalfGoesToEvenZero", 5, 50, true, 100, 0},
                                           ConversionCase{"OneAndAHalfGoesToTwo", 15, 50, true, 100, 2},
                                           ConversionCase{"TwoAndAHalfGoesToTwo", 25, 50, true, 100, 2},
                                           ConversionCase{"NegativeHalfGoesToEven", -15, 50, true, 100, -2},
                                           ConversionCase{"LargestStepCount", 327670, 50, true, 100, 32767},
                                           ConversionCase{"HalfBelowTheSmallestRoundsIn", -327685, 50, true, 100,
                                                          -32768},
                                           ConversionCase{"HalfBelowTheLargestRoundsIn", 327665, 50, true, 100, 32766}),
                         [](const auto& row) { return row.param.name; });

struct RefusalCase {
    std::string name;
    double units;
    double stepLength;
    MoveRefusal refusal;
    std::string named; // the reason must contain this
};

class UnitsToStepsRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(UnitsToStepsRefusal, RefusesAndSaysWhy)
{
    const RefusalCase& c = GetParam();
    const StepConversion r = unitsToSteps(c.units, c.stepLength, true, 100, 'Y');
    EXPECT_EQ(r.refusal, c.refusal);
    EXPECT_EQ(r.steps, 0);
    EXPECT_NE(r.reason.find(c.named), std::string::npos) << r.reason;
    EXPECT_NE(r.reason.find("Y"), std::string::npos) << r.reason;
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, UnitsToStepsRefusal,
    ::testing::Values(
        RefusalCase{"StepLengthZero", 400, 0, MoveRefusal::ZeroStepLength, "is 0"},
        RefusalCase{"StepLengthNegative", 400, -50, MoveRefusal::ZeroStepLength, "-50"},
        RefusalCase{"StepLengthNaN", 400, std::numeric_limits<double>::quiet_NaN(), MoveRefusal::ZeroStepLength,
                    "Lstepy"},
        RefusalCase{"CoordinateNaN", std::numeric_limits<double>::quiet_NaN(), 50, MoveRefusal::NotANumber, "nan"},
        RefusalCase{"CoordinateInfinite", std::numeric_limits<double>::infinity(), 50, MoveRefusal::NotANumber, "inf"},
        RefusalCase{"CoordinateMinusInfinite", -std::numeric_limits<double>::infinity(), 50, MoveRefusal::NotANumber,
                    "-inf"},
        RefusalCase{"HalfAboveTheLargestRoundsOut", 327675, 50, MoveRefusal::OutOfRange, "327675"},
        RefusalCase{"FarBelowTheSmallest", -1000000, 50, MoveRefusal::OutOfRange, "-1000000"},
        RefusalCase{"HugeCoordinate", 1e300, 50, MoveRefusal::OutOfRange, "1e+300"},
        RefusalCase{"TinyStepLength", 400, 0.0000000001, MoveRefusal::OutOfRange, "400"}),
    [](const auto& row) { return row.param.name; });

// Every line of up to 60 by 60 steps: exactly dX X steps and dY Y steps, at most one of
// each per output, max(dX, dY) outputs, and countOutputs agrees.
TEST(Interpolate, TakesEveryStepOnceAndOneOutputPerLeadingStep)
{
    for (long dX = 0; dX <= 60; ++dX) {
        for (long dY = 0; dY <= 60; ++dY) {
            long xSteps = 0, ySteps = 0, outputs = 0, emptyOutputs = 0;
            interpolate(dX, dY, [&](bool x, bool y) {
                xSteps += x;
                ySteps += y;
                emptyOutputs += !x && !y;
                ++outputs;
                return true;
            });
            ASSERT_EQ(xSteps, dX) << dX << "," << dY;
            ASSERT_EQ(ySteps, dY) << dX << "," << dY;
            ASSERT_EQ(emptyOutputs, 0);
            ASSERT_EQ(outputs, std::max(dX, dY)) << dX << "," << dY;
            ASSERT_EQ(countOutputs(dX, dY), outputs);
        }
    }
}

TEST(Interpolate, StopsWhenTheStepFunctionSaysSo)
{
    long outputs = 0;
    interpolate(10, 7, [&](bool, bool) { return ++outputs < 3; });
    EXPECT_EQ(outputs, 3);
}

// countOutputs does not walk the line; check it against the walk on lines spread over
// the whole 16-bit range (up to 65535 steps apart).
TEST(Interpolate, OutputCountMatchesTheWalkAcrossTheRange)
{
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<long>(seed >> 16); // 0..65535
    };
    for (int i = 0; i < 400; ++i) {
        const long dX = next(), dY = next() >> (i % 16);
        long outputs = 0;
        interpolate(dX, dY, [&outputs](bool, bool) {
            ++outputs;
            return true;
        });
        ASSERT_EQ(countOutputs(dX, dY), outputs) << dX << "," << dY;
        ASSERT_EQ(countOutputs(dY, dX), outputs) << dY << "," << dX;
    }
}

TEST(Interpolate, LongestLineCountsItsOutputs)
{
    EXPECT_EQ(countOutputs(65535, 0), 65535);
    EXPECT_EQ(countOutputs(65535, 65535), 65535);
    EXPECT_EQ(countOutputs(1, 65535), 65535);
}

} // namespace
} // namespace orlex::test
