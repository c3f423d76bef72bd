// "orlex-plotter-cli draw --simulate": what reaches the virtual paper and the port trace,
// and the gates that keep the carriage still.
#include "cli_runner.h"
#include "trace_file.h"

#include "drive/ports/virtual_plotter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace orlex::cli::testing {
namespace {

// Plays the trace's writes into a fresh virtual plotter that starts where the tool's did.
VirtualPlotter replay(const std::vector<TraceLine>& trace, double stepMm)
{
    VirtualPlotterConfig config;
    config.startXmm = 30;
    config.startYmm = 30;
    config.stepLengthXmm = stepMm;
    config.stepLengthYmm = stepMm;
    VirtualPlotter plotter(config);
    for (const TraceLine& t : trace)
        plotter.write(t.reg == "data" ? Register::Data : Register::Control, static_cast<std::uint8_t>(t.value));
    return plotter;
}

// The value of attribute `name` in the element text `element`.
double attribute(const std::string& element, const std::string& name)
{
    const std::string marker = " " + name + "=\"";
    const auto at = element.find(marker);
    EXPECT_NE(at, std::string::npos) << name << " in " << element;
    return at == std::string::npos ? NAN : std::stod(element.substr(at + marker.size()));
}

// The <line> elements of the paper SVG, back in millimetres from home (y up).
std::vector<PaperSegment> svgSegments(const std::string& svg, double heightMm)
{
    std::vector<PaperSegment> segments;
    for (auto at = svg.find("<line "); at != std::string::npos; at = svg.find("<line ", at + 1)) {
        const std::string element = svg.substr(at, svg.find("/>", at) - at);
        segments.push_back({attribute(element, "x1"), heightMm - attribute(element, "y1"), attribute(element, "x2"),
                            heightMm - attribute(element, "y2")});
    }
    return segments;
}

double distanceToSegment(double px, double py, const PaperSegment& s)
{
    const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((px - s.x1) * dx + (py - s.y1) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (s.x1 + t * dx), py - (s.y1 + t * dy));
}

double distanceToDrawing(double px, double py, const std::vector<PaperSegment>& drawing)
{
    double best = INFINITY;
    for (const PaperSegment& s : drawing)
        best = std::min(best, distanceToSegment(px, py, s));
    return best;
}

// Every drawn point lies within `tolerance` of the expected lines, and every point of the
// expected lines within `tolerance` of something drawn.
void expectSameDrawing(const std::vector<PaperSegment>& paper, const std::vector<PaperSegment>& expected,
                       double tolerance)
{
    ASSERT_FALSE(paper.empty());
    for (const PaperSegment& s : paper) {
        for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
            const double x = s.x1 + t * (s.x2 - s.x1), y = s.y1 + t * (s.y2 - s.y1);
            EXPECT_LE(distanceToDrawing(x, y, expected), tolerance) << "drawn point (" << x << ", " << y << ")";
        }
    }
    for (const PaperSegment& s : expected) {
        const double length = std::hypot(s.x2 - s.x1, s.y2 - s.y1);
        const int samples = static_cast<int>(length / 0.1) + 1;
        for (int i = 0; i <= samples; ++i) {
            const double t = static_cast<double>(i) / samples;
            const double x = s.x1 + t * (s.x2 - s.x1), y = s.y1 + t * (s.y2 - s.y1);
            EXPECT_LE(distanceToDrawing(x, y, paper), tolerance) << "expected point (" << x << ", " << y << ")";
        }
    }
}

struct DrawCase {
    const char* name;
    std::string plot;
    std::vector<std::vector<double>> penDownPolylines; // plotter units: x0,y0,x1,y1,...
    bool fullStep;
    bool penToZero;
};

void PrintTo(const DrawCase& c, std::ostream* os)
{
    *os << c.name;
}

class SimulatedDraw : public ::testing::TestWithParam<DrawCase> {};

TEST_P(SimulatedDraw, PaperAndTraceHoldThePlotsPenDownLines)
{
    const DrawCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "plot.plt", c.plot);
    std::vector<std::string> arguments{"draw", "plot.plt", "--simulate", "--svg", "paper.svg", "--trace", "trace.csv"};
    if (c.fullStep)
        arguments.push_back("--full-step");
    const CliResult result = runCli(folder.path(), arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find("Pen to 0: homing") != std::string::npos, c.penToZero) << result.out;
    EXPECT_TRUE(endsSafely(readTrace(folder / "trace.csv"))); // pen up, coils off
    EXPECT_NE(result.out.find("Lost steps: X 0, Y 0"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Drawing time:"), std::string::npos) << result.out;

    // Default settings: Lstep 50 is 0.5 mm per full step, 0.25 mm per half step.
    const double stepMm = c.fullStep ? 0.5 : 0.25;
    double originX = 30, originY = 30; // the carriage start when nothing moves first
    if (c.penToZero) {
        // Home, back off four steps, then |minXmm|, |minYmm| mm (10 and 5 here).
        originX = 4 * stepMm + 10;
        originY = 4 * stepMm + 5;
    }
    std::vector<PaperSegment> expected;
    for (const std::vector<double>& polyline : c.penDownPolylines)
        for (std::size_t i = 2; i + 1 < polyline.size(); i += 2)
            expected.push_back({originX + polyline[i - 2] * 0.025, originY + polyline[i - 1] * 0.025,
                                originX + polyline[i] * 0.025, originY + polyline[i + 1] * 0.025});

    const std::vector<PaperSegment> paper = svgSegments(readFile(folder / "paper.svg"), 150);
    expectSameDrawing(paper, expected, stepMm + 1e-6);

    // The trace alone, played into another virtual plotter, gives the same paper.
    const std::vector<TraceLine> trace = readTrace(folder / "trace.csv");
    const VirtualPlotter replayed = replay(trace, 0.25); // Lstep 50 / 200 mm per 45-degree turn
    ASSERT_EQ(replayed.paper().size(), paper.size());
    for (std::size_t i = 0; i < paper.size(); ++i) {
        EXPECT_NEAR(replayed.paper()[i].x1, paper[i].x1, 1e-3);
        EXPECT_NEAR(replayed.paper()[i].y1, paper[i].y1, 1e-3);
        EXPECT_NEAR(replayed.paper()[i].x2, paper[i].x2, 1e-3);
        EXPECT_NEAR(replayed.paper()[i].y2, paper[i].y2, 1e-3);
    }
    EXPECT_EQ(replayed.counters().lostStepsX + replayed.counters().lostStepsY, 0);
    EXPECT_FALSE(fs::exists(folder / "seting.txt"));
}

// A 20 x 10 mm rectangle around the origin and one diagonal: negative coordinates.
const std::string kRectangle = "IN;PU-400,-200;PD400,-200,400,200,-400,200,-400,-200;PU-400,200;PD400,-200;PU;";
const std::vector<std::vector<double>> kRectangleLines = {{-400, -200, 400, -200, 400, 200, -400, 200, -400, -200},
                                                          {-400, 200, 400, -200}};

INSTANTIATE_TEST_SUITE_P(Table, SimulatedDraw,
                         ::testing::Values(DrawCase{"NegativeHalfStep", kRectangle, kRectangleLines, false, true},
                                           DrawCase{"NegativeFullStep", kRectangle, kRectangleLines, true, true},
                                           DrawCase{"PositiveFromWhereTheCarriageStands",
                                                    "PU200,0;PD600,0,600,400;PR;PD-400,-200;PU;",
                                                    {{200, 0, 600, 0, 600, 400, 200, 200}},
                                                    false,
                                                    false}),
                         [](const auto& row) { return std::string(row.param.name); });

struct GateCase {
    const char* name;
    std::string plot;
    std::vector<std::string> extraArguments;
    int status;
    std::string messagePart;
    bool plotIsAFolder = false;
    std::string settings = {}; // a settings file to give with --settings
};

void PrintTo(const GateCase& c, std::ostream* os)
{
    *os << c.name;
}

class DrawGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(DrawGate, StopsBeforeAnythingMoves)
{
    const GateCase& c = GetParam();
    TempFolder folder;
    if (c.plotIsAFolder)
        fs::create_directory(folder / "plot.plt");
    else
        writeFile(folder / "plot.plt", c.plot);
    std::vector<std::string> arguments{"draw", "plot.plt", "--trace", "trace.csv"};
    if (!c.settings.empty()) {
        writeFile(folder / "machine.txt", c.settings);
        arguments.insert(arguments.end(), {"--settings", "machine.txt"});
    }
    arguments.insert(arguments.end(), c.extraArguments.begin(), c.extraArguments.end());
    const CliResult result = runCli(folder.path(), arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_NE(result.err.find(c.messagePart), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("Drawing "), std::string::npos) << result.out;
    if (fs::exists(folder / "trace.csv") && !readTrace(folder / "trace.csv").empty()) {
        // No coil pattern ever reached the port; once it was open, the tool left it with
        // the pen up and the coils off.
        const std::vector<TraceLine> trace = readTrace(folder / "trace.csv");
        EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                                [](const TraceLine& t) { return t.reg == "data" && t.value != 0; }),
                  0);
        ASSERT_GE(trace.size(), 2u);
        EXPECT_EQ(trace[trace.size() - 2].reg, "control");
        EXPECT_EQ(trace[trace.size() - 2].value, 1);
        EXPECT_EQ(trace.back().reg, "data");
        EXPECT_EQ(trace.back().value, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DrawGate,
    ::testing::Values(GateCase{"TooBig", "PU-400,0;PD6000,0;", {"--simulate", "--svg", "paper.svg"}, 3, "too big"},
                      GateCase{"NoPlotter",
                               "PU-400,0;PD400,0;",
                               {"--simulate-stopped-clock", "--svg", "paper.svg"},
                               4,
                               "no plotter answers"},
                      GateCase{"Unreadable", "", {"--simulate", "--svg", "paper.svg"}, 2, "folder", true},
                      GateCase{"EmptyFile", "", {"--simulate"}, 2, "is not a plot file"},
                      GateCase{"PngRenamed",
                               std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                               {"--simulate"},
                               2,
                               "\"plot.plt\" is not a plot file: the reading found no point in it."},
                      GateCase{"LabelsOnly",
                               "IN;LBHello\x03;",
                               {"--simulate"},
                               2,
                               "\"plot.plt\" has no lines to draw (labels are not drawn; see Full HP-GL)."},
                      // 90 mm at 150 % from the virtual carriage's start at 30,30 mm.
                      GateCase{"PastXFromTheStart",
                               "PD3600,0;",
                               {"--simulate", "--zoom", "150"},
                               3,
                               "the plot fits the machine, but not from where its drawing starts: The plot would "
                               "reach X 165 mm of 150 mm from where the pen stands: give a --start at least 15 mm "
                               "further left or use --home. Nothing was moved."},
                      GateCase{"PastYFromTheStart",
                               "PD0,5000;",
                               {"--simulate", "--start", "0,40"},
                               3,
                               "The plot would reach Y 165 mm of 150 mm from where the pen stands"},
                      // No computer has a port at 0x1230: the open's own reason, not "no plotter".
                      GateCase{"PortDoesNotOpen",
                               "PU-400,0;PD400,0;",
                               {"--port", "ppdev"},
                               6,
                               "No parallel port at 0x1230",
                               false,
                               " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H1230\r\n"}),
    [](const auto& row) { return std::string(row.param.name); });

// The port fails for good at its 500th write, in the middle of a line: the draw ends
// there with its own status, naming the call, and says where to go on from.
TEST(DrawCommand, PortFailingMidDrawEndsWithItsOwnStatus)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", "PU0,0;PD4000,0;PD4000,4000;PU;");
    const CliResult result =
        runCli(folder.path(), {"draw", "plot.plt", "--simulate-port-fault", "500", "--trace", "trace.csv"});
    EXPECT_EQ(result.status, 6) << result.err;
    EXPECT_NE(result.err.find("Writing the data register on the virtual plotter failed"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("switching the motors off failed too"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("Stopped at point 3 of 3"), std::string::npos) << result.out;
    EXPECT_EQ(readTrace(folder / "trace.csv").size(), 499u); // what reached the port, and no more
}

struct RefusedSettingsCase {
    const char* name;
    const char* settings; // the settings file
    const char* line;     // "line 3 (Maxx)"
    const char* why;
};

class RefusedSettings : public ::testing::TestWithParam<RefusedSettingsCase> {};

// Settings that cannot drive the machine: a draw refuses them, naming the line, before
// the port is opened.
TEST_P(RefusedSettings, DrawNamesTheLineAndMovesNothing)
{
    const RefusedSettingsCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "machine.txt", c.settings);
    writeFile(folder / "plot.plt", "PU0,0;PD8000,0;PD0,0;");
    const CliResult result =
        runCli(folder.path(), {"draw", "plot.plt", "--settings", "machine.txt", "--simulate", "--trace", "trace.csv"});
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_NE(result.err.find(c.line), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.why), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(folder / "trace.csv")); // the port was never opened
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedSettings,
    ::testing::Values(
        // Lstep 1 (0.005 mm per half step): 32767 steps reach 163 mm, not Maxx 300.
        RefusedSettingsCase{"TravelBeyondTheSteps",
                            " 1 \r\n 1 \r\n 300 \r\n 300 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n", "line 3 (Maxx)",
                            "163 mm"},
        // With 99999999 hundredths of a millimetre a step, every plot would be no step at all.
        RefusedSettingsCase{"StepLengthBeyond16Bits",
                            " 99999999 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n",
                            "line 1 (Lstepx)", "does not fit a settings line"},
        RefusedSettingsCase{"HalfStepLongerThanTheTravel",
                            " 50 \r\n 32000 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n",
                            "line 2 (Lstepy)", "one half step would be 160 mm, longer than the travel of 150 mm"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex::cli::testing
