// --hpgl classic|full on every command that reads a plot, through the real tool: exit
// statuses, the classic reading's note about what it passes over, the full reading's
// refusals and notes, and convert's plain HPGL read back by the classic reading.
#include "cli_runner.h"

#include "hpgl/plot_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace orlex::cli::testing {
namespace {

// A circle of 5 mm radius about (10, 10) mm, which the classic reading passes over, and a
// 5 mm line; a solid fill of 5 million lines, past the full reading's limit; a pattern fill.
constexpr const char* kCirclePlot = "PU400,400;CI200;PU0,0;PD200,0;";
constexpr const char* kHugeFillPlot = "PW0.025;PU0,0;RA5000000,5000000;";
constexpr const char* kPatternPlot = "PU0,0;FT11;RA400,400;";

constexpr const char* kClassicNote =
    "circle.plt: This plot uses 1 circle (CI) that the classic reading ignores: --hpgl full draws it\n";
// A picture's opening bytes: the PNG signature, then its header chunk, whose bit depth 8
// is the first byte no plot file holds; after it letters that look like commands.
constexpr char kPictureBytes[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0 \0\0\0 \x08\x06\0\0\0ATPE1,2;PD3,4;";
const std::string kPicture(kPictureBytes, sizeof kPictureBytes - 1);
constexpr const char* kPictureRefusal =
    "\"picture.plt\" is not a plot file: it holds binary data (byte 0x08 at offset 24), which no plot file holds.";
// The start of a gzip stream, as of a compressed SVG drawing.
constexpr char kCompressedBytes[] = "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03PD10,10;CI5;";
const std::string kCompressed(kCompressedBytes, sizeof kCompressedBytes - 1);

constexpr const char* kRefusal = "The full HP-GL reading refuses this plot: a fill would need more than 200000 lines";
// A refusal that is no size limit: the usage status, not the too-big one.
constexpr const char* kScalePlot = "SC0,0,0,10;PD1,1;";
constexpr const char* kScaleRefusal =
    "The full HP-GL reading refuses this plot: SC gives a range of zero (minimum equal to maximum), so nothing can be "
    "placed (SC at byte 0).";

struct ReadingCase {
    const char* name;
    const char* arguments; // split at spaces
    int status;
    const char* out;      // stdout holds it
    const char* err;      // stderr holds it
    const char* notInErr; // stderr does not hold it ("" for no such check)
};

void PrintTo(const ReadingCase& c, std::ostream* os)
{
    *os << c.name;
}

const ReadingCase kReadingCases[] = {
    {"TestClassic", "test circle.plt", 0, "max X: 10 mm", kClassicNote, ""},
    {"TestFull", "test circle.plt --hpgl=full", 0, "max X: 15 mm", "", "classic reading"},
    {"TestJsonClassic", "test circle.plt --json --hpgl classic", 0,
     R"("ignored_commands": [{"command": "CI", "count": 1}])", kClassicNote, ""},
    {"TestJsonFull", "test circle.plt --json --hpgl full", 0, R"("ignored_commands": [])", "", "classic reading"},
    {"TestUnknownReading", "test circle.plt --hpgl hp7475", 2, "", "--hpgl needs classic or full", ""},
    {"TestRefused", "test fill.plt --hpgl full", 3, "", kRefusal, ""},
    {"TestRefusedScale", "test scale.plt --hpgl full", 2, "", kScaleRefusal, ""},
    {"TestClassicPassesTheFillOver", "test fill.plt", 0, "fits", "1 filled rectangle (RA)", "refuses"},
    {"StatFull", "stat circle.plt --hpgl full", 0, "Strokes: 2", "", ""},
    {"StatFullNotes", "stat pattern.plt --hpgl full", 0, "", "pattern.plt: 1 FT pattern fill is drawn as a solid", ""},
    {"DrawFull", "draw circle.plt --hpgl full --simulate", 0, "max X: 15 mm", "", ""},
    {"DrawRefused", "draw fill.plt --hpgl full --simulate", 3, "", kRefusal, "Pen to 0"},
    {"DrawUnknownReading", "draw circle.plt --hpgl= --simulate", 2, "", "--hpgl needs", ""},
    {"OptimizeFull", "optimize circle.plt -o out.plt --hpgl full", 0, "Written: out.plt", "", ""},
    {"OptimizeRefused", "optimize fill.plt -o out.plt --hpgl full", 3, "", kRefusal, ""},
    {"ConvertFull", "convert circle.plt -o out.plt --hpgl full", 0, "(76 points", "", "classic reading"},
    {"ConvertClassic", "convert circle.plt -o out.plt", 0, "(3 points", kClassicNote, ""},
    {"ConvertRefused", "convert fill.plt -o out.plt --hpgl full", 3, "", "Nothing was written.", ""},
    {"ConvertRefusedScale", "convert scale.plt -o out.plt --hpgl full", 2, "", kScaleRefusal, ""},
    {"ConvertUnknownReading", "convert circle.plt -o out.plt --hpgl Full", 2, "", "--hpgl needs", ""},
    // Pictures and compressed files are no plot in either reading, and get no census.
    {"TestPictureClassic", "test picture.plt", 2, "", kPictureRefusal, "classic reading"},
    {"TestPictureFull", "test picture.plt --hpgl full", 2, "", kPictureRefusal, "250 m"},
    {"DrawPicture", "draw picture.plt --simulate", 2, "", kPictureRefusal, "Pen to 0"},
    {"ConvertPicture", "convert picture.plt -o out.plt", 2, "", kPictureRefusal, ""},
    // Read as the compressed SVG drawing it claims to be, whose data is cut short.
    {"TestCompressed", "test drawing.svgz", 2, "", "drawing.svgz: its compressed data is damaged", "classic reading"},
    {"StatCompressedFull", "stat drawing.svgz --hpgl full", 2, "", "its compressed data is damaged", ""},
};

class HpglOption : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(HpglOption, OnEveryCommand)
{
    const ReadingCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "circle.plt", kCirclePlot);
    writeFile(folder / "fill.plt", kHugeFillPlot);
    writeFile(folder / "pattern.plt", kPatternPlot);
    writeFile(folder / "scale.plt", kScalePlot);
    writeFile(folder / "picture.plt", kPicture);
    writeFile(folder / "drawing.svgz", kCompressed);
    std::vector<std::string> arguments;
    std::istringstream words(c.arguments);
    for (std::string word; words >> word;)
        arguments.push_back(word);
    const CliResult result = runCli(folder.path(), arguments);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    EXPECT_TRUE(*c.notInErr == 0 || result.err.find(c.notInErr) == std::string::npos) << result.err;
    EXPECT_EQ(fs::exists(folder / "out.plt"),
              c.status == 0 && std::string(c.arguments).find(" -o ") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Table, HpglOption, ::testing::ValuesIn(kReadingCases),
                         [](const auto& row) { return std::string(row.param.name); });

// The points of a reading in whole plotter units, as the plain HPGL writer rounds them.
class PointList : public PlotSink {
public:
    bool point(double x, double y, Pen pen) override
    {
        text << std::nearbyint(x) << ',' << std::nearbyint(y) << (pen == Pen::Down ? "D " : "U ");
        return true;
    }
    void selectPen(char pen) override { text << "SP" << pen << ' '; }
    std::ostringstream text;
};

class ConvertRoundTrip : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

// The written file holds only what the classic reading reads, so it gives back the very
// points and pens the chosen reading read from the original.
TEST_P(ConvertRoundTrip, ClassicReadingOfTheOutputGivesWhatWasRead)
{
    const auto [plot, reading] = GetParam();
    TempFolder folder;
    writeFile(folder / "in.plt", plot);
    const CliResult result = runCli(folder.path(), {"convert", "in.plt", "-o", "out.plt", "--hpgl", reading});
    ASSERT_EQ(result.status, 0) << result.err;
    PointList original, written;
    ASSERT_FALSE(
        readPlot((folder / "in.plt").string(), original, *plotReadingFromName(reading), machinePage(MachineSettings{}))
            .refusal);
    readClassicPlot((folder / "out.plt").string(), written);
    EXPECT_GT(original.text.str().size(), 20u);
    EXPECT_EQ(written.text.str(), original.text.str());
    EXPECT_EQ(readFile(folder / "out.plt").find_first_not_of("PAUDS0123456789,;-\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Table, ConvertRoundTrip,
                         ::testing::Values(std::pair(kCirclePlot, "full"), std::pair(kPatternPlot, "full"),
                                           std::pair("IN;SP2;SC0,100,0,100;PU10,10;PD90,10;SP3;LBHI\x03", "full"),
                                           std::pair("SP1;PU100,100;PR;PD50,0,0,50;PA;PU0,0;SP2;PD-40,30;",
                                                     "classic")));

} // namespace
} // namespace orlex::cli::testing
