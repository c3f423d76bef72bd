// Hostile and odd input to the full HP-GL reading: each gets a clear refusal (a size limit
// or not) or a counted note, never a crash, a hang or memory without bound; the sink's
// stop and the file's errors end the reading as they say.
#include "full_hpgl_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex::test {
namespace {

struct Refused {
    const char* name;
    std::string file;
    const char* says; // a part of the refusal
    bool tooBig;
};

std::ostream& operator<<(std::ostream& os, const Refused& c)
{
    return os << c.name;
}

class RefusesAsWhole : public FullReading, public ::testing::WithParamInterface<Refused> {
protected:
    void SetUp() override
    {
        options.maxPolygonPoints = 10;
        options.maxLabelCharacters = 5;
        options.maxFillLines = 1000;
        options.maxPoints = 500;
        options.maxChordsPerCurve = 100;
    }
};

TEST_P(RefusesAsWhole, SayingWhatWouldBeLost)
{
    const FullReadResult result = read(GetParam().file);
    ASSERT_TRUE(result.refusal);
    EXPECT_NE(result.refusal->message.find(GetParam().says), std::string::npos) << result.refusal->message;
    EXPECT_EQ(result.refusal->kind == Error::Kind::TooBig, GetParam().tooBig);
    EXPECT_FALSE(result.stopped);
    EXPECT_LE(result.points, options.maxPoints);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, RefusesAsWhole,
    ::testing::Values(
        Refused{"scale with a zero range", "SC0,0,0,10;PD1,1;", "range of zero", false},
        Refused{"point factor of zero", "SC0,0,0,1,2;", "point factor of zero", false},
        Refused{"IP with P1 equal to P2", "IP100,100,100,100;", "share an x or a y", false},
        Refused{"circle of radius 1e9", "PU0,0;CI1000000000;", "m from the origin", true},
        Refused{"label without its terminator", "PU0,0;LBnone", "has no terminator", false},
        Refused{"label past its limit", "LB123456\x03", "longer than 5 characters", true},
        Refused{"polygon past the buffer", "PM0;PD1,1,2,2,3,3,4,4,5,5,6,6,7,7,8,8,9,9,10,10,11,11;PM2;EP;",
                "polygon has more than 10 points", true},
        Refused{"fill of too many lines", "PW0.025;PU0,0;RA100000,100000;", "more than 1000 lines", true},
        Refused{"dashes past their limit", "LT2,0.000001;PU0,0;PD1000000,0;", "dashed line", true},
        // Second differences of 42,426 ask for sqrt(6 * 42426 / 16) = 126 chords.
        Refused{"curve of too many chords", "PU0,0;BZ0,30000,30000,30000,30000,0;", "more than 100 chords", true},
        Refused{"points past their limit", "PU0,0;CI10;CI10;CI10;CI10;CI10;CI10;CI10;", "more than 500 points", true}),
    rowName<Refused>);

TEST_F(FullReading, EndsWhereItRefusesDrawingNothingOfTheRefusedCommand)
{
    EXPECT_TRUE(read("PU0,0;PD1,1;SC0,0,0,1;PD5,5;").refusal);
    EXPECT_TRUE(samePoints(sink.points, {{0, 0, false}, {1, 1, true}}));
    EXPECT_TRUE(read("PU0,0;PD1,1;LBHHH").refusal);
    EXPECT_TRUE(samePoints(sink.points, {{0, 0, false}, {1, 1, true}}));
}

TEST_F(FullReading, FillWorkIsBoundedOverTheWholeFile)
{
    options.maxFillWork = 1000;
    std::string file = "PU0,0;FT3,1,0;";
    for (int i = 0; i < 20; ++i)
        file += "RA100,100;";
    const FullReadResult result = read(file);
    ASSERT_TRUE(result.refusal);
    EXPECT_NE(result.refusal->message.find("edge crossings"), std::string::npos) << result.refusal->message;
    EXPECT_EQ(result.refusal->kind, Error::Kind::TooBig);
}

TEST_F(FullReading, ChordAngleOfZeroIsTakenAsHalfADegreeAndNoted)
{
    const FullReadResult result = read("PU0,0;CI100,0;");
    EXPECT_FALSE(result.refusal);
    EXPECT_EQ(sink.points.size(), 2u + 720u); // the PU, the start, 720 chords
    EXPECT_EQ(result.notes, std::vector<std::string>{
                                "1 CI chord angle outside 0.5 to 180 degrees was taken as the nearest of these"});
}

TEST_F(FullReading, CommandsWithoutEffectAreCountedInNotes)
{
    const FullReadResult result =
        read("\x1b.(;\x1b.I81;;17:IN;VS10;VS20;FS2;PG;XX1,2;QQ;PA1-;PU5;SP12;LB\xe9\x03PU1,1;");
    EXPECT_EQ(result.notes, (std::vector<std::string>{
                                "3 VS/FS speed commands have no effect: the machine's own speed governs",
                                "1 PG paper or page command has no effect",
                                "2 XX/QQ unknown commands were skipped",
                                "2 ESC printer escape sequences have no effect",
                                "1 PA command had a number that cannot be read; the rest of it was skipped",
                                "1 PU X value without its Y value was skipped",
                                "1 LB label character has no glyph in the stroke font: a space is left in its place",
                                "1 SP pen number above 9 is drawn with pen 9",
                            }));
    EXPECT_TRUE(samePoints(sink.points, {{1, 1, false}}));
}

TEST_F(FullReading, WhatCannotBeDrawnAsAskedIsNoted)
{
    const FullReadResult result = read("RO45;FT11;RA10,10;DV1;");
    EXPECT_EQ(result.notes, (std::vector<std::string>{
                                "1 FT pattern fill is drawn as a solid fill",
                                "1 RO rotation other than 0, 90, 180 or 270 degrees was passed over",
                                "1 DV command is read but not drawn",
                            }));
}

TEST_F(FullReading, CommandsWithParametersTheyCannotTakeAreNoted)
{
    const FullReadResult result = read("IP1,2,3;SC1,2,3;IW1,2;UL9,1;CI;AA1,2;EA5;");
    EXPECT_EQ(result.notes,
              std::vector<std::string>{"7 IP/SC/IW/UL/CI/AA commands with parameters they cannot take were skipped"});
    EXPECT_TRUE(sink.points.empty());
}

TEST_F(FullReading, PensGoToTheSinkAsDigits)
{
    read("SP1;SP2.6;SP;SP0;SP-3;SP9;PE:\xc5;");
    EXPECT_EQ(sink.pens, "1300093");
}

TEST_F(FullReading, StopsWhenTheSinkSaysSo)
{
    sink.stopAfter = 2;
    const FullReadResult result = readFullHpgl(dir.write("plot.plt", "PU0,0;PD1,1,2,2,3,3;"), sink, options);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.points, 2u);
    EXPECT_FALSE(result.refusal);
}

TEST_F(FullReading, SaysWhyAFileCannotBeOpened)
{
    const FullReadResult result = readFullHpgl((dir.path() / "missing.plt").string(), sink);
    ASSERT_TRUE(result.openError);
    EXPECT_EQ(result.openError->message.rfind("Cannot open \"", 0), 0u) << result.openError->message;
    EXPECT_EQ(result.points, 0u);
}

TEST_F(FullReading, ReadsOnlyPlainFiles)
{
    for (const std::string& path : {std::string("/dev/zero"), dir.path().string()}) {
        const FullReadResult result = readFullHpgl(path, sink);
        ASSERT_TRUE(result.openError) << path;
        EXPECT_EQ(result.openError->message.rfind("Cannot open \"" + path + "\": ", 0), 0u)
            << result.openError->message;
        EXPECT_TRUE(findCommandsClassicIgnores(path).counts.empty());
    }
}

TEST_F(FullReading, LongNumbersAndLongFilesStayBounded)
{
    // A number longer than any reading is one bad number; pairs across 64 KiB blocks read whole.
    std::string file = "PA" + std::string(100'000, '7') + ",5;PU";
    while (file.size() < 200'000)
        file += "123456,-654321.5,";
    file += "1,2;";
    const FullReadResult result = read(file);
    EXPECT_EQ(result.notes,
              std::vector<std::string>{"1 PA command had a number that cannot be read; the rest of it was skipped"});
    ASSERT_FALSE(sink.points.empty());
    for (const SinkPoint& p : sink.points)
        ASSERT_TRUE((p.x == 123456 && p.y == -654321.5) || (p.x == 1 && p.y == 2)) << p;
}

} // namespace
} // namespace orlex::test
