// "stat", "optimize" and "convert", and SVG drawings given to the commands, through the
// real tool: figures, exit statuses, what is written and what is left alone.
#include "cli_runner.h"
#include "plan/plan_test_support.h"

#include "plan/hpgl_writer.h"
#include "plan/plot_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orlex::cli::testing {
namespace {

// 10 mm right, 10 mm up, a 10 mm pen-up hop, 10 mm down: 5 points, 2 strokes.
constexpr const char* kKnownPlot = "PU0,0;PD400,0,400,400;PU800,400;PD800,0;";

// A path 50 mm right then 30 mm down on a 100 x 50 mm page: (10,40) (60,40) (60,10) mm, y up.
constexpr const char* kSmallSvg =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="50mm" viewBox="0 0 100 50">)"
    R"(<path d="M10 10 H60 V40" stroke="black" fill="none"/></svg>)";

std::string svgData(const std::string& name)
{
    return std::string(ORLEX_SVG_DATA) + "/" + name;
}

// Files in the folder, but for the tool's own output captures.
std::vector<std::string> filesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename() != "cli.stdout" && entry.path().filename() != "cli.stderr")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct FiguresCase {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> expected; // key, raw JSON value
};

void PrintTo(const FiguresCase& c, std::ostream* os)
{
    *os << c.name;
}

class Figures : public ::testing::TestWithParam<FiguresCase> {};

// At the default settings a half step is 0.25 mm, a step period 2 cycles: the known plot
// sends 160 step outputs and 5 pen commands (2 periods each), 170 periods in all.
TEST_P(Figures, OfTheKnownPlot)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", kKnownPlot);
    writeFile(folder / "negative.plt", "PU-400,0;PD0,0;");
    const CliResult result = runCli(folder.path(), GetParam().arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << "one line: " << result.out;
    for (const auto& [key, value] : GetParam().expected)
        EXPECT_EQ(jsonValue(result.out, key), value) << key << " in " << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Figures,
    ::testing::Values(FiguresCase{"Stat",
                                  {"stat", "plot.plt", "--json"},
                                  {{"points", "5"},
                                   {"strokes", "2"},
                                   {"pen_down_mm", "30.000"},
                                   {"pen_up_mm", "10.000"},
                                   {"pen_lifts", "2"},
                                   {"min_x_mm", "0"},
                                   {"max_x_mm", "20"},
                                   {"max_y_mm", "10"},
                                   {"estimated_seconds", "0.170"},
                                   {"fits", "true"}}},
                      FiguresCase{"StatSlowerClock",
                                  {"stat", "plot.plt", "--json", "--clock", "500"},
                                  {{"estimated_seconds", "0.680"}}},
                      // Twice the steps per line, the same pen commands; lengths on paper double.
                      FiguresCase{"StatZoom200",
                                  {"stat", "plot.plt", "--json", "--zoom", "200"},
                                  {{"estimated_seconds", "0.330"}, {"pen_down_mm", "60.000"}, {"max_x_mm", "40"}}},
                      FiguresCase{"TestJson",
                                  {"test", "plot.plt", "--json", "--clock=1000"},
                                  {{"estimated_seconds", "0.340"},
                                   {"pen_down_mm", "30.000"},
                                   {"pen_up_mm", "10.000"},
                                   {"pen_lifts", "2"},
                                   {"fits", "true"}}},
                      // 84 periods of the plot, and 42 of the pen-up move of "Pen to 0" (10 mm).
                      FiguresCase{"TestCountsPenToZero",
                                  {"test", "negative.plt", "--json"},
                                  {{"estimated_seconds", "0.126"}, {"min_x_mm", "-10"}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Stat, TextReportsEveryFigure)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", kKnownPlot);
    const CliResult result = runCli(folder.path(), {"stat", "plot.plt"});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const char* line :
         {"Points: 5\n", "Strokes: 2\n", "Pen-down length: 30 mm\n", "Pen-up length: 10 mm\n", "Pen lifts: 2\n",
          "X 0 mm to 20 mm, Y 0 mm to 10 mm\n", "Estimated drawing time at 2000 Hz: 0.17 s\n", "\nfits the machine\n"})
        EXPECT_NE(result.out.find(line), std::string::npos) << line << " in\n" << result.out;
}

struct RefusalCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    std::string messagePart;
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

// Each refusal says why in one message, leaves the input as it was and writes nothing.
TEST_P(Refusals, SayWhyAndWriteNothing)
{
    const RefusalCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "plot.plt", kKnownPlot);
    writeFile(folder / "empty.plt", "");
    writeFile(folder / "small.svg", kSmallSvg);
    fs::create_symlink("plot.plt", folder / "link.plt");
    const std::vector<std::string> before = filesIn(folder.path());

    const CliResult result = runCli(folder.path(), c.arguments);
    EXPECT_EQ(result.status, c.status) << result.err;
    const std::string firstLine = result.err.substr(0, result.err.find('\n'));
    EXPECT_NE(firstLine.find(c.messagePart), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("orlex-plotter-cli:", 1), std::string::npos) << "one message: " << result.err;
    EXPECT_EQ(filesIn(folder.path()), before);
    EXPECT_EQ(readFile(folder / "plot.plt"), kKnownPlot);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Refusals,
    ::testing::Values(
        RefusalCase{"OptimizeMissingInput", {"optimize", "absent.plt", "-o", "out.plt"}, 2, "absent.plt"},
        RefusalCase{"OptimizeNotAPlot", {"optimize", "empty.plt", "-o", "out.plt"}, 2, "is not a plot file"},
        RefusalCase{"OptimizeWithoutOutput", {"optimize", "plot.plt"}, 2, "-o OUT is needed"},
        RefusalCase{"OptimizeOverItself", {"optimize", "plot.plt", "-o", "plot.plt"}, 2, "input file itself"},
        RefusalCase{"OptimizeOverItselfByAnotherPath",
                    {"optimize", "plot.plt", "-o", "./x/../plot.plt"},
                    2,
                    "input file itself"},
        RefusalCase{
            "OptimizeOverItselfThroughALink", {"optimize", "link.plt", "-o", "plot.plt"}, 2, "input file itself"},
        RefusalCase{"OptimizeIntoAMissingFolder",
                    {"optimize", "plot.plt", "-o", "none/out.plt"},
                    2,
                    "cannot write none/out.plt"},
        RefusalCase{"OptimizeOverAFolder", {"optimize", "plot.plt", "-o", "."}, 2, "cannot write ."},
        RefusalCase{"ConvertOverItself", {"convert", "small.svg", "-o", "small.svg"}, 2, "input file itself"},
        RefusalCase{"ConvertNotAPlot",
                    {"convert", "empty.plt", "-o", "out.plt"},
                    2,
                    "is not a plot file: the reading found no point"},
        RefusalCase{"ConvertBadFit", {"convert", "small.svg", "-o", "out.plt", "--fit", "0x10"}, 2, "--fit"},
        RefusalCase{"ConvertBadRotation", {"convert", "small.svg", "-o", "out.plt", "--rotate", "45"}, 2, "--rotate"},
        RefusalCase{
            "ConvertMalformed", {"convert", svgData("bad/malformed.svg"), "-o", "out.plt"}, 2, "not well-formed XML"},
        RefusalCase{"ConvertTooBig", {"convert", svgData("bad/too_big.svg"), "-o", "out.plt"}, 3, "819.175 mm"},
        RefusalCase{"ConvertFarOffThePage",
                    {"convert", svgData("bad/far_off_page.svg"), "-o", "out.plt"},
                    3,
                    "more than 2 km from the page"},
        RefusalCase{"OptimizeSvgUseFanOut",
                    {"optimize", svgData("bad/use_bomb.svg"), "-o", "out.plt"},
                    2,
                    "more than 500,000 elements"},
        RefusalCase{"TestMalformedSvg", {"test", svgData("bad/malformed.svg")}, 2, "not well-formed XML"},
        RefusalCase{"StatSvgWithoutStrokes", {"stat", svgData("bad/no_strokes.svg")}, 2, "nothing to draw"},
        RefusalCase{"TestSvgTooBig", {"test", svgData("bad/too_big.svg"), "--json"}, 3, "819.175 mm"},
        RefusalCase{"StatSvgTooBig", {"stat", svgData("bad/too_big.svg")}, 3, "819.175 mm"},
        RefusalCase{"OptimizeSvgTooBig", {"optimize", svgData("bad/too_big.svg"), "-o", "out.plt"}, 3, "819.175 mm"},
        RefusalCase{"DrawSvgTooBig", {"draw", svgData("bad/too_big.svg"), "--simulate"}, 3, "819.175 mm"},
        RefusalCase{"DrawSvgReferringToAnotherFile",
                    {"draw", svgData("bad/use_other_file.svg"), "--simulate"},
                    2,
                    "refers to another file"}),
    [](const auto& row) { return std::string(row.param.name); });

// Undirected segments drawn in each pen group, as the interpreter reads the file.
test::Drawing drawingOfFile(const fs::path& file)
{
    const Result<ReadPlot> read = readPlotEvents(file.string());
    EXPECT_TRUE(read) << file;
    return read ? test::drawingOf(read->events) : test::Drawing{};
}

PlotEvents eventsOf(const fs::path& file)
{
    const Result<ReadPlot> read = readPlotEvents(file.string());
    EXPECT_TRUE(read) << file;
    return read ? read->events : PlotEvents{};
}

// Pen-down segments as drawn, from -> to, sorted.
std::vector<test::Segment> directedSegments(const PlotEvents& events)
{
    std::vector<test::Segment> segments;
    double x = 0, y = 0;
    for (const PlotEvent& e : events)
        if (const PlotPoint* p = std::get_if<PlotPoint>(&e)) {
            if (p->penDown)
                segments.emplace_back(x, y, p->x, p->y);
            x = p->x;
            y = p->y;
        }
    std::sort(segments.begin(), segments.end());
    return segments;
}

class OptimizeRoundTrip : public ::testing::TestWithParam<std::tuple<test::Shape, unsigned>> {};

// Written by the tool and read back by the interpreter, the plot draws the same segments
// in the same pen groups, with no longer travel and extents no wider; with --no-reverse
// every segment is drawn in its own direction too.
TEST_P(OptimizeRoundTrip, KeepsTheDrawing)
{
    const PlotEvents generated = test::generatePlot(std::get<0>(GetParam()), std::get<1>(GetParam()));
    TempFolder folder;
    writeFile(folder / "in.plt", writeHpgl(generated).value());
    const PlotEvents in = eventsOf(folder / "in.plt");

    for (const bool reverse : {true, false}) {
        SCOPED_TRACE(reverse ? "reverse" : "--no-reverse");
        std::vector<std::string> arguments{"optimize", "in.plt", "-o", "out.plt", "--json"};
        if (!reverse)
            arguments.push_back("--no-reverse");
        const CliResult result = runCli(folder.path(), arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        const PlotEvents out = eventsOf(folder / "out.plt");
        test::expectSameDrawing(in, out);
        if (!reverse) {
            EXPECT_EQ(directedSegments(out), directedSegments(in));
        }
        const double before = std::stod(jsonValue(result.out, "pen_up_mm_before").value_or("nan"));
        const double after = std::stod(jsonValue(result.out, "pen_up_mm_after").value_or("nan"));
        EXPECT_NEAR(before, computeStatistics(in).penUpMillimetres, 5e-4);
        EXPECT_NEAR(after, computeStatistics(out).penUpMillimetres, 5e-4);
    }
}

INSTANTIATE_TEST_SUITE_P(Plots, OptimizeRoundTrip,
                         ::testing::Combine(::testing::Values(test::Shape::PenGroups, test::Shape::Decimals,
                                                              test::Shape::Loops, test::Shape::SharedEnds),
                                            ::testing::Range(1u, 4u)),
                         [](const ::testing::TestParamInfo<std::tuple<test::Shape, unsigned>>& p) {
                             return std::string(test::shapeName(std::get<0>(p.param))) + "_"
                                    + std::to_string(std::get<1>(p.param));
                         });

// The plan's sample files, written as exporters write them (relative moves, blanks, pens).
TEST(Optimize, SampleFilesKeepTheirDrawingAndGetShorterTravel)
{
    for (const char* name : {"letters.plt", "pens.hpgl", "relative.plt"}) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const fs::path in = fs::path(std::getenv("ORLEX_TEST_DATA")) / "plan" / name;
        const CliResult result = runCli(folder.path(), {"optimize", in.string(), "-o", "out.plt"});
        ASSERT_EQ(result.status, 0) << result.err;
        test::expectSameDrawing(eventsOf(in), eventsOf(folder / "out.plt"));
        EXPECT_EQ(drawingOfFile(in).pens, drawingOfFile(folder / "out.plt").pens);
        for (const char* line : {"Pen-up travel: ", "Pen lifts: ", "Estimated drawing time at 2000 Hz: ", " saved\n",
                                 "Written: out.plt\n"})
            EXPECT_NE(result.out.find(line), std::string::npos) << line << " in\n" << result.out;
    }
}

struct PlacementCase {
    const char* name;
    std::vector<std::string> options;
    std::vector<std::pair<std::string, std::string>> expected; // key, raw JSON value of stat
};

void PrintTo(const PlacementCase& c, std::ostream* os)
{
    *os << c.name;
}

class Convert : public ::testing::TestWithParam<PlacementCase> {};

// The written plot's test extents and length are the drawing's own, placed on the page.
TEST_P(Convert, WritesThePlacedDrawing)
{
    TempFolder folder;
    writeFile(folder / "small.svg", kSmallSvg);
    std::vector<std::string> arguments{"convert", "small.svg", "-o", "out.plt"};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    const CliResult converted = runCli(folder.path(), arguments);
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_NE(converted.out.find("Written: out.plt"), std::string::npos) << converted.out;

    const CliResult stat = runCli(folder.path(), {"stat", "out.plt", "--json"});
    EXPECT_EQ(stat.status, 0) << stat.err;
    for (const auto& [key, value] : GetParam().expected)
        EXPECT_EQ(jsonValue(stat.out, key), value) << key << " in " << stat.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Convert,
    ::testing::Values(
        PlacementCase{
            "AsDrawn", {}, {{"min_x_mm", "0"}, {"max_x_mm", "60"}, {"max_y_mm", "40"}, {"pen_down_mm", "80.000"}}},
        // A quarter turn counterclockwise: x = 50 - y, y = x.
        PlacementCase{"Rotated", {"--rotate", "90"}, {{"max_x_mm", "40"}, {"max_y_mm", "60"}}},
        PlacementCase{
            "FittedToHalf", {"--fit=50x25"}, {{"max_x_mm", "30"}, {"max_y_mm", "20"}, {"pen_down_mm", "40.000"}}},
        PlacementCase{"ToleranceGiven", {"--tolerance", "0.5"}, {{"max_x_mm", "60"}, {"pen_down_mm", "80.000"}}}),
    [](const auto& row) { return std::string(row.param.name); });

// An SVG's text is drawn in a stroke font unless --text skip leaves it out, as before.
TEST(SvgInput, TextIsDrawnUnlessSkipped)
{
    TempFolder folder;
    writeFile(folder / "text.svg",
              R"(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="50mm" viewBox="0 0 100 50">)"
              R"(<path d="M10 10 H60" stroke="black"/><text x="10" y="40" font-size="10">Plot</text></svg>)");
    const CliResult drawn = runCli(folder.path(), {"test", "text.svg", "--json"});
    const CliResult skipped = runCli(folder.path(), {"test", "text.svg", "--json", "--text", "skip"});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    ASSERT_EQ(skipped.status, 0) << skipped.err;
    EXPECT_GT(std::stod(jsonValue(drawn.out, "pen_down_mm").value_or("0")), 60.0);
    EXPECT_EQ(jsonValue(skipped.out, "pen_down_mm"), "50.000");
    EXPECT_NE(drawn.err.find("1 text element(s) drawn in a single-stroke font"), std::string::npos) << drawn.err;
    EXPECT_NE(skipped.err.find("1 text element(s) left out"), std::string::npos) << skipped.err;
}

// The test of an SVG is the test of its conversion; a simulated draw of it puts the same
// lines on the virtual paper, and no temporary file stays behind.
TEST(SvgInput, TestAndDrawUseTheConvertedPlot)
{
    TempFolder folder;
    fs::create_directory(folder / "tmp");
    ::setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    const std::string drawing = svgData("layers.svg");

    ASSERT_EQ(runCli(folder.path(), {"convert", drawing, "-o", "converted.plt"}).status, 0);
    const CliResult svgTest = runCli(folder.path(), {"test", drawing, "--json"});
    const CliResult plotTest = runCli(folder.path(), {"test", "converted.plt", "--json"});
    EXPECT_EQ(svgTest.status, 0) << svgTest.err;
    EXPECT_EQ(svgTest.out, plotTest.out);

    const CliResult svgDraw = runCli(folder.path(), {"draw", drawing, "--simulate", "--svg", "from-svg.svg"});
    const CliResult plotDraw = runCli(folder.path(), {"draw", "converted.plt", "--simulate", "--svg", "from-plt.svg"});
    ::unsetenv("TMPDIR");
    EXPECT_EQ(svgDraw.status, 0) << svgDraw.err;
    EXPECT_NE(readFile(folder / "from-svg.svg").find("<line "), std::string::npos);
    EXPECT_EQ(readFile(folder / "from-svg.svg"), readFile(folder / "from-plt.svg"));
    EXPECT_TRUE(fs::is_empty(folder / "tmp"));
}

// The tool loads the SVG import only for what may be an SVG; whether a file is one stays
// as the import decides: by a .svg name in any case, or by content starting with "<svg"
// (after a byte-order mark and blanks), never by "<svg" further in.
struct InputKindCase {
    const char* name;
    std::string file;
    std::string content;
    std::string points; // 3: the small SVG's path; 2: the plot's two points
};

void PrintTo(const InputKindCase& c, std::ostream* os)
{
    *os << c.name;
}

class InputKind : public ::testing::TestWithParam<InputKindCase> {};

TEST_P(InputKind, IsToldAsTheImportTellsIt)
{
    TempFolder folder;
    writeFile(folder / GetParam().file, GetParam().content);
    const CliResult result = runCli(folder.path(), {"test", GetParam().file, "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(jsonValue(result.out, "points"), GetParam().points) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, InputKind,
    ::testing::Values(InputKindCase{"SvgName", "drawing.svg", kSmallSvg, "3"},
                      InputKindCase{"UpperCaseName", "drawing.SVG", kSmallSvg, "3"},
                      InputKindCase{"SvgContent", "drawing.dat", std::string("\xEF\xBB\xBF \n") + kSmallSvg, "3"},
                      InputKindCase{"PlotWithSvgInALabel", "label.plt", "PU0,0;LB<svg>\x03;PD400,0;", "2"},
                      InputKindCase{"Plot", "plot.hpgl", "PU0,0;PD400,0;", "2"}),
    [](const auto& row) { return std::string(row.param.name); });

// The estimate of a plot that needs no homing is the simulated draw's time, within 1 %.
class EstimateAgainstDraw : public ::testing::TestWithParam<std::string> {};

TEST_P(EstimateAgainstDraw, WithinOnePercent)
{
    TempFolder folder;
    const std::string plot = (fs::path(std::getenv("ORLEX_TEST_DATA")) / "plan" / GetParam()).string();
    const CliResult test = runCli(folder.path(), {"test", plot, "--json", "--clock", "5000"});
    const CliResult draw = runCli(folder.path(), {"draw", plot, "--simulate", "--clock", "5000"});
    ASSERT_EQ(test.status, 0) << test.err;
    ASSERT_EQ(draw.status, 0) << draw.err;
    const double estimate = std::stod(jsonValue(test.out, "estimated_seconds").value_or("nan"));
    const std::size_t at = draw.out.find("Drawing time: ");
    ASSERT_NE(at, std::string::npos) << draw.out;
    const double drawn = std::stod(draw.out.substr(at + 14));
    EXPECT_NEAR(estimate, drawn, 0.01 * drawn) << draw.out;
}

INSTANTIATE_TEST_SUITE_P(Plots, EstimateAgainstDraw, ::testing::Values("letters.plt", "relative.plt"));

} // namespace
} // namespace orlex::cli::testing
