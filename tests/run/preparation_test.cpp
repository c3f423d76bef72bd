// Long preparations give up when asked: each stage on its own, and the whole preparation
// on its thread, where a cancel wins even over work that had already finished.
#include "plan/plot_reader.h"
#include "plan/stroke_order.h"
#include "run/background_preparation.h"
#include "run_rig.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <tuple>

namespace orlex::test {
namespace {

const SvgImporter kNoSvg{nullptr, [](const std::filesystem::path&) { return false; }};

// 3,000 short strokes scattered over the page, in a poor order.
std::string scatteredStrokes()
{
    std::string plot = "IN;SP1;";
    for (int i = 0; i < 3000; ++i) {
        const int x = (i * 7919) % 5000, y = (i * 104729) % 5000;
        plot += "PU" + std::to_string(x) + "," + std::to_string(y) + ";PD" + std::to_string(x + 20) + ","
                + std::to_string(y) + ";";
    }
    return plot + "PU0,0;";
}

class Preparation : public ::testing::Test {
protected:
    RunRig rig;
    const std::string plot = rig.file(scatteredStrokes());
    WorkSignals cancelledWork;
    void SetUp() override { cancelledWork.cancelRequested = true; }

    // Takes the background preparation's result, letting its thread run meanwhile.
    static Result<PreparedPlot> waitFor(BackgroundPreparation& background)
    {
        for (;;) {
            if (std::optional<Result<PreparedPlot>> result = background.takeResult())
                return std::move(*result);
            std::this_thread::yield();
        }
    }
};

TEST_F(Preparation, EveryStageGivesUpWhenAsked)
{
    const std::vector<std::pair<const char*, std::function<bool()>>> stages{
        {"reading",
         [&] {
             return readPlotEvents(plot, PlotReading::Classic, {}, &cancelledWork).error().kind
                    == Error::Kind::Cancelled;
         }},
        {"ordering",
         [&] {
             ReorderOptions options;
             options.work = &cancelledWork;
             return reorder(splitStrokes(readPlotEvents(plot)->events), options).cancelled;
         }},
        {"preparing",
         [&] {
             PlotPreparation preparation;
             preparation.shorterTravel = true;
             preparation.work = &cancelledWork;
             return preparePlot(plot, kNoSvg, preparation).error().kind == Error::Kind::Cancelled;
         }},
    };
    for (const auto& [name, gaveUp] : stages)
        EXPECT_TRUE(gaveUp()) << name;
}

TEST_F(Preparation, RunsOnItsThreadAndIsCancelledWhenAsked)
{
    PlotPreparation preparation;
    preparation.shorterTravel = true;
    BackgroundPreparation background;
    ASSERT_TRUE(preparationTakesWork(plot, kNoSvg, preparation));
    EXPECT_FALSE(preparationTakesWork(plot, kNoSvg, {}));

    ASSERT_TRUE(background.start(plot, kNoSvg, preparation));
    EXPECT_FALSE(background.start(plot, kNoSvg, preparation)); // one at a time
    const Result<PreparedPlot> prepared = waitFor(background);
    ASSERT_TRUE(prepared.ok());
    ASSERT_TRUE(prepared->travel());
    EXPECT_LT(prepared->travel()->after.penUpMillimetres, prepared->travel()->before.penUpMillimetres);
    const PlotExtents ordered = testPrepared(*prepared, rig.settings, {}).extents, filed = rig.check(plot).extents;
    EXPECT_EQ(std::tie(ordered.minXmm, ordered.minYmm, ordered.maxXmm, ordered.maxYmm),
              std::tie(filed.minXmm, filed.minYmm, filed.maxXmm, filed.maxYmm));

    ASSERT_TRUE(background.start(plot, kNoSvg, preparation));
    background.cancel();
    EXPECT_EQ(waitFor(background).error().kind, Error::Kind::Cancelled);
    EXPECT_FALSE(background.busy());
}

} // namespace
} // namespace orlex::test
